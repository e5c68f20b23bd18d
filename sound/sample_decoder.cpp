#include "sound/sample_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace sound {
namespace {

// The 16-bit value of an A-law or µ-law byte (ITU-T G.711).
std::int16_t ALawValue(unsigned char code) {
    code ^= 0x55;
    const int exponent = (code >> 4) & 0x07;
    int magnitude = ((code & 0x0F) << 4) + 8;
    if (exponent != 0) magnitude = (magnitude + 0x100) << (exponent - 1);
    return static_cast<std::int16_t>((code & 0x80) != 0 ? magnitude : -magnitude);
}

std::int16_t MuLawValue(unsigned char code) {
    code = static_cast<unsigned char>(~code);
    const int exponent = (code >> 4) & 0x07;
    const int magnitude = ((((code & 0x0F) << 3) + 0x84) << exponent) - 0x84;
    return static_cast<std::int16_t>((code & 0x80) != 0 ? -magnitude : magnitude);
}

template <typename Word>
Word ByteSwapped(Word word) {
    if constexpr (sizeof(Word) == 2) return static_cast<Word>(__builtin_bswap16(word));
    if constexpr (sizeof(Word) == 4) return static_cast<Word>(__builtin_bswap32(word));
    if constexpr (sizeof(Word) == 8) return static_cast<Word>(__builtin_bswap64(word));
}

using CodeTable = std::array<float, 256>;

template <typename Value>
CodeTable MakeTable(Value value) {
    CodeTable table{};
    for (unsigned code = 0; code < 256; ++code) {
        table[code] = static_cast<float>(value(static_cast<unsigned char>(code))) / 32768.0F;
    }
    return table;
}

const CodeTable kALaw = MakeTable(ALawValue);
const CodeTable kMuLaw = MakeTable(MuLawValue);

// A sample of `Bytes` bytes as an unsigned number, in the file's byte order.
template <unsigned Bytes, bool Big>
std::uint64_t Raw(const unsigned char* at) {
    // Whole words the machine reads at once, turned round where the order
    // differs from the machine's.
    if constexpr (Bytes == 2 || Bytes == 4 || Bytes == 8) {
        using Word = std::conditional_t<Bytes == 2, std::uint16_t,
                                        std::conditional_t<Bytes == 4, std::uint32_t, std::uint64_t>>;
        Word word = 0;
        std::memcpy(&word, at, Bytes);
        if constexpr (Big != (std::endian::native == std::endian::big)) word = ByteSwapped(word);
        return word;
    } else {
        std::uint64_t value = 0;
        for (unsigned i = 0; i < Bytes; ++i) {
            const unsigned shift = Big ? 8 * (Bytes - 1 - i) : 8 * i;
            value |= static_cast<std::uint64_t>(at[i]) << shift;
        }
        return value;
    }
}

template <unsigned Bytes, bool Big>
void DecodeInteger(const unsigned char* bytes, std::size_t samples, float* out) {
    constexpr float kScale = 1.0F / static_cast<float>(std::uint64_t{1} << (8 * Bytes - 1));
    if constexpr (Bytes == 2 && Big == (std::endian::native == std::endian::big)) {
        // The common case, in the machine's own order: a plain loop the
        // compiler vectorises.
        for (std::size_t i = 0; i < samples; ++i) {
            std::int16_t value = 0;
            std::memcpy(&value, bytes + 2 * i, 2);
            out[i] = static_cast<float>(value) * kScale;
        }
        return;
    }
    for (std::size_t i = 0; i < samples; ++i) {
        const auto raw = static_cast<std::uint32_t>(Raw<Bytes, Big>(bytes + i * Bytes));
        std::int32_t value = 0;
        if constexpr (Bytes == 1) {
            value = static_cast<std::int32_t>(raw) - 128;  // 8-bit PCM is unsigned
        } else {
            constexpr unsigned kUnused = 32 - 8 * Bytes;
            value = static_cast<std::int32_t>(raw << kUnused) >> kUnused;
        }
        out[i] = static_cast<float>(value) * kScale;
    }
}

// Where a piece's samples that are not numbers are counted.
struct NotFiniteTally {
    NotFinite* channels = nullptr;  // null: not counted
    unsigned stride = 1;
    std::uint64_t firstFrame = 0;

