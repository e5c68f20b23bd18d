#include "analyse_input.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <streambuf>

#include "report/json_writer.h"
#include "report/sound_measuring.h"
#include "report/text_report.h"
#include "rows/chunk_details.h"
#include "rows/fill_chunk_list.h"
#include "support/wav_builder.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"

namespace fuzzcheck {

void Finding(const char* what, std::string_view detail) {
    std::fprintf(stderr, "FINDING: %s %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

void Require(bool holds, const char* what, std::string_view detail) {
    if (!holds) Finding(what, detail);
}

void RequireSentence(const std::string& message, const char* where) {
    Require(!message.empty() && message.back() == '.', where, message);
}

ScratchPair::ScratchPair(const std::string& name)
    : first_("/tmp/ondulo-fuzz-" + name + "-" + std::to_string(::getpid()) + "-1.wav"),
      second_("/tmp/ondulo-fuzz-" + name + "-" + std::to_string(::getpid()) + "-2.wav") {}

ScratchPair::~ScratchPair() {
    ::unlink(first_.c_str());
    ::unlink(second_.c_str());
}

void WriteScratch(const std::string& path, std::string_view bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0) Finding("cannot create a scratch file", path);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) Finding("cannot write a scratch file", path);
        done += static_cast<std::size_t>(wrote);
    }
    if (::close(descriptor) != 0) Finding("cannot close a scratch file", path);
}

void WriteOut(const std::string& text) {
    const std::string json = report::JsonString(text);
    Require(json.size() >= 2 && json.front() == '"' && json.back() == '"', "malformed JSON string");
    text::TerminalText(text);
}

void RowDigest::ClearRows() {
    count_ = 0;
    digest_ = kOffsetBasis;
}

void RowDigest::AppendRow(std::string_view row) {
    if (count_ == kMostRowsPerChunk) throw EnoughRows{};
    ++count_;
    // FNV-1a over the row and its length, so that rows cannot run together.
    for (const char byte : row) Mix(static_cast<unsigned char>(byte));
    for (std::size_t length = row.size(), i = 0; i < sizeof length; ++i, length >>= 8) Mix(length & 0xFF);
    if (writeOut_) WriteOut(std::string(row));
}

ChunkView ShowChunk(const wavedoc::WaveDocument& document, const std::string& chunkName, bool writeOut) {
    ChunkView view{RowDigest(writeOut), std::nullopt};
    try {
        view.stopped = rows::ShowChunkDetails(document, chunkName, view.rows);
    } catch (const EnoughRows&) {
        return view;
    }
    if (view.stopped) {
        RequireSentence(*view.stopped, "details stopped without a sentence:");
        // The input is loaded once and left alone: it cannot have changed.
        Require(view.stopped->find("has changed since") == std::string::npos,
                "an unchanged file was taken for a changed one:", *view.stopped);
        if (writeOut) WriteOut(*view.stopped);
    }
    return view;
}

void LoadPreviousFile(wavedoc::WaveDocument& document) {
    static const std::string file = wavtest::RiffFile(wavtest::Chunk("fmt ", wavtest::PcmFormat(1, 8000, 8)) +
                                                      wavtest::Chunk("data", "ab"));
    Require(document.LoadFromMemory(file, std::string(kDisplayName)) == wavedoc::LoadOk,
            "the reference file does not load");
}

void CheckRefusal(const wavedoc::WaveDocument& document, std::int16_t status, const std::string& name) {
    Require(
        status == wavedoc::LoadNotRiff || status == wavedoc::LoadNotWave || status == wavedoc::LoadUnreadable,
        "unknown load status");
    RequireSentence(document.LoadError(), "load refused without a sentence:");
    Require(document.LoadError().find(name) != std::string::npos,
            "load error does not name the file:", document.LoadError());
    Require(
        document.Fmt().Name() == "fmt " && document.Data().Name() == "data" && document.Cue().Name().empty(),
        "a refused load changed the previous document");
}

std::vector<std::string> CheckedNotes(const wavedoc::WaveDocument& document, const std::string& name) {
    for (const std::string& note : document.LoadNotes()) {
        RequireSentence(note, "load note without a sentence:");
        Require(note.find(name) != std::string::npos, "load note does not name the file:", note);
    }
    return document.LoadNotes();
}

std::vector<std::string> ChunkListRows(const wavedoc::WaveDocument& document) {
    rows::RowList chunkList;
    rows::RowList values;
    rows::FillChunkList(document, chunkList, values);
    for (const std::string& row : chunkList.Rows()) {
        const auto [chunkName, size] = rows::SplitRow(row);
        Require(chunkName.size() == 4, "a listed chunk name is not four characters:", chunkName);
    }
    return std::move(chunkList).TakeRows();
}

void CheckDataChunk(wavedoc::WaveDocument& document, std::size_t fileSize) {
    Require(document.Data().Data().size() <= fileSize, "data chunk content longer than the file");
    document.Data().SetData("");
    rows::RowList emptied;
    Require(!rows::ShowChunkDetails(document, "data", emptied), "the emptied data chunk cannot be shown");
}

namespace {

// A stream that takes everything and keeps nothing, for the text writers.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

// Bytes the top level of the map covers; every walked list's sub-chunks must
// cover its content after the list type. The open lists wait on a stack, as
// the map is flat and in file order.
std::uint64_t Covered(const wavedoc::StructureMap& map) {
    struct Open {
        const wavedoc::MapEntry* list;
        std::uint64_t covered;
    };
    std::vector<Open> open;
    std::uint64_t top = 0;
    const auto close = [&](std::size_t depth) {
        for (; open.size() > depth; open.pop_back()) {
            Require(4 + open.back().covered == open.back().list->present,
                    "a list's sub-chunks do not cover it");
        }
    };
    for (const wavedoc::MapEntry& entry : map.entries) {
        Require(entry.depth >= 0 && entry.depth < wavedoc::kMostListDepth, "a map entry nested too deep");
        close(static_cast<std::size_t>(entry.depth));
        (open.empty() ? top : open.back().covered) += entry.Covered();
        if (entry.IsList() && !entry.notWalked && entry.present > 4) open.push_back({&entry, 0});
    }
    close(0);
    Require(map.entries.size() <= wavedoc::kMostMapped + wavedoc::kMostListDepth, "the map is not bounded");
    return top;
}

}  // namespace

MapSummary MapAndCheck(const wavedoc::WaveDocument& document, wavecheck::FileCheck& check, bool measure) {
    const wavedoc::ReadingSession reading(document.Source());
    MapSummary summary;
    summary.covered = Covered(document.Structure());

    const report::MeasureWatch watch;
    const wavecheck::Findings findings =
        report::FinishCheck(check, document, measure ? &watch : nullptr).findings;
    Require(findings.Finished(), "the check of an unchanged file did not finish:", findings.unfinished);
    for (const wavecheck::Finding& finding : findings.shown) {
        RequireSentence(finding.message, "a finding without a sentence:");
        WriteOut(finding.message);
        summary.findings.push_back(finding.code + "@" + std::to_string(finding.offset));
    }

    NullBuffer discard;
    std::ostream out(&discard);
    report::WriteStructure(out, document.Structure(), &document);
    report::WriteFindings(out, findings);
    const std::string json =
        report::JsonStructure(document.Structure(), &document) + report::JsonFindings(findings);
    Require(json.front() == '[' && json.back() == ']', "malformed JSON array");
    return summary;
}

}  // namespace fuzzcheck
