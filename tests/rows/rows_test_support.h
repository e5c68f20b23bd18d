#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "rows/chunk_details.h"
#include "support/wav_builder.h"
#include "text/cut_text.h"
#include "wavedoc/document/wave_document.h"

// A table-driven check of what the detail view shows for one chunk of a file
// built in memory.
namespace detailtest {

using namespace wavtest;
using Rows = std::vector<std::string>;

// A file holding a mono 8-bit fmt chunk, the given chunks and a short data chunk.
inline std::string WaveWith(const std::string& chunks) {
    return RiffFile(Chunk("fmt ", PcmFormat(1, 8000, 8)) + chunks + Chunk("data", "ab"));
}

struct Shown {
    Rows rows;
    std::optional<std::string> error;
};

inline Shown ShowChunk(const std::string& fileBytes, const std::string& chunkName) {
    wavedoc::WaveDocument document;
    EXPECT_EQ(document.LoadFromMemory(fileBytes, "built.wav"), wavedoc::LoadOk) << document.LoadError();
    rows::RowList values;
    values.AppendRow("left over from an earlier selection");
    Shown shown;
    shown.error = rows::ShowChunkDetails(document, chunkName, values);
    // Rows as the text output writes them, a cut text with its marker.
    for (const std::string& row : values.Rows()) shown.rows.push_back(text::ValueText(row));
    return shown;
}

// One case: the rows shown for a chunk, and whether they stop short with a sentence.
struct RowsCase {
    const char* what;
    std::string file;
    std::string chunkName;
    Rows expected;
    bool stopsShort = false;
};

class ShownRows : public testing::TestWithParam<RowsCase> {};

inline std::string CaseName(const testing::TestParamInfo<RowsCase>& test) { return test.param.what; }
// The test log names a case by what it is, not by its bytes.
inline void PrintTo(const RowsCase& c, std::ostream* out) { *out << c.what; }

}  // namespace detailtest
