#include "report/output_buffer.h"

#include <cstdint>
#include <cstring>

namespace report {

namespace {

// Whether any byte of `word` (eight bytes read as one number) is below 0x20,
// at 0x7F or above, a quote or a backslash: a byte neither writer takes as it
// is. A borrow or carry between bytes arises only from such a byte, so the
// answer for the word as a whole is exact.
constexpr bool HasSpecial(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    const auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v; };
    const std::uint64_t control = (word - 0x20 * kOnes) & ~word;
    const std::uint64_t high = (word + kOnes) | word;
    return ((control | high | hasZero(word ^ ('"' * kOnes)) | hasZero(word ^ ('\\' * kOnes))) & kHighBits) !=
           0;
}

// Sixteen bytes looked at together; GCC and Clang turn the comparisons into
// a few vector instructions wherever the target has them.
using Bytes16 = unsigned char __attribute__((vector_size(16)));

bool HasSpecial(Bytes16 bytes) {
    // Below 0x20 wraps round to 0xE0 and more: one compare finds both ends.
    const auto special = (bytes - 0x20 >= 0x5F) | (bytes == '"') | (bytes == '\\');
    std::uint64_t halves[2];
    std::memcpy(halves, &special, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

template <typename Block>
Block Load(const char* bytes) {
    Block block;
    std::memcpy(&block, bytes, sizeof block);
    return block;
}

template <typename Block>
void Store(char* to, const Block& block) {
    std::memcpy(to, &block, sizeof block);
}

// Copies the `size` bytes (kBlock to 2 * kBlock of them) as the first and
// the last block, which overlap; false when either holds a special byte.
template <typename Block>
bool PutPair(char* to, const char* from, std::size_t size) {
    const Block head = Load<Block>(from);
    const Block tail = Load<Block>(from + size - sizeof(Block));
    Store(to, head);
    Store(to + size - sizeof(Block), tail);
    return !HasSpecial(head) && !HasSpecial(tail);
}

// Four-byte blocks are looked at as the two halves of one word.
template <>
bool PutPair<std::uint32_t>(char* to, const char* from, std::size_t size) {
    const std::uint32_t head = Load<std::uint32_t>(from);
    const std::uint32_t tail = Load<std::uint32_t>(from + size - 4);
    Store(to, head);
    Store(to + size - 4, tail);
    return !HasSpecial(std::uint64_t{head} | std::uint64_t{tail} << 32);
}

bool IsPlainByte(char c) { return !HasSpecial(0x2020202020202000 | static_cast<unsigned char>(c)); }

}  // namespace

char* OutputBuffer::PutPlain(char* to, std::string_view raw) {
    const char* from = raw.data();
    const std::size_t size = raw.size();
    // Sixteen bytes at a time, the last block overlapping those before; a
    // shorter text as two words of eight or of four, or byte by byte.
    if (size >= sizeof(Bytes16)) {
        for (std::size_t i = 0; i + sizeof(Bytes16) < size; i += sizeof(Bytes16)) {
            const Bytes16 block = Load<Bytes16>(from + i);
            Store(to + i, block);
            if (HasSpecial(block)) return nullptr;
        }
        const Bytes16 last = Load<Bytes16>(from + size - sizeof(Bytes16));
        Store(to + size - sizeof(Bytes16), last);
        return HasSpecial(last) ? nullptr : to + size;
    }
    bool plain = true;
    if (size >= 8) {
        plain = PutPair<std::uint64_t>(to, from, size);
    } else if (size >= 4) {
        plain = PutPair<std::uint32_t>(to, from, size);
    } else {
        for (std::size_t i = 0; i < size; ++i) {
            to[i] = from[i];
            plain = plain && IsPlainByte(from[i]);
        }
    }
    return plain ? to + size : nullptr;
}

}  // namespace report
