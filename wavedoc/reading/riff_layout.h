#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "wavedoc/reading/chunk_fields.h"

// The facts of the RIFF WAVE layout that the document, its map and the check
// all rely on, each stated once.
namespace wavedoc::layout {

// A chunk header: a four-character id and a 32-bit size.
inline constexpr std::uint64_t kChunkHeaderSize = header::kSize.End();
// "RIFF", its size and the form type "WAVE": the first chunk starts after it.
inline constexpr std::uint64_t kRiffHeaderSize = header::kFormType.End();
// A list's content starts with its four-character list type.
inline constexpr std::uint64_t kListTypeSize = 4;

inline constexpr std::string_view kAssociatedDataType = "adtl";
inline constexpr std::string_view kLabelId = "labl";
inline constexpr std::string_view kNoteId = "note";
inline constexpr std::string_view kLabelledTextId = "ltxt";

// Whether a chunk id starts a list (both spellings are met in files).
constexpr bool IsListId(std::string_view id) { return id == "LIST" || id == "list"; }
// The sub-chunks of an associated data list that the document shows.
constexpr bool IsAssociatedDataEntry(std::string_view id) {
    return id == kLabelId || id == kNoteId || id == kLabelledTextId;
}

// The fixed fields of the associated data entries: dwName; an ltxt adds
// dwSampleLength, dwPurpose and four 16-bit fields. The text follows them.
inline constexpr std::uint64_t kLabelFixedBytes = adtl::kName.End();
inline constexpr std::uint64_t kLabelledTextFixedBytes = adtl::kCodePage.End();

// Where a chunk made of a count field and fixed-size records keeps them.
struct RecordLayout {
    std::uint64_t countOffset;  // the 32-bit record count
    std::uint64_t firstRecord;  // where the first record starts
    std::uint64_t recordSize;
    const char* noun;  // "cue point"
    const char* nounPlural;
};

// cue: dwCuePoints, then records of dwName, dwPosition, fccChunk,
// dwChunkStart, dwBlockStart, dwSampleOffset.
inline constexpr RecordLayout kCuePoints{cue::kCount.offset, cue::kFirstRecord, cue::kRecordSize, "cue point",
                                         "cue points"};
// plst: dwSegments, then records of dwName, dwLength, dwLoops.
inline constexpr RecordLayout kPlaySegments{plst::kCount.offset, plst::kFirstRecord, plst::kRecordSize,
                                            "play segment", "play segments"};
// smpl: nine 32-bit fields, cSampleLoops the eighth and cbSamplerData the
// ninth, then loop records of dwIdentifier, dwType, dwStart, dwEnd,
// dwFraction, dwPlayCount.
inline constexpr RecordLayout kSampleLoops{smpl::kLoopCount.offset, smpl::kFirstRecord, smpl::kRecordSize,
                                           "sample loop", "sample loops"};
inline constexpr std::uint64_t kSamplerDataOffset = smpl::kSamplerData.offset;

// The fmt chunk: 16 bytes of format fields, then cbSize; the extensible
// format keeps its sub-format GUID after cbSize, wValidBitsPerSample and
// dwChannelMask.
inline constexpr std::uint64_t kFormatFields = fmt::kBitsPerSample.End();
inline constexpr std::uint64_t kSubFormatOffset = fmt::kSubFormat.offset;
inline constexpr std::uint64_t kGuidSize = fmt::kSubFormat.width;
inline constexpr std::uint32_t kExtensibleTag = 0xFFFE;

// The plain format code a sub-format GUID stands for: the GUIDs
// xxxxxxxx-0000-0010-8000-00AA00389B71 carry the code in their first two
// bytes. Nothing for any other GUID, or one that is cut off.
constexpr std::optional<std::uint32_t> SubFormatCode(std::string_view guid) {
    constexpr std::string_view kCodeGuidTail{"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14};
    if (guid.size() != kGuidSize || guid.substr(2) != kCodeGuidTail) return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<unsigned char>(guid[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(guid[1])) << 8;
}

// What a writer that streams leaves in a size field it never goes back to
// fill in: 0xFFFFFFFF, or (SoX on a pipe) a size just under 2 GiB, rounded
// down to whole frames. Such a size is a placeholder only where it runs past
// the end of the file.
inline constexpr std::uint32_t kStreamingSize = 0xFFFFFFFF;

// The 64-bit forms of WAV (RF64, BW64) keep the sizes that do not fit in 32
// bits in a ds64 chunk, which should come first; the 32-bit size field of
// such a chunk (and of the RIFF chunk) then holds 0xFFFFFFFF.
inline constexpr std::string_view kDs64Id = "ds64";
inline constexpr std::uint32_t kSizeInDs64 = 0xFFFFFFFF;
// riffSize, dataSize and sampleCount (64 bits each), then the table's length (32 bits).
inline constexpr std::uint64_t kDs64Fields = ds64::kTableLength.End();
// A table entry: the chunk id, then its 64-bit size.
inline constexpr std::uint64_t kDs64TableEntry = ds64::kEntrySize.End();
constexpr bool IsStreamingPlaceholder(std::uint32_t size) {
    return size == kStreamingSize || (size >= 0x7FFF0000 && size <= 0x7FFFFFFF);
}

}  // namespace wavedoc::layout
