#include "cue_chunk.h"

#include "chunk_naming.h"
#include "fixed_records.h"

namespace wavedoc {
namespace {

// dwCuePoints, then records of dwName, dwPosition, fccChunk, dwChunkStart,
// dwBlockStart, dwSampleOffset.
constexpr RecordLayout kCueLayout{0, 4, 24, "cue point", "cue points"};

}  // namespace

CuePoint::CuePoint(std::string record, std::string owner) : fields_(std::move(record), std::move(owner)) {}

std::int32_t CuePoint::Id() const { return fields_.Bits32(0, "dwName"); }
std::int32_t CuePoint::Position() const { return fields_.Bits32(4, "dwPosition"); }
std::string CuePoint::DataChunkId() const { return fields_.FourCC(8, "fccChunk"); }
std::int32_t CuePoint::ChunkStart() const { return fields_.Bits32(12, "dwChunkStart"); }
std::int32_t CuePoint::BlockStart() const { return fields_.Bits32(16, "dwBlockStart"); }
std::int32_t CuePoint::SampleOffset() const { return fields_.Bits32(20, "dwSampleOffset"); }

CueChunk::CueChunk(std::string name, std::int32_t size, std::string bytes)
    : ChunkBase(name, size), fields_(std::move(bytes), ChunkOwnerName(name)) {
    cuePoints_ = SplitRecords<CuePoint>(fields_, kCueLayout);
}

std::int32_t CueChunk::CuePointCount() const { return fields_.Bits32(0, "dwCuePoints"); }

}  // namespace wavedoc
