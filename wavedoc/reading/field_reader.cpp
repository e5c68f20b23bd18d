#include "wavedoc/reading/field_reader.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <utility>

#include "wavedoc/reading/offset_math.h"
#include "wavedoc/reading/wave_error.h"

namespace wavedoc {
namespace {

std::string Capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace

std::uint64_t NumberIn(std::string_view bytes, ByteOrder order) {
    // Most significant byte first: the last byte in a RIFF file, the first in RIFX.
    std::uint64_t value = 0;
    const auto take = [&value](char byte) { value = (value << 8) | static_cast<unsigned char>(byte); };
    if (order == ByteOrder::Little) {
        std::for_each(bytes.rbegin(), bytes.rend(), take);
    } else {
        std::for_each(bytes.begin(), bytes.end(), take);
    }
    return value;
}

FieldReader::FieldReader(std::string bytes, OwnerName owner, ByteOrder order)
    : bytes_(std::move(bytes)), owner_(std::move(owner)), order_(order) {}

std::uint64_t FieldReader::Number(std::size_t offset, std::size_t length, std::string_view field) const {
    return NumberIn(Span(offset, length, field), order_);
}

std::string_view FieldReader::Span(std::size_t offset, std::size_t length, std::string_view field) const {
    if (!offsets::Fits(offset, length, bytes_.size())) {
        if (owner_.chunkId.empty()) {
            throw WaveDocError("The file holds no such chunk, so its field " + std::string(field) +
                               " cannot be read.");
        }
        throw WaveDocError(Capitalised(owner_.Text()) + " ends before its field " + std::string(field) + ".");
    }
    return std::string_view(bytes_).substr(offset, length);
}

std::int32_t FieldReader::Bits32(std::size_t offset, std::string_view field) const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Number(offset, 4, field)));
}

std::uint64_t FieldReader::Unsigned64(std::size_t offset, std::string_view field) const {
    return Number(offset, 8, field);
}

std::int32_t FieldReader::Unsigned16(std::size_t offset, std::string_view field) const {
    return static_cast<std::int32_t>(Number(offset, 2, field));
}

std::int16_t FieldReader::Unsigned8(std::size_t offset, std::string_view field) const {
    return static_cast<std::int16_t>(static_cast<unsigned char>(Span(offset, 1, field)[0]));
}

std::int16_t FieldReader::Signed8(std::size_t offset, std::string_view field) const {
    return static_cast<std::int16_t>(static_cast<signed char>(Span(offset, 1, field)[0]));
}

std::string FieldReader::FourCC(std::size_t offset, std::string_view field) const {
    return std::string(Span(offset, 4, field));
}

std::string_view FieldReader::Bytes(std::size_t offset, std::size_t length, std::string_view field) const {
    return Span(offset, length, field);
}

std::string_view FieldReader::SpanOf(const Field& field, std::uint64_t width) const {
    if (field.width != width) {
        throw std::logic_error("The field " + std::string(field.name) + " is " + std::to_string(field.width) +
                               " bytes wide, not " + std::to_string(width) + ".");
    }
    return Span(field.offset, field.width, field.name);
}

std::int32_t FieldReader::Bits32(const Field& field) const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(NumberIn(SpanOf(field, 4), order_)));
}

std::uint64_t FieldReader::Unsigned64(const Field& field) const { return NumberIn(SpanOf(field, 8), order_); }

std::uint32_t FieldReader::Unsigned32(const Field& field) const {
    return static_cast<std::uint32_t>(NumberIn(SpanOf(field, 4), order_));
}

std::int32_t FieldReader::Unsigned16(const Field& field) const {
    return static_cast<std::int32_t>(NumberIn(SpanOf(field, 2), order_));
}

std::int16_t FieldReader::Signed16(const Field& field) const {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(NumberIn(SpanOf(field, 2), order_)));
}

std::int16_t FieldReader::Unsigned8(const Field& field) const {
    return static_cast<std::int16_t>(static_cast<unsigned char>(SpanOf(field, 1)[0]));
}

std::int16_t FieldReader::Signed8(const Field& field) const {
    return static_cast<std::int16_t>(static_cast<signed char>(SpanOf(field, 1)[0]));
}

float FieldReader::Float32(const Field& field) const {
    return std::bit_cast<float>(static_cast<std::uint32_t>(NumberIn(SpanOf(field, 4), order_)));
}

std::string FieldReader::FourCC(const Field& field) const { return std::string(SpanOf(field, 4)); }

std::string_view FieldReader::Bytes(const Field& field) const { return SpanOf(field, field.width); }

std::string_view FieldReader::Text(const Field& field) const {
    const std::string_view bytes = Bytes(field);
    return bytes.substr(0, bytes.find('\0'));
}

std::string FieldReader::Rest(std::size_t offset) const {
    return offset >= bytes_.size() ? std::string() : bytes_.substr(offset);
}

}  // namespace wavedoc
