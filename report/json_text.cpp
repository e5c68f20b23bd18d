#include "report/json_text.h"

#include <charconv>
#include <cstring>

#include "text/cut_text.h"
#include "text/display_text.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

// Whether any byte of `word` (eight bytes read as one number) is below 0x20,
// at 0x7F or above, a quote or a backslash: a byte JSON cannot take as it
// is. A borrow or carry between bytes arises only from such a byte, so the
// answer for the word as a whole is exact.
constexpr bool HasJsonSpecial(std::uint64_t word) {
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

bool HasJsonSpecial(Bytes16 bytes) {
    const auto special = (bytes < 0x20) | (bytes >= 0x7F) | (bytes == '"') | (bytes == '\\');
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
    return !HasJsonSpecial(head) && !HasJsonSpecial(tail);
}

// Four-byte blocks are looked at as the two halves of one word.
template <>
bool PutPair<std::uint32_t>(char* to, const char* from, std::size_t size) {
    const std::uint32_t head = Load<std::uint32_t>(from);
    const std::uint32_t tail = Load<std::uint32_t>(from + size - 4);
    Store(to, head);
    Store(to + size - 4, tail);
    return !HasJsonSpecial(std::uint64_t{head} | std::uint64_t{tail} << 32);
}

bool IsPlainByte(char c) { return !HasJsonSpecial(0x2020202020202000 | static_cast<unsigned char>(c)); }

template <typename Number>
char* PutNumber(char* to, Number value) {
    return std::to_chars(to, to + kMostDecimalBytes, value).ptr;
}

template <typename Number>
void AppendNumber(std::string& out, Number value) {
    char digits[kMostDecimalBytes];
    out.append(digits, PutNumber(digits, value));
}

}  // namespace

char* PutPlainJson(char* to, std::string_view raw) {
    const char* from = raw.data();
    const std::size_t size = raw.size();
    // Sixteen bytes at a time, the last block overlapping those before; a
    // shorter text as two words of eight or of four, or byte by byte.
    if (size >= sizeof(Bytes16)) {
        for (std::size_t i = 0; i + sizeof(Bytes16) < size; i += sizeof(Bytes16)) {
            const Bytes16 block = Load<Bytes16>(from + i);
            Store(to + i, block);
            if (HasJsonSpecial(block)) return nullptr;
        }
        const Bytes16 last = Load<Bytes16>(from + size - sizeof(Bytes16));
        Store(to + size - sizeof(Bytes16), last);
        return HasJsonSpecial(last) ? nullptr : to + size;
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

bool AppendPlainJsonString(std::string& out, std::string_view raw) {
    const std::size_t start = out.size();
    out.resize(start + raw.size() + 2);
    out[start] = '"';
    if (PutPlainJson(out.data() + start + 1, raw) == nullptr) {
        out.resize(start);
        return false;
    }
    out.back() = '"';
    return true;
}

void AppendJsonString(std::string& out, std::string_view raw) {
    if (AppendPlainJsonString(out, raw)) return;
    // Anything else is read as DisplayUtf8 shows it and escaped.
    const std::string utf8 = DisplayUtf8(raw);
    out.reserve(out.size() + utf8.size() + 2);
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

std::string JsonString(std::string_view raw) {
    std::string json;
    AppendJsonString(json, raw);
    return json;
}

std::string HexBytes(std::string_view raw) { return HexDigits(raw, HexCase::Lower); }

void AppendDecimal(std::string& out, std::int64_t value) { AppendNumber(out, value); }
void AppendDecimal(std::string& out, std::uint64_t value) { AppendNumber(out, value); }
char* PutDecimal(char* to, std::int64_t value) { return PutNumber(to, value); }
char* PutDecimal(char* to, std::uint64_t value) { return PutNumber(to, value); }
