#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "wavedoc/reading/field.h"
#include "wavedoc/reading/field_reader.h"

// The PEAK chunk, as libsndfile and others write it: a version and a time
// stamp, then for each channel a record of its peak (a 32-bit float, a
// fraction of full scale) and the frame it first occurs at, all in the
// file's byte order.
namespace formats::peak {

using wavedoc::Field;

inline constexpr Field kVersion = wavedoc::Unsigned32Field("version", 0);
inline constexpr Field kTimeStamp = wavedoc::Unsigned32Field("time stamp", 4);
inline constexpr std::uint64_t kFirstRecord = 8;
inline constexpr std::uint64_t kRecordSize = 8;
// Within a record.
inline constexpr Field kValue = wavedoc::Float32Field("peak value", 0);
inline constexpr Field kPosition = wavedoc::Unsigned32Field("peak position", 4);

// Where the record of 0-based channel `channel` starts in the content.
constexpr std::uint64_t RecordOffset(std::uint64_t channel) { return kFirstRecord + channel * kRecordSize; }
// A field of that record, as a field of the content.
constexpr Field OfChannel(std::uint64_t channel, const Field& field) {
    return wavedoc::InRecordAt(field, RecordOffset(channel));
}

// How many whole records `present` content bytes hold.
constexpr std::uint64_t RecordsIn(std::uint64_t present) {
    return present > kFirstRecord ? (present - kFirstRecord) / kRecordSize : 0;
}

// One channel's record as read.
struct ChannelPeak {
    float value = 0;
    std::uint32_t position = 0;
};

// The records `content` (the chunk's content from its start) holds whole, in
// the given byte order.
std::vector<ChannelPeak> ReadPeaks(std::string_view content, wavedoc::ByteOrder order);

}  // namespace formats::peak
