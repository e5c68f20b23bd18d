#include "file_report.h"

#include <exception>
#include <new>

#include "ui/detail/chunk_details.h"
#include "ui/main/fill_chunk_list.h"
#include "wavedoc/wave_document.h"

namespace {

// A status without a reason still gets a sentence that names the file.
std::string LoadFailure(const wavedoc::WaveDocument& document, const std::string& path, std::int16_t status) {
    if (!document.LoadError().empty()) return document.LoadError();
    return "\"" + path + "\" could not be read (status " + std::to_string(status) + ").";
}

}  // namespace

std::int16_t ReportFile(const std::string& path, ReportWriter& writer) {
    wavedoc::WaveDocument document;
    const std::int16_t status = document.Load(path);
    if (status != wavedoc::LoadOk) {
        writer.Refused(path, status, LoadFailure(document, path, status));
        return status;
    }
    // Like the window: the audio samples are never shown.
    document.Data().SetData("");

    std::vector<ListedChunk> chunks;
    for (const wavedoc::ChunkBase* chunk : ListedChunks(document)) chunks.push_back({chunk->Name(), chunk->Size()});
    writer.BeginFile(path, chunks, document.LoadNotes());
    for (const ListedChunk& chunk : chunks) {
        writer.BeginChunk(chunk);
        std::optional<std::string> error;
        try {
            error = ShowChunkDetails(document, chunk.name, writer);
        } catch (const std::bad_alloc&) {
            error = "The " + chunk.name + " chunk could not be shown in full: there is not enough memory.";
        }
        writer.EndChunk(error);
    }
    writer.EndFile();
    return status;
}
