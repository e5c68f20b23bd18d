#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "rows/detail_rows.h"
#include "rows/row_sink.h"
#include "text/display_text.h"
#include "wavedoc/reading/field_reader.h"

// What the routines share: the names of ids, how numbers, texts and counts
// are written, and the row for content left out. Bytes as hex digits come
// from HexDigits, in text/.
namespace chunkinfo {

// An id (a frame, an item) and the name people know it by.
struct IdName {
    std::string_view id;
    std::string_view name;
};

// The name of `id` in `table`, or empty when it has none there.
std::string_view NameOf(std::span<const IdName> table, std::string_view id);

// "0x0000001F": a number as hex with at least `digits` digits.
std::string HexNumber(std::uint64_t value, int digits);

// The shortest decimal text that reads back as the same float: 120, 97.5.
std::string FloatText(float value);

// A text as a cell shows it: `read` holds the first bytes of a text whose
// whole length is `length`; the part before its first zero byte is kept, and
// cut (cut_text.h) when the text is longer than `limit`. A zero byte within
// `read` ends the text there, whatever `length` says.
std::string TextValue(std::string_view read, std::uint64_t length, std::uint64_t limit);

// A row for a fixed-size text field: its bytes up to the first zero byte.
// `fieldsAt` is where the bytes of `fields` lie; the row's range is the field's.
void AddFixedTextRow(rows::RowSink& rows, const wavedoc::FieldReader& fields, std::size_t offset,
                     std::size_t length, std::string_view label,
                     const std::optional<rows::ByteRange>& fieldsAt);
// The same for a field of a layout; a sentence names it by its label.
void AddFixedTextRow(rows::RowSink& rows, const wavedoc::FieldReader& fields, const wavedoc::Field& field,
                     std::string_view label, const std::optional<rows::ByteRange>& fieldsAt);

// "1 byte", "1,048,576 bytes": the number with its thousands grouped and the
// words that agree with it.
std::string GroupedCount(std::uint64_t n, std::string_view one, std::string_view many);

// The row that says what the rows before it leave out: "Not shown", then
// what ("12 more items").
void AddNotShownRow(rows::RowSink& rows, std::string_view what);

}  // namespace chunkinfo
