#include "wavedoc/reading/chunk_walker.h"

#include <algorithm>
#include <tuple>

#include "wavedoc/reading/offset_math.h"
#include "wavedoc/reading/riff_layout.h"

namespace wavedoc {
namespace {

constexpr std::uint64_t kHeaderSize = layout::kChunkHeaderSize;
constexpr std::uint64_t kWindowSize = 4096;
// How many headers each reading of a doubtful pad byte is followed.
constexpr int kLookAhead = 6;

bool IsPrintableId(std::string_view id) {
    return id.size() == 4 && std::all_of(id.begin(), id.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte >= 0x20 && byte <= 0x7E;
           });
}

std::uint32_t SizeField(std::string_view header, ByteOrder order) {
    return static_cast<std::uint32_t>(NumberIn(BytesOf(header, layout::header::kSize), order));
}

}  // namespace

// How far one reading of the bytes gets: how it ends, best first, and how many
// plausible headers it passes on the way.
struct ChunkWalker::Chain {
    enum Ending { Broken = 0, PastEnd = 1, ExactEnd = 2 };
    int ending = Broken;
    int headers = 0;
    bool operator<(const Chain& other) const {
        return std::tie(ending, headers) < std::tie(other.ending, other.headers);
    }
};

ChunkWalker::ChunkWalker(const ByteSource& source, std::uint64_t begin, std::uint64_t end)
    : ChunkWalker(source, begin, end, end) {}

ChunkWalker::ChunkWalker(const ByteSource& source, std::uint64_t begin, std::uint64_t end,
                         std::uint64_t statedEnd)
    : source_(&source), position_(begin), end_(std::min(end, source.Length())), statedEnd_(statedEnd) {}

std::string_view ChunkWalker::Peek(std::uint64_t offset, std::uint64_t length) {
    if (offset < windowStart_ || !offsets::Fits(offset - windowStart_, length, window_.size())) {
        std::string window = source_->Read(offset, offsets::BytesBefore(offset, kWindowSize, end_));
        window_ = std::move(window);
        windowStart_ = offset;
    }
    return std::string_view(window_).substr(offset - windowStart_, length);
}

std::uint64_t ChunkWalker::DeclaredSize(std::string_view header) const {
    const std::uint32_t stored = SizeField(header, order_);
    if (ds64_ == nullptr || stored != layout::kSizeInDs64) return stored;
    return ds64_->SizeFor(BytesOf(header, layout::header::kId)).value_or(stored);
}

bool ChunkWalker::StartsPlausibleHeader(std::uint64_t offset) {
    return offsets::Fits(offset, kHeaderSize, end_) &&
           IsPrintableId(BytesOf(Peek(offset, kHeaderSize), layout::header::kId));
}

ChunkWalker::Chain ChunkWalker::Follow(std::uint64_t offset, int depth) {
    Chain chain;
    for (; chain.headers < depth; ++chain.headers) {
        if (offset == end_ || offset == statedEnd_) {
            chain.ending = Chain::ExactEnd;
            return chain;
        }
        if (!StartsPlausibleHeader(offset)) return chain;
        const std::uint64_t size = DeclaredSize(Peek(offset, kHeaderSize));
        if (!offsets::Fits(offset + kHeaderSize, size, end_)) {
            chain.ending = Chain::PastEnd;
            return chain;
        }
        const std::uint64_t next = offset + kHeaderSize + size;
        // Inside the look-ahead a doubtful pad byte is settled greedily: kept
        // unless only the position without it starts a header.
        const bool skipPad =
            size % 2 == 1 && next < end_ && (StartsPlausibleHeader(next + 1) || !StartsPlausibleHeader(next));
        offset = skipPad ? next + 1 : next;
    }
    chain.ending = Chain::ExactEnd;  // went on as far as it was followed
    return chain;
}

std::optional<ChunkHeader> ChunkWalker::Next() {
    if (end_reason_ != WalkEnd::Running) return std::nullopt;
    if (position_ >= end_) {
        end_reason_ = WalkEnd::AtEnd;
        return std::nullopt;
    }
    if (end_ - position_ < kHeaderSize) {
        end_reason_ = WalkEnd::CutHeader;
        return std::nullopt;
    }
    const std::string_view header = Peek(position_, kHeaderSize);
    const std::string_view id = BytesOf(header, layout::header::kId);
    if (!IsPrintableId(id)) {
        end_reason_ = WalkEnd::NotAChunk;
        return std::nullopt;
    }
    ChunkHeader chunk{std::string(id),
                      SizeField(header, order_),
                      position_,
                      position_ + kHeaderSize,
                      0,
                      PadByte::None,
                      std::nullopt,
                      false,
                      DeclaredSize(header),
                      order_};
    chunk.presentSize = offsets::BytesBefore(chunk.dataOffset, chunk.declaredSize, end_);
    const std::uint64_t next = FollowingHeader(chunk);
    if (chunk.pad == PadByte::Present) {
        chunk.padValue = static_cast<unsigned char>(Peek(next - 1, 1)[0]);
    }
    chunk.endsRange = next >= end_;
    position_ = next;
    return chunk;
}

std::uint64_t ChunkWalker::FollowingHeader(ChunkHeader& chunk) {
    // A size from ds64 may reach 2^64: a chunk that runs past the end is
    // followed by nothing, without adding its size to its offset.
    if (!offsets::Fits(chunk.dataOffset, chunk.declaredSize, end_)) return end_;
    const std::uint64_t unpadded = chunk.dataOffset + chunk.declaredSize;
    if (chunk.declaredSize % 2 == 0) return unpadded;
    if (unpadded == end_) {
        chunk.pad = PadByte::Missing;
        return unpadded;
    }
    const std::uint64_t padded = unpadded + 1;
    const bool paddedHeader = StartsPlausibleHeader(padded);
    const bool unpaddedHeader = StartsPlausibleHeader(unpadded);
    const bool takeUnpadded =
        unpaddedHeader && (!paddedHeader || Follow(padded, kLookAhead) < Follow(unpadded, kLookAhead));
    chunk.pad = takeUnpadded ? PadByte::Missing : PadByte::Present;
    return takeUnpadded ? unpadded : padded;
}

}  // namespace wavedoc
