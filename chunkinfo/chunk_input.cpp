#include "chunkinfo/chunk_input.h"

#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"

namespace chunkinfo {

ChunkInput::ChunkInput(const wavedoc::WaveDocument& document, const wavedoc::MapEntry& entry)
    : document_(&document),
      entry_(&entry),
      content_(document.Source(),
               entry.IsChunk() ? entry.offset + wavedoc::layout::kChunkHeaderSize : entry.offset,
               entry.IsChunk() ? entry.present : entry.length) {}

wavedoc::FieldReader ChunkInput::Fields(std::uint64_t offset, std::uint64_t count) const {
    return wavedoc::FieldReader(Read(offset, count), wavedoc::OwnerName{entry_->id}, Order());
}

wavedoc::ByteOrder ChunkInput::Order() const { return document_->Order(); }

// The fmt fields are read only when the load read that far of the chunk, so
// a short or missing fmt chunk gives nothing instead of an error.
std::optional<std::uint32_t> ChunkInput::SampleRate() const {
    const wavedoc::FmtChunk& format = document_->Fmt();
    if (format.Name().empty() || format.Present() < 8) return std::nullopt;
    return static_cast<std::uint32_t>(format.SampleRate());
}

std::optional<std::uint32_t> ChunkInput::ChannelCount() const {
    const wavedoc::FmtChunk& format = document_->Fmt();
    if (format.Name().empty() || format.Present() < 4) return std::nullopt;
    return static_cast<std::uint32_t>(format.ChannelCount());
}

}  // namespace chunkinfo
