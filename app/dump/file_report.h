#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What ondulo-dump shows of one file, collected once for the text and the JSON
// form. Strings are the raw bytes the file holds; the writers make them
// displayable.

struct ChunkReport {
    std::string name;
    std::int32_t size = 0;
    std::vector<std::string> rows;     // as the value grid holds them
    std::optional<std::string> error;  // why the rows stop short, when they do
};

struct FileReport {
    std::string path;
    std::int16_t status = 0;  // the status of WaveDocument::Load
    std::string error;        // why the file could not be read; empty on success
    std::vector<ChunkReport> chunks;
    std::vector<std::string> notes;  // damage the load got past (WaveDocument::LoadNotes)
};

// Loads `path` and runs the chunk list and the detail view for each listed
// chunk, exactly as the window would for a user clicking through the list.
FileReport CollectFileReport(const std::string& path);
