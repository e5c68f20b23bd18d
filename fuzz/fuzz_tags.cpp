// The in-memory fuzz target for the decoders of the tags other writers add,
// alone: the input's first byte picks the chunk (ID3 in "id3 " or "ID3 ",
// XML in iXML, _PMX or axml, bext), the rest is its content, put into a small
// WAV file between its format and data chunks. Each input is loaded once from
// memory; the check runs on it and the chunk's rows are made as the windows
// make them, nothing else, so that many thousands a second reach the frame
// walk, unsynchronisation, XML nesting and the bext fields.
#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "analyse_input.h"
#include "chunkinfo/entry_rows.h"
#include "support/wav_builder.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace {

constexpr std::array<std::string_view, 6> kIds = {"id3 ", "ID3 ", "iXML", "_PMX", "axml", "bext"};

// The rows of one chunk, each range it gives lying within the bytes of the
// chunk's content that the file holds. In an ID3 tag, the frames and the
// padding after the header's three rows follow one another in the file,
// however unsynchronisation moved their bytes.
class RangedRows : public fuzzcheck::RowDigest {
public:
    RangedRows(std::uint64_t start, std::uint64_t present, bool frames)
        : RowDigest(false), start_(start), end_(start + present), frames_(frames) {}
    void AppendRow(std::string_view row) override {
        if (const std::optional<rows::ByteRange>& at = Range()) {
            fuzzcheck::Require(at->offset >= start_ && at->offset <= end_ && at->length <= end_ - at->offset,
                               "a row's range lies outside its chunk:", row);
            if (frames_ && Count() >= 3) {
                fuzzcheck::Require(!lastEnd_ || *lastEnd_ == at->offset,
                                   "an ID3 frame's range does not start where the one before ends:", row);
                lastEnd_ = at->offset + at->length;
            }
        }
        RowDigest::AppendRow(row);
    }

private:
    std::uint64_t start_;
    std::uint64_t end_;
    bool frames_;
    std::optional<std::uint64_t> lastEnd_;
};

void Check(std::string_view input) {
    if (input.empty()) return;
    const std::string id(kIds[static_cast<unsigned char>(input[0]) % kIds.size()]);
    const std::string file =
        wavtest::RiffFile(wavtest::Chunk("fmt ", wavtest::PcmFormat(1, 8000, 16)) +
                          wavtest::Chunk(id, input.substr(1)) + wavtest::Chunk("data", "abcd"));
    wavedoc::WaveDocument document;
    wavecheck::FileCheck check;
    const std::int16_t status = document.LoadFromMemory(file, std::string(fuzzcheck::kDisplayName), &check,
                                                        wavedoc::LoadForms::AnyForm);
    fuzzcheck::Require(status == wavedoc::LoadOk, "a file of three whole chunks was refused");
    const wavecheck::Findings findings = check.Finish(document);
    fuzzcheck::Require(findings.Finished(), "the check of a file in memory did not finish",
                       findings.unfinished);
    for (const wavecheck::Finding& finding : findings.shown)
        fuzzcheck::RequireSentence(finding.message, "a finding is no sentence:");
    for (const wavedoc::MapEntry& entry : document.Structure().entries) {
        if (entry.id != id) continue;
        RangedRows rows(entry.offset + wavedoc::layout::kChunkHeaderSize, entry.present,
                        id == "id3 " || id == "ID3 ");
        try {
            if (const std::optional<std::string> stopped = chunkinfo::ShowEntryRows(document, entry, rows)) {
                fuzzcheck::RequireSentence(*stopped, "rows stopped without a sentence:");
                fuzzcheck::Require(stopped->find("has changed since") == std::string::npos,
                                   "a file in memory was taken for a changed one:", *stopped);
            }
        } catch (const fuzzcheck::EnoughRows&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzcheck::CheckInput(data, size, [](std::string_view bytes) { Check(bytes); });
}
