#pragma once

#include <cstdint>

#include "wavedoc/reading/field.h"

// The fields of the chunks the chunk list shows, each stated once: the chunk
// objects read them and the rows give their byte ranges from the same
// entries. Offsets count from the start of the content (after the chunk
// header), or, for the fields of a record, from the start of the record.
namespace wavedoc::layout {

// A chunk header, counted from the chunk's first byte: its id, then the size
// of its content. The RIFF chunk's content starts with its form type.
namespace header {
inline constexpr Field kId = FourCCField("id", 0);
inline constexpr Field kSize = Bits32Field("size", 4);
inline constexpr Field kFormType = FourCCField("form type", 8);
}  // namespace header

namespace fmt {
inline constexpr Field kFormatTag = Unsigned16Field("wFormatTag", 0);
inline constexpr Field kChannels = Unsigned16Field("nChannels", 2);
inline constexpr Field kSamplesPerSec = Bits32Field("nSamplesPerSec", 4);
inline constexpr Field kAvgBytesPerSec = Bits32Field("nAvgBytesPerSec", 8);
inline constexpr Field kBlockAlign = Unsigned16Field("nBlockAlign", 12);
inline constexpr Field kBitsPerSample = Unsigned16Field("wBitsPerSample", 14);
inline constexpr Field kExtraSize = Unsigned16Field("cbSize", 16);
inline constexpr Field kValidBitsPerSample = Unsigned16Field("wValidBitsPerSample", 18);
inline constexpr Field kChannelMask = Bits32Field("dwChannelMask", 20);
inline constexpr Field kSubFormat = BytesField("SubFormat", 24, 16);
}  // namespace fmt

namespace fact {
inline constexpr Field kSampleLength = Bits32Field("dwSampleLength", 0);
}

namespace slnt {
inline constexpr Field kSamples = Bits32Field("dwSamples", 0);
}

// A list starts with its list type.
inline constexpr Field kListType = FourCCField("list type", 0);

namespace cue {
inline constexpr Field kCount = Bits32Field("dwCuePoints", 0);
inline constexpr std::uint64_t kFirstRecord = 4;
inline constexpr std::uint64_t kRecordSize = 24;
inline constexpr Field kName = Bits32Field("dwName", 0);
inline constexpr Field kPosition = Bits32Field("dwPosition", 4);
inline constexpr Field kChunk = FourCCField("fccChunk", 8);
inline constexpr Field kChunkStart = Bits32Field("dwChunkStart", 12);
inline constexpr Field kBlockStart = Bits32Field("dwBlockStart", 16);
inline constexpr Field kSampleOffset = Bits32Field("dwSampleOffset", 20);
}  // namespace cue

namespace plst {
inline constexpr Field kCount = Bits32Field("dwSegments", 0);
inline constexpr std::uint64_t kFirstRecord = 4;
inline constexpr std::uint64_t kRecordSize = 12;
inline constexpr Field kName = Bits32Field("dwName", 0);
inline constexpr Field kLength = Bits32Field("dwLength", 4);
inline constexpr Field kLoops = Bits32Field("dwLoops", 8);
}  // namespace plst

namespace smpl {
inline constexpr Field kManufacturer = Bits32Field("dwManufacturer", 0);
inline constexpr Field kProduct = Bits32Field("dwProduct", 4);
inline constexpr Field kSamplePeriod = Bits32Field("dwSamplePeriod", 8);
inline constexpr Field kUnityNote = Bits32Field("dwMIDIUnityNote", 12);
inline constexpr Field kPitchFraction = Bits32Field("dwMIDIPitchFraction", 16);
inline constexpr Field kSmpteFormat = Bits32Field("dwSMPTEFormat", 20);
inline constexpr Field kSmpteOffset = Bits32Field("dwSMPTEOffset", 24);
inline constexpr Field kLoopCount = Bits32Field("cSampleLoops", 28);
inline constexpr Field kSamplerData = Bits32Field("cbSamplerData", 32);
inline constexpr std::uint64_t kFirstRecord = 36;
inline constexpr std::uint64_t kRecordSize = 24;
inline constexpr Field kLoopIdentifier = Bits32Field("dwIdentifier", 0);
inline constexpr Field kLoopType = Bits32Field("dwType", 4);
inline constexpr Field kLoopStart = Bits32Field("dwStart", 8);
inline constexpr Field kLoopEnd = Bits32Field("dwEnd", 12);
inline constexpr Field kLoopFraction = Bits32Field("dwFraction", 16);
inline constexpr Field kLoopPlayCount = Bits32Field("dwPlayCount", 20);
}  // namespace smpl

namespace inst {
inline constexpr Field kUnshiftedNote = Unsigned8Field("bUnshiftedNote", 0);
inline constexpr Field kFineTune = Signed8Field("chFineTune", 1);
inline constexpr Field kGain = Signed8Field("chGain", 2);
inline constexpr Field kLowNote = Unsigned8Field("bLowNote", 3);
inline constexpr Field kHighNote = Unsigned8Field("bHighNote", 4);
inline constexpr Field kLowVelocity = Unsigned8Field("bLowVelocity", 5);
inline constexpr Field kHighVelocity = Unsigned8Field("bHighVelocity", 6);
}  // namespace inst

// The associated data entries: labl and note hold dwName then their text;
// ltxt adds its fixed fields before the text.
namespace adtl {
inline constexpr Field kName = Bits32Field("dwName", 0);
inline constexpr Field kSampleLength = Bits32Field("dwSampleLength", 4);
inline constexpr Field kPurpose = FourCCField("dwPurpose", 8);
inline constexpr Field kCountry = Unsigned16Field("wCountry", 12);
inline constexpr Field kLanguage = Unsigned16Field("wLanguage", 14);
inline constexpr Field kDialect = Unsigned16Field("wDialect", 16);
inline constexpr Field kCodePage = Unsigned16Field("wCodePage", 18);
}  // namespace adtl

// ds64, which RF64 and BW64 files (always least significant byte first)
// keep their 64-bit sizes in: three sizes and the length of a table whose
// entries name a chunk and give its size.
namespace ds64 {
inline constexpr Field kRiffSize = Unsigned64Field("riffSize", 0);
inline constexpr Field kDataSize = Unsigned64Field("dataSize", 8);
inline constexpr Field kSampleCount = Unsigned64Field("sampleCount", 16);
inline constexpr Field kTableLength = Unsigned32Field("tableLength", 24);
inline constexpr Field kEntryId = FourCCField("chunkId", 0);
inline constexpr Field kEntrySize = Unsigned64Field("chunkSize", 4);
}  // namespace ds64

}  // namespace wavedoc::layout
