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

    FileOverview overview;
    for (const wavedoc::ChunkBase* chunk : ListedChunks(document)) {
        overview.chunks.push_back({chunk->Name(), chunk->Size()});
    }
    overview.notes = document.LoadNotes();
    try {
        overview.structure = wavedoc::MapStructure(document);
    } catch (const std::exception& error) {
        overview.notes.push_back(std::string("The structure of the file could not be mapped: ") +
                                 error.what());
    }
    writer.BeginFile(path, overview);
    for (const ListedChunk& chunk : overview.chunks) {
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
