#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace wavedoc {

// What the bytes of a field hold, which says how they are read.
enum class FieldKind {
    Unsigned,  // an unsigned number of 1, 2, 4 or 8 bytes in the file's byte order
    Signed,    // a two's complement number of 1 or 2 bytes
    Bits,      // 32 bits taken as they are, shown as a signed number (0xFFFFFFFF gives -1)
    Float,     // a 32-bit IEEE float in the file's byte order
    FourCC,    // four characters as stored
    Text,      // a fixed-size text, up to its first zero byte
    Bytes,     // bytes as stored
};

// One field of a chunk's layout: its name as the format that defines it
// spells it ("dwPosition"), where it starts within its record or content, how
// many bytes it takes and what they hold. A field is read and its byte range
// given from this one description, so the two cannot disagree.
struct Field {
    std::string_view name;
    std::uint64_t offset = 0;
    std::uint64_t width = 0;
    FieldKind kind = FieldKind::Unsigned;

    constexpr std::uint64_t End() const { return offset + width; }
};

// The usual kinds, each with the width its kind implies.
constexpr Field Bits32Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 4, FieldKind::Bits};
}
constexpr Field Unsigned8Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 1, FieldKind::Unsigned};
}
constexpr Field Signed8Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 1, FieldKind::Signed};
}
constexpr Field Unsigned16Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 2, FieldKind::Unsigned};
}
constexpr Field Signed16Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 2, FieldKind::Signed};
}
constexpr Field Unsigned32Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 4, FieldKind::Unsigned};
}
constexpr Field Unsigned64Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 8, FieldKind::Unsigned};
}
constexpr Field Float32Field(std::string_view name, std::uint64_t offset) {
    return {name, offset, 4, FieldKind::Float};
}
constexpr Field FourCCField(std::string_view name, std::uint64_t offset) {
    return {name, offset, 4, FieldKind::FourCC};
}
constexpr Field TextField(std::string_view name, std::uint64_t offset, std::uint64_t width) {
    return {name, offset, width, FieldKind::Text};
}
constexpr Field BytesField(std::string_view name, std::uint64_t offset, std::uint64_t width) {
    return {name, offset, width, FieldKind::Bytes};
}

// The fields from `first` to `last`, which follow one another, as one field
// of bytes: a value kept in two halves, a version and its revision.
constexpr Field Spanning(std::string_view name, const Field& first, const Field& last) {
    return {name, first.offset, last.End() - first.offset, FieldKind::Bytes};
}

// Whether each field starts where the one before it ends, the first at
// offset 0: a layout that leaves no gap, checked where it is stated.
constexpr bool FollowOneAnother(std::span<const Field> fields) {
    std::uint64_t end = 0;
    for (const Field& field : fields) {
        if (field.offset != end) return false;
        end = field.End();
    }
    return true;
}
constexpr bool FollowOneAnother(std::initializer_list<Field> fields) {
    return FollowOneAnother(std::span<const Field>(fields.begin(), fields.size()));
}

// The bytes of `field` within `bytes`, which hold it whole.
constexpr std::string_view BytesOf(std::string_view bytes, const Field& field) {
    return bytes.substr(field.offset, field.width);
}

// A field of a record that starts `recordOffset` bytes into its content, as
// a field of the content.
constexpr Field InRecordAt(const Field& field, std::uint64_t recordOffset) {
    return {field.name, recordOffset + field.offset, field.width, field.kind};
}

}  // namespace wavedoc
