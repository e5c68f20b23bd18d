#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "wavedoc/structure_map.h"
#include "wavedoc/wave_document.h"

// What is wrong or questionable in a loaded WAV file: one small function per
// finding code, all listed in one table.
namespace wavecheck {

enum class Level { Error, Warning, Note };

// "error", "warning" or "note".
std::string_view LevelName(Level level);

struct Finding {
    std::string code;  // stable: never renamed once released, e.g. "riff-size"
    Level level = Level::Note;
    std::uint64_t offset = 0;  // where the chunk (or the bytes) it concerns start
    std::string chunk;         // the id of the chunk it concerns, as stored; empty for none
    std::string message;       // one plain sentence
};

// What every check reads: the loaded document and the structure map of its
// file (MapStructure), made once for all checks.
struct CheckInput {
    const wavedoc::WaveDocument& document;
    const std::vector<wavedoc::MapEntry>& map;
};

// Runs every check in the table, in its order. Checks that need a chunk the
// file lacks are skipped. Reads through the document, so it may raise
// wavedoc::FileChangedError; hold a ReadingSession around it.
std::vector<Finding> CheckFile(const CheckInput& input);

// The codes of the table, in its order.
std::vector<std::string_view> FindingCodes();

}  // namespace wavecheck