    // Sample i of the piece holds a NaN or an infinity.
    void Note(std::size_t i, bool notANumber) const {
        if (channels == nullptr) return;
        NotFinite& channel = channels[i % stride];
        if (channel.Count() == 0) channel.firstFrame = firstFrame + i / stride;
        ++(notANumber ? channel.notANumber : channel.infinite);
    }
};

constexpr double kLargestFloat = std::numeric_limits<float>::max();

template <typename Value>
float Stored(Value value, std::size_t i, const NotFiniteTally& tally) {
    if (!std::isfinite(value)) [[unlikely]] {
        tally.Note(i, std::isnan(value));
        return 0.0F;
    }
    if constexpr (sizeof(Value) == 8) {
        return static_cast<float>(std::clamp(value, -kLargestFloat, kLargestFloat));
    } else {
        return value;
    }
}

template <bool Big>
void DecodeFloat32(const unsigned char* bytes, std::size_t samples, float* out, const NotFiniteTally& tally) {
    for (std::size_t i = 0; i < samples; ++i) {
        const auto raw = static_cast<std::uint32_t>(Raw<4, Big>(bytes + 4 * i));
        float value = 0;
        std::memcpy(&value, &raw, sizeof value);
        out[i] = Stored(value, i, tally);
    }
}

template <bool Big>
void DecodeFloat64(const unsigned char* bytes, std::size_t samples, float* out, const NotFiniteTally& tally) {
    for (std::size_t i = 0; i < samples; ++i) {
        const std::uint64_t raw = Raw<8, Big>(bytes + 8 * i);
        double value = 0;
        std::memcpy(&value, &raw, sizeof value);
        out[i] = Stored(value, i, tally);
    }
}

template <bool Big>
void DecodeOrdered(const SampleFormat& format, const unsigned char* bytes, std::size_t samples, float* out,
                   const NotFiniteTally& tally) {
    switch (format.encoding) {
        case Encoding::Integer:
            switch (format.bytes) {
                case 1:
                    return DecodeInteger<1, Big>(bytes, samples, out);
                case 2:
                    return DecodeInteger<2, Big>(bytes, samples, out);
                case 3:
                    return DecodeInteger<3, Big>(bytes, samples, out);
                default:
                    return DecodeInteger<4, Big>(bytes, samples, out);
            }
        case Encoding::Float:
            if (format.bytes == 8) return DecodeFloat64<Big>(bytes, samples, out, tally);
            return DecodeFloat32<Big>(bytes, samples, out, tally);
        case Encoding::ALaw:
        case Encoding::MuLaw: {
            const CodeTable& table = format.encoding == Encoding::ALaw ? kALaw : kMuLaw;
            for (std::size_t i = 0; i < samples; ++i) out[i] = table[bytes[i]];
            return;
        }
    }
}

}  // namespace

void DecodeFrames(const SampleFormat& format, const unsigned char* bytes, std::size_t frames, float* out,
                  NotFinite* notFinite, std::uint64_t firstFrame) {
    const std::size_t samples = frames * format.channels;
    const NotFiniteTally tally{notFinite, format.channels, firstFrame};
    if (format.bigEndian) {
        DecodeOrdered<true>(format, bytes, samples, out, tally);
    } else {
        DecodeOrdered<false>(format, bytes, samples, out, tally);
    }
}

ClipLevels ClipLevelsOf(const SampleFormat& format) {
    switch (format.encoding) {
        case Encoding::Integer: {
            const auto full = static_cast<float>(std::uint64_t{1} << (8 * format.bytes - 1));
            return {(full - 1.0F) / full, -1.0F};
        }
        case Encoding::Float:
            return {1.0F, -1.0F};
        case Encoding::ALaw:
            return {kALaw[0xAA], kALaw[0x2A]};
        case Encoding::MuLaw:
            return {kMuLaw[0x80], kMuLaw[0x00]};
    }
    return {};
}

}  // namespace sound
