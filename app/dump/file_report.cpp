#include "file_report.h"

#include <charconv>
#include <exception>
#include <string_view>

#include "ui/detail/chunk_details.h"
#include "ui/main/fill_chunk_list.h"
#include "wavedoc/wave_document.h"

namespace {

// A chunk list row, name TAB size. The size is split off at the last TAB:
// it never holds one, while the name is taken as it stands.
ChunkReport ChunkFromListRow(std::string_view row) {
    ChunkReport chunk;
    const std::size_t tab = row.rfind('\t');
    chunk.name = std::string(row.substr(0, tab));
    const std::string_view sizeText = row.substr(tab + 1);
    std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), chunk.size);
    return chunk;
}

// A status without a reason still gets a sentence that names the file.
std::string LoadFailure(const wavedoc::WaveDocument& document, const std::string& path, std::int16_t status) {
    if (!document.LoadError().empty()) return document.LoadError();
    return "\"" + path + "\" could not be read (status " + std::to_string(status) + ").";
}

}  // namespace

FileReport CollectFileReport(const std::string& path) {
    FileReport report;
    report.path = path;
    try {
        wavedoc::WaveDocument document;
        report.status = document.Load(path);
        if (report.status != wavedoc::LoadOk) {
            report.error = LoadFailure(document, path, report.status);
            return report;
        }
        report.notes = document.LoadNotes();
        // Like the window: the audio samples are never shown, so they are dropped at once.
        document.Data().SetData("");

        RowList chunkList;
        RowList values;
        FillChunkList(document, chunkList, values);
        for (const std::string& row : chunkList.Rows()) {
            ChunkReport chunk = ChunkFromListRow(row);
            chunk.error = ShowChunkDetails(document, chunk.name, values);
            chunk.rows = values.Rows();
            report.chunks.push_back(std::move(chunk));
        }
    } catch (const std::exception& error) {
        // Nothing about one file may end the run: report it like an unreadable file.
        report.status = wavedoc::LoadUnreadable;
        report.error = "\"" + path + "\" could not be read: " + error.what();
        report.chunks.clear();
        report.notes.clear();
    }
    return report;
}
