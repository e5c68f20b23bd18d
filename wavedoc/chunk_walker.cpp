#include "chunk_walker.h"

#include <algorithm>

#include "field_reader.h"
#include "offset_math.h"

namespace wavedoc {
namespace {

constexpr std::uint64_t kHeaderSize = 8;
constexpr std::uint64_t kWindowSize = 4096;

bool IsPrintableId(const std::string& id) {
    return id.size() == 4 && std::all_of(id.begin(), id.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte >= 0x20 && byte <= 0x7E;
           });
}

}  // namespace

ChunkWalker::ChunkWalker(const ByteSource& source, std::uint64_t begin, std::uint64_t end)
    : source_(source), position_(begin), end_(std::min(end, source.Length())) {}

std::string ChunkWalker::Peek(std::uint64_t offset, std::uint64_t length) {
    if (offset < windowStart_ || !offsets::Fits(offset - windowStart_, length, window_.size())) {
        windowStart_ = offset;
        window_ = source_.Read(offset, offsets::BytesBefore(offset, kWindowSize, end_));
    }
    return window_.substr(offset - windowStart_, length);
}

bool ChunkWalker::StartsPlausibleHeader(std::uint64_t offset) {
    return offsets::Fits(offset, kHeaderSize, end_) && IsPrintableId(Peek(offset, 4));
}

std::optional<ChunkHeader> ChunkWalker::Next() {
    if (!position_ || !offsets::Fits(*position_, kHeaderSize, end_)) return std::nullopt;
    const FieldReader header(Peek(*position_, kHeaderSize), "a chunk header");
    ChunkHeader chunk{header.FourCC(0, "ckID"), static_cast<std::uint32_t>(header.Bits32(4, "ckSize")),
                      *position_ + kHeaderSize, 0};
    if (!IsPrintableId(chunk.id)) {
        stoppedAt_ = position_;
        position_.reset();
        return std::nullopt;
    }
    chunk.presentSize = offsets::BytesBefore(chunk.dataOffset, chunk.storedSize, end_);
    position_ = FollowingHeader(chunk);
    return chunk;
}

std::optional<std::uint64_t> ChunkWalker::FollowingHeader(const ChunkHeader& chunk) {
    const std::optional<std::uint64_t> unpadded = offsets::CheckedAdd(chunk.dataOffset, chunk.storedSize);
    if (!unpadded || chunk.storedSize % 2 == 0) return unpadded;
    const std::optional<std::uint64_t> padded = offsets::CheckedAdd(*unpadded, 1);
    // Some writers leave out the pad byte: trust the position where a header
    // really starts.
    if (padded && !StartsPlausibleHeader(*padded) && StartsPlausibleHeader(*unpadded)) return unpadded;
    return padded;
}

std::string ReadContent(const ByteSource& source, const ChunkHeader& chunk) {
    return source.Read(chunk.dataOffset, chunk.presentSize);
}

}  // namespace wavedoc
