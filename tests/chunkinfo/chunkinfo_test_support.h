#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chunkinfo/entry_rows.h"
#include "support/metadata_builder.h"
#include "support/row_range_rule.h"
#include "support/wav_builder.h"
#include "text/cut_text.h"
#include "wavedoc/document/wave_document.h"

// A table-driven check of the rows shown for one entry of the structure map.
namespace chunkinfotest {

using namespace wavtest;
using Rows = std::vector<std::string>;

// The bytes of a literal, zero bytes included.
template <std::size_t N>
std::string Raw(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// A file holding a stereo 16-bit fmt chunk at 48 kHz, the given chunks and a short data chunk.
inline std::string WaveWith(const std::string& chunks) {
    return RiffFile(Chunk("fmt ", PcmFormat(2, 48000, 16)) + chunks + Chunk("data", "abcd"));
}

struct Shown {
    Rows rows;
    Rows stored;  // the rows as the routine gave them, a cut text with its mark
    std::vector<std::optional<rows::ByteRange>> ranges;  // each row's, in the file
    std::optional<std::string> error;
    bool found = false;
};

// The rows of the first entry with this id (and, for a list, this type), as
// the text output writes them: a cut text with its marker.
inline Shown ShowEntry(const wavedoc::WaveDocument& document, std::string_view id,
                       std::string_view listType = "") {
    Shown shown;
    for (const wavedoc::MapEntry& entry : document.Structure().entries) {
        if (entry.id != id || entry.listType != listType) continue;
        rows::RowList rows;
        rows.AppendRow("left over from an earlier selection");
        shown.error = chunkinfo::ShowEntryRows(document, entry, rows);
        for (const std::string& row : rows.Rows()) shown.rows.push_back(text::ValueText(row));
        shown.stored = rows.Rows();
        shown.ranges = rows.Ranges();
        shown.found = true;
        break;
    }
    return shown;
}

inline Shown ShowBuilt(const std::string& fileBytes, std::string_view id, std::string_view listType = "") {
    wavedoc::WaveDocument document;
    EXPECT_EQ(document.LoadFromMemory(fileBytes, "built.wav", nullptr, wavedoc::LoadForms::AnyForm),
              wavedoc::LoadOk)
        << document.LoadError();
    return ShowEntry(document, id, listType);
}

// One case: the rows shown for an entry of a built file, and the sentence when they stop short.
struct RowsCase {
    const char* what;
    std::string file;
    std::string id;
    Rows expected;
    std::optional<std::string> error = std::nullopt;
    std::string listType = "";
};

inline void ExpectRows(const RowsCase& test) {
    const Shown shown = ShowBuilt(test.file, test.id, test.listType);
    ASSERT_TRUE(shown.found) << test.id;
    EXPECT_EQ(shown.rows, test.expected);
    EXPECT_EQ(shown.error, test.error);
}

// Every row with a range shows what the bytes there hold, by the rule the
// real files are held to (tests/dump/row_ranges_test.cpp).
inline void ExpectRangesHoldTheirRows(const RowsCase& test) {
    const Shown shown = ShowBuilt(test.file, test.id, test.listType);
    const bool bigEndian = test.file.starts_with("RIFX");
    for (std::size_t i = 0; i < shown.stored.size(); ++i) {
        if (!shown.ranges.at(i)) continue;
        const rows::ByteRange at = *shown.ranges[i];
        ASSERT_LE(at.offset + at.length, test.file.size()) << shown.stored[i];
        const auto [label, value] = rows::SplitRow(shown.stored[i]);
        const wavtest::ranges::RangedRow row{std::string(label), std::string(value),
                                             label.size() == shown.stored[i].size(), at};
        const std::string_view bytes = std::string_view(test.file).substr(at.offset, at.length);
        EXPECT_TRUE(wavtest::ranges::Check(row, bytes, bigEndian).second)
            << "\"" << row.label << "\" shows \"" << text::ValueText(row.value) << "\" but the " << at.length
            << " bytes at " << at.offset << " are "
            << text::HexDigits(bytes.substr(0, 16), text::HexCase::Upper, " ");
    }
}

// Whether every entry of a file shows its rows without an exception escaping,
// and no row holds a zero byte but a cut text's mark (which would end it early).
inline bool ShowsEveryEntrySafely(const std::string& fileBytes) {
    wavedoc::WaveDocument document;
    if (document.LoadFromMemory(fileBytes, "damaged.wav") != wavedoc::LoadOk) return true;
    for (const wavedoc::MapEntry& entry : document.Structure().entries) {
        rows::RowList rows;
        chunkinfo::ShowEntryRows(document, entry, rows);
        for (const std::string& row : rows.Rows()) {
            if (text::SplitCut(row).shown.find('\0') != std::string_view::npos) return false;
        }
    }
    return true;
}

// The file cut at every length, and with each byte set to 0x00 and to 0xFF
// in turn: every copy shows every entry safely.
inline void ExpectDamagedCopiesShowSafely(const std::string& file) {
    for (std::size_t length = 12; length < file.size(); ++length) {
        ASSERT_TRUE(ShowsEveryEntrySafely(file.substr(0, length))) << "cut to " << length << " bytes";
    }
    std::string damaged = file;
    for (std::size_t at = 12; at < file.size(); ++at) {
        for (const char value : {'\0', '\xFF'}) {
            damaged[at] = value;
            ASSERT_TRUE(ShowsEveryEntrySafely(damaged)) << "byte " << at << " set to " << int(value);
        }
        damaged[at] = file[at];
    }
}

inline std::string CaseName(const testing::TestParamInfo<RowsCase>& test) { return test.param.what; }
// The test log names a case by what it is, not by its bytes.
inline void PrintTo(const RowsCase& c, std::ostream* out) { *out << c.what; }

}  // namespace chunkinfotest
