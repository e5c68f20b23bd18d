#pragma once

#include <cstdint>

#include "wavedoc/reading/field.h"

// The header of the levl chunk, the peak envelope of Broadcast Wave files
// (EBU Tech 3285 supplement 3): eight 32-bit fields, a time stamp and
// reserved bytes, 120 bytes in all; the peak points follow where
// dwOffsetToPeaks says, counted from the start of the chunk header.
namespace formats::levl {

using wavedoc::Field;

inline constexpr Field kVersion = wavedoc::Unsigned32Field("dwVersion", 0);
// 1: 8-bit values, 2: 16-bit values.
inline constexpr Field kFormat = wavedoc::Unsigned32Field("dwFormat", 4);
// 1: the positive peak alone, 2: the positive and the negative peak.
inline constexpr Field kPointsPerValue = wavedoc::Unsigned32Field("dwPointsPerValue", 8);
inline constexpr Field kBlockSize = wavedoc::Unsigned32Field("dwBlockSize", 12);
inline constexpr Field kPeakChannels = wavedoc::Unsigned32Field("dwPeakChannels", 16);
inline constexpr Field kPeakFrames = wavedoc::Unsigned32Field("dwNumPeakFrames", 20);
inline constexpr Field kPeakOfPeaks = wavedoc::Unsigned32Field("dwPosPeakOfPeaks", 24);
inline constexpr Field kOffsetToPeaks = wavedoc::Unsigned32Field("dwOffsetToPeaks", 28);
inline constexpr Field kTimeStamp = wavedoc::TextField("strTimestamp", 32, 28);
inline constexpr Field kReserved = wavedoc::BytesField("reserved", 60, 60);
inline constexpr std::uint64_t kHeaderSize = kReserved.End();

static_assert(wavedoc::FollowOneAnother({kVersion, kFormat, kPointsPerValue, kBlockSize, kPeakChannels,
                                         kPeakFrames, kPeakOfPeaks, kOffsetToPeaks, kTimeStamp, kReserved}));

}  // namespace formats::levl
