#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "chunkinfo/byte_run.h"
#include "rows/row_sink.h"
#include "wavedoc/reading/field_reader.h"

namespace wavedoc {
class WaveDocument;
struct MapEntry;
}  // namespace wavedoc

namespace chunkinfo {

// What a routine reads: one entry of the structure map, its content (for a
// list, from its list type on; for stray bytes, the bytes themselves) read
// through the document's source in bounded pieces, and the document for the
// format fields that give the content meaning.
class ChunkInput {
public:
    ChunkInput(const wavedoc::WaveDocument& document, const wavedoc::MapEntry& entry);

    const wavedoc::WaveDocument& Document() const { return *document_; }
    const wavedoc::MapEntry& Entry() const { return *entry_; }
    // The content as far as the file holds it; a run of it (a text, the rest
    // of the chunk) is read and given its range through its part of this.
    const ByteRun& Content() const { return content_; }
    // Where the content starts in the file, and how many bytes of it the file holds.
    std::uint64_t ContentStart() const { return Content().At().offset; }
    std::uint64_t Present() const { return Content().Length(); }
    // Where `length` bytes at `offset` of the content lie in the file: a
    // record of fixed size.
    rows::ByteRange At(std::uint64_t offset, std::uint64_t length) const {
        return rows::ByteRange{ContentStart() + offset, length};
    }
    // Where a field of a layout lies in the file.
    rows::ByteRange At(const wavedoc::Field& field) const { return At(field.offset, field.width); }

    // At most `count` bytes of the content from `offset` on: fewer where the
    // content ends, none past it.
    std::string Read(std::uint64_t offset, std::uint64_t count) const { return content_.Read(offset, count); }
    // The same bytes as fields: a field they do not hold raises WaveDocError
    // naming the chunk and the field.
    wavedoc::FieldReader Fields(std::uint64_t offset, std::uint64_t count) const;
    // The order of the file's numbers: big-endian in a RIFX file.
    wavedoc::ByteOrder Order() const;

    // The fmt chunk's sample rate and channel count, when the file holds them.
    std::optional<std::uint32_t> SampleRate() const;
    std::optional<std::uint32_t> ChannelCount() const;

private:
    const wavedoc::WaveDocument* document_;
    const wavedoc::MapEntry* entry_;
    ByteRun content_;
};

}  // namespace chunkinfo
