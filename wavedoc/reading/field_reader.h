#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "wavedoc/reading/chunk_naming.h"
#include "wavedoc/reading/field.h"

namespace wavedoc {

// The order of the bytes of a number: RIFF files store them least
// significant first, RIFX files most significant first.
enum class ByteOrder { Little, Big };

// Bounds-checked reads of numbers, in the file's byte order, over the bytes of one chunk head,
// record or sub-chunk head, as far as the file really holds them. A field
// that does not fit is never made up: the read raises WaveDocError naming the
// owner and the field.
// The number `bytes` hold (at most 8 of them), in the given order.
std::uint64_t NumberIn(std::string_view bytes, ByteOrder order);

class FieldReader {
public:
    FieldReader() = default;
    FieldReader(std::string bytes, OwnerName owner, ByteOrder order = ByteOrder::Little);

    // A 32-bit field; its bits as a signed value (0xFFFFFFFF gives -1).
    std::int32_t Bits32(std::size_t offset, std::string_view field) const;
    // A 64-bit field, as the 64-bit forms of WAV store sizes; its unsigned value.
    std::uint64_t Unsigned64(std::size_t offset, std::string_view field) const;
    // A 16-bit field; its unsigned value (0 to 65535).
    std::int32_t Unsigned16(std::size_t offset, std::string_view field) const;
    // One byte; unsigned (0 to 255) or signed (-128 to 127).
    std::int16_t Unsigned8(std::size_t offset, std::string_view field) const;
    std::int16_t Signed8(std::size_t offset, std::string_view field) const;
    // Four bytes exactly as stored.
    std::string FourCC(std::size_t offset, std::string_view field) const;
    // A field of `length` bytes exactly as stored, valid while the reader lives.
    std::string_view Bytes(std::size_t offset, std::size_t length, std::string_view field) const;
    // The bytes from offset to the end; empty when offset lies at or past the end.
    std::string Rest(std::size_t offset) const;

    // The same reads of a field of a layout (field.h), which gives where the
    // field lies and its name. A field whose width is not the read's is a
    // fault of the layout, raised as std::logic_error.
    std::int32_t Bits32(const Field& field) const;
    std::uint64_t Unsigned64(const Field& field) const;
    std::uint32_t Unsigned32(const Field& field) const;
    std::int32_t Unsigned16(const Field& field) const;
    std::int16_t Signed16(const Field& field) const;
    std::int16_t Unsigned8(const Field& field) const;
    std::int16_t Signed8(const Field& field) const;
    float Float32(const Field& field) const;
    std::string FourCC(const Field& field) const;
    std::string_view Bytes(const Field& field) const;
    // A fixed-size text up to its first zero byte.
    std::string_view Text(const Field& field) const;

private:
    std::string_view Span(std::size_t offset, std::size_t length, std::string_view field) const;

    std::uint64_t Number(std::size_t offset, std::size_t length, std::string_view field) const;
    // The bytes of `field`, which must be `width` bytes wide.
    std::string_view SpanOf(const Field& field, std::uint64_t width) const;

    std::string bytes_;
    OwnerName owner_;
    ByteOrder order_ = ByteOrder::Little;
};

}  // namespace wavedoc
