#include "chunkinfo/chunk_rows.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "rows/detail_rows.h"
#include "text/counted.h"
#include "text/display_text.h"

namespace chunkinfo {

std::string HexNumber(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string FloatText(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string TextValue(std::string_view read, std::uint64_t length, std::uint64_t limit) {
    const std::size_t zero = read.find('\0');
    if (zero != std::string_view::npos) {
        read = read.substr(0, zero);
        length = zero;
    }
    return rows::ShownText(std::string(read), length, limit);
}

void AddFixedTextRow(rows::RowSink& rows, const wavedoc::FieldReader& fields, std::size_t offset,
                     std::size_t length, std::string_view label,
                     const std::optional<rows::ByteRange>& fieldsAt) {
    // A sentence names the field by its label without the row's indentation.
    const std::string_view name = label.substr(std::min(label.find_first_not_of(' '), label.size()));
    const std::string_view field = fields.Bytes(offset, length, name);
    rows::AddValueRow(rows, label, TextValue(field, field.size(), rows.TextLimit()),
                      rows::RangeWithin(fieldsAt, offset, field.size()));
}

void AddFixedTextRow(rows::RowSink& rows, const wavedoc::FieldReader& fields, const wavedoc::Field& field,
                     std::string_view label, const std::optional<rows::ByteRange>& fieldsAt) {
    AddFixedTextRow(rows, fields, field.offset, field.width, label, fieldsAt);
}

std::string GroupedCount(std::uint64_t n, std::string_view one, std::string_view many) {
    return text::GroupedThousands(n) + " " + std::string(text::Agreeing(n, one, many));
}

void AddNotShownRow(rows::RowSink& rows, std::string_view what) {
    rows::AddValueRow(rows, "Not shown", what);
}

std::string_view NameOf(std::span<const IdName> table, std::string_view id) {
    for (const IdName& entry : table) {
        if (entry.id == id) return entry.name;
    }
    return {};
}

}  // namespace chunkinfo
