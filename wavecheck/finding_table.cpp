#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "wavecheck/checks.h"
#include "wavecheck/findings.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace wavecheck {
namespace {

using detail::CheckInput;
using detail::DocumentCheck;
using detail::EntryCheck;

struct FindingRow {
    std::string_view code;     // stable: a code is never renamed
    Level level;               // the usual level of its findings; a check may pass another
    EntryCheck onEntry;        // runs on each entry of the walk, or null
    DocumentCheck onDocument;  // runs once on the loaded document, or null
    // Runs once the sound is measured, comparing what the file claims of it
    // (CheckInput::measured), or null.
    DocumentCheck onMeasured = nullptr;
};

// Every finding code, in the order the findings are listed: the file's
// structure first, then the chunks in the order they usually stand.
constexpr auto kFindings = std::to_array<FindingRow>({
    {"riff-size", Level::Warning, nullptr, detail::CheckRiffSize},
    {"ds64-missing", Level::Error, nullptr, detail::CheckDs64Missing},
    {"ds64-not-first", Level::Error, nullptr, detail::CheckDs64NotFirst},
    {"ds64-short", Level::Error, nullptr, detail::CheckDs64Short},
    {"ds64-table", Level::Warning, nullptr, detail::CheckDs64Table},
    {"unfinished", Level::Warning, nullptr, detail::CheckUnfinished},
    {"size-wrapped", Level::Error, nullptr, detail::CheckSizeWrapped},
    {"byte-order", Level::Error, nullptr, detail::CheckByteOrder},
    {"past-end", Level::Error, detail::CheckPastEnd, nullptr},
    {"cut-header", Level::Error, detail::CheckCutHeader, nullptr},
    {"not-a-chunk", Level::Error, detail::CheckNotAChunk, detail::CheckStrayAfterAudio},
    {"pad-missing", Level::Warning, detail::CheckPadMissing, nullptr},
    {"pad-not-zero", Level::Note, detail::CheckPadNotZero, nullptr},
    {"list-size-odd", Level::Error, nullptr, detail::CheckListSizeOdd},
    {"fmt-size-odd", Level::Error, nullptr, detail::CheckFmtSizeOdd},
    {"duplicate", Level::Warning, detail::CheckDuplicate, nullptr},
    {"chunk-id", Level::Note, detail::CheckChunkId, nullptr},
    {"fmt-missing", Level::Error, nullptr, detail::CheckFmtMissing},
    {"data-missing", Level::Error, nullptr, detail::CheckDataMissing},
    {"data-before-fmt", Level::Error, nullptr, detail::CheckDataBeforeFmt},
    {"trailing-bytes", Level::Note, nullptr, detail::CheckTrailingBytes},
    {"fmt-short", Level::Error, nullptr, detail::CheckFmtShort},
    {"fmt-zero", Level::Error, nullptr, detail::CheckFmtZero},
    {"sample-size", Level::Error, nullptr, detail::CheckSampleSize},
    {"sample-rate", Level::Warning, nullptr, detail::CheckSampleRate},
    {"block-align", Level::Warning, nullptr, detail::CheckBlockAlign},
    {"byte-rate", Level::Warning, nullptr, detail::CheckByteRate},
    {"cb-size", Level::Warning, nullptr, detail::CheckCbSize},
    {"fmt-extra", Level::Note, nullptr, detail::CheckFmtExtra},
    {"fmt-rifx", Level::Error, nullptr, detail::CheckFmtRifx},
    {"valid-bits", Level::Warning, nullptr, detail::CheckValidBits},
    {"channel-mask", Level::Warning, nullptr, detail::CheckChannelMask},
    {"fact-missing", Level::Warning, nullptr, detail::CheckFactMissing},
    {"fact-length", Level::Warning, nullptr, detail::CheckFactLength},
    {"partial-frame", Level::Warning, nullptr, detail::CheckPartialFrame},
    {"cue-count", Level::Warning, nullptr, detail::CheckCueCount},
    {"cue-past-data", Level::Warning, nullptr, detail::CheckCuePastData},
    {"cue-id-duplicate", Level::Warning, nullptr, detail::CheckCueIdDuplicate},
    {"plst-count", Level::Warning, nullptr, detail::CheckPlstCount},
    {"plst-unknown-cue", Level::Warning, nullptr, detail::CheckPlstUnknownCue},
    {"adtl-unknown-cue", Level::Warning, nullptr, detail::CheckAdtlUnknownCue},
    {"ltxt-past-data", Level::Warning, nullptr, detail::CheckLtxtPastData},
    {"text-unterminated", Level::Note, nullptr, detail::CheckTextUnterminated},
    {"loop-count", Level::Warning, nullptr, detail::CheckLoopCount},
    {"sampler-data", Level::Warning, nullptr, detail::CheckSamplerData},
    {"loop-order", Level::Warning, nullptr, detail::CheckLoopOrder},
    {"loop-past-data", Level::Warning, nullptr, detail::CheckLoopPastData},
    {"loop-type", Level::Warning, nullptr, detail::CheckLoopType},
    {"loop-cue-id", Level::Note, nullptr, detail::CheckLoopCueId},
    {"unity-note", Level::Warning, nullptr, detail::CheckUnityNote},
    {"inst-range", Level::Warning, nullptr, detail::CheckInstRange},
    {"chunk-short", Level::Error, nullptr, detail::CheckChunkShort},
    {"bext-version", Level::Note, nullptr, detail::CheckBextVersion},
    {"bext-date", Level::Note, nullptr, detail::CheckBextDate},
    {"bext-reserved", Level::Note, nullptr, detail::CheckBextReserved},
    {"bext-loudness", Level::Note, nullptr, detail::CheckBextLoudness},
    {"bext-ascii", Level::Note, nullptr, detail::CheckBextAscii},
    {"bext-history-lines", Level::Note, nullptr, detail::CheckBextHistoryLines},
    {"xml-malformed", Level::Warning, nullptr, detail::CheckXmlMalformed},
    {"id3-size", Level::Warning, nullptr, detail::CheckId3Size},
    {"md5-mismatch", Level::Error, nullptr, detail::CheckMd5},
    {"loudness-mismatch", Level::Warning, nullptr, nullptr, detail::CheckLoudnessMismatch},
    {"peak-mismatch", Level::Warning, nullptr, nullptr, detail::CheckPeakMismatch},
    {"samples-not-finite", Level::Error, nullptr, nullptr, detail::CheckSamplesNotFinite},
});

// The codes whose usual level is milder than an error but whose check gives
// one in some cases: with the codes of usual level Error, what a check of
// errors alone runs.
constexpr std::string_view kAlsoErrors[] = {"riff-size",      "unfinished",  "pad-missing", "duplicate",
                                            "trailing-bytes", "sample-rate", "block-align", "byte-rate",
                                            "partial-frame",  "cue-count",   "sampler-data"};

bool MayBeError(const FindingRow& row) {
    return row.level == Level::Error ||
           std::find(std::begin(kAlsoErrors), std::end(kAlsoErrors), row.code) != std::end(kAlsoErrors);
}

// The rows whose check runs on each entry of the walk, so that an entry
// costs the few of them, not a pass over the whole table. Made when the
// program starts: a sanitizer build cannot compare functions at compile time.
const std::vector<std::size_t> kEntryRows = [] {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < kFindings.size(); ++i) {
        if (kFindings[i].onEntry != nullptr) rows.push_back(i);
    }
    return rows;
}();

}  // namespace

namespace {

// What checking one file gathers: the facts of the walk, and the findings
// of each code of the table.
struct CheckState {
    CheckOptions options;
    detail::WalkFacts facts;
    std::array<detail::CodeFindings, kFindings.size()> buckets;

    CheckState() {
        for (std::size_t i = 0; i < kFindings.size(); ++i) {
            buckets[i].code = kFindings[i].code;
            buckets[i].level = kFindings[i].level;
            buckets[i].mayBeError = MayBeError(kFindings[i]);
        }
    }
    // Whether the check of a row runs: all of them, or those that may find
    // an error when only errors are asked for.
    bool Runs(std::size_t row) const { return !options.errorsOnly || buckets[row].mayBeError; }
};

}  // namespace

struct FileCheck::State : CheckState {};

std::string_view LevelName(Level level) {
    switch (level) {
        case Level::Error:
            return "error";
        case Level::Warning:
            return "warning";
        case Level::Note:
            break;
    }
    return "note";
}

FileCheck::FileCheck(CheckOptions options) : state_(std::make_unique<State>()) {
    state_->options = std::move(options);
}
FileCheck::~FileCheck() = default;

void FileCheck::Begin(std::uint64_t riffSize, wavedoc::FileForm form, std::uint64_t fileLength) {
    state_->facts.riffSize = riffSize;
    state_->facts.form = form;
    state_->facts.fileLength = fileLength;
}

void FileCheck::Entry(const wavedoc::MapEntry& entry) {
    detail::WalkFacts& facts = state_->facts;
    const auto depth = static_cast<std::size_t>(std::min(entry.depth, wavedoc::kMostListDepth));
    if (entry.depth == 0) {
        facts.lastTopLevel = entry;
        if (entry.id == "MD5 " && facts.md5Chunks++ == 0) facts.md5 = entry;
        if (entry.id == wavedoc::layout::kDs64Id) ++facts.ds64Chunks;
        if (entry.id == wavedoc::layout::kDs64Id && entry.offset != wavedoc::layout::kRiffHeaderSize &&
            !facts.ds64Elsewhere) {
            facts.ds64Elsewhere = entry;
        }
        if (entry.IsChunk() && entry.present < entry.DeclaredSize()) facts.topLevelRunsPastEnd = true;
        if (entry.stray == wavedoc::Stray::CutHeader && !facts.RiffSizeIsPlaceholder() &&
            facts.RiffEnd() > facts.fileLength) {
            facts.topLevelCutHeader = true;
        }
        if (entry.pad == wavedoc::PadByte::Missing) ++facts.topLevelPadsMissing;
        const std::uint64_t contentEnd = entry.offset + wavedoc::layout::kChunkHeaderSize + entry.present;
        if (!facts.riffEndsInside && entry.IsChunk() && entry.offset < facts.RiffEnd() &&
            facts.RiffEnd() < contentEnd) {
            facts.riffEndsInside = entry;
        }
        if (entry.stray == wavedoc::Stray::NotAChunk && !entry.afterRiffEnd &&
            (!facts.fmtMet || !facts.dataMet))
            facts.topLevelNotAChunk = true;
        if (entry.stray == wavedoc::Stray::NotAChunk && !facts.topLevelStray)
            facts.topLevelStray = entry.offset;
        if (entry.stray == wavedoc::Stray::NotAChunk && facts.fmtMet && facts.dataMet &&
            !(entry.afterRiffEnd && !facts.riffEndsInside)) {
            facts.strayAfterAudio = entry;
        }
        const std::optional<wavedoc::MapEntry>& before = facts.lastTopLevelChunk;
        if (entry.IsChunk() && before && before->DeclaredSize() % 2 == 1 &&
            before->pad == wavedoc::PadByte::Present) {
            if (!facts.chunkAfterOddList && before->IsList()) facts.chunkAfterOddList.emplace(*before, entry);
            if (!facts.chunkAfterOddFmt && std::string_view(before->id) == "fmt ")
                facts.chunkAfterOddFmt.emplace(*before, entry);
        }
        if (!facts.chunkAfterRiffEnd && entry.IsChunk() && entry.afterRiffEnd &&
            entry.present == entry.DeclaredSize()) {
            facts.chunkAfterRiffEnd = entry;
        }
    }
    facts.metadata.Record(entry);
    const detail::EntryInput input{entry, facts};
    for (const std::size_t i : kEntryRows) {
        if (!state_->Runs(i)) continue;
        detail::Report report(state_->buckets[i]);
        kFindings[i].onEntry(input, report);
    }
    // What follows a chunk decides its pad byte: the checks above have judged
    // the one before this entry.
    facts.padPending[depth].reset();
    if (entry.IsChunk() && !entry.last &&
        (entry.pad == wavedoc::PadByte::Missing || (entry.padValue && *entry.padValue != 0))) {
        facts.padPending[depth] = entry;
    }
    if (entry.depth == 0 && entry.IsChunk()) facts.lastTopLevelChunk = entry;
    if (entry.depth == 0 && entry.id == "fmt ") facts.fmtMet = true;
    if (entry.depth == 0 && entry.id == "data") facts.dataMet = true;
    if (entry.IsChunk() && entry.IsList() && depth < wavedoc::kMostListDepth) {
        facts.padPending[depth + 1].reset();
        facts.levelCut[depth + 1] = entry.present < entry.DeclaredSize();
    }
}

SoundClaims FileCheck::Claims() const { return {state_->facts.metadata.bext, state_->facts.metadata.peak}; }

namespace {

// Runs the checks of `column` that the table gives on the loaded document.
// A file that changed meanwhile, or a lack of memory, stops them: the
// findings so far stay, and `unfinished` says why.
void RunDocumentChecks(DocumentCheck FindingRow::*column, const CheckInput& input, CheckState& state,
                       Findings& findings) {
    const wavedoc::WaveDocument& document = input.document;
    if (document.Source() == nullptr) return;
    try {
        const wavedoc::ReadingSession session(document.Source());
        for (std::size_t i = 0; i < kFindings.size(); ++i) {
            if (kFindings[i].*column == nullptr || !state.Runs(i)) continue;
            detail::Report report(state.buckets[i]);
            (kFindings[i].*column)(input, report);
        }
    } catch (const wavedoc::FileChangedError& changed) {
        findings.unfinished = changed.what();
    } catch (const wavedoc::WaveDocError& error) {
        findings.unfinished = error.what();
    } catch (const std::bad_alloc&) {
        findings.unfinished = "The file \"" + document.Source()->DisplayName() +
                              "\" could not be checked in full: there is not enough memory.";
    }
}

// Counts the findings of every bucket and moves them out, in the table's order.
void Collect(CheckState& state, Findings& findings) {
    for (detail::CodeFindings& bucket : state.buckets) {
        if (bucket.total == 0) continue;
        findings.counts.push_back({bucket.code, bucket.total, bucket.kept.size()});
        findings.errors += bucket.byLevel[static_cast<std::size_t>(Level::Error)];
        findings.warnings += bucket.byLevel[static_cast<std::size_t>(Level::Warning)];
        findings.notes += bucket.byLevel[static_cast<std::size_t>(Level::Note)];
        for (Finding& finding : bucket.kept) findings.shown.push_back(std::move(finding));
        bucket.kept.clear();
    }
}

}  // namespace

Findings FileCheck::Finish(const wavedoc::WaveDocument& document, const MeasuredSound* measured) {
    Findings findings;
    CheckInput input{document, state_->facts, state_->options};
    input.measured = measured;
    RunDocumentChecks(&FindingRow::onDocument, input, *state_, findings);
    if (measured != nullptr && findings.Finished()) {
        RunDocumentChecks(&FindingRow::onMeasured, input, *state_, findings);
    }
    Collect(*state_, findings);
    return findings;
}

Findings CheckMeasured(const wavedoc::WaveDocument& document, const SoundClaims& claims,
                       const MeasuredSound& measured) {
    CheckState state;
    state.facts.metadata.bext = claims.bext;
    state.facts.metadata.peak = claims.peak;
    CheckInput input{document, state.facts, state.options};
    input.measured = &measured;
    Findings findings;
    RunDocumentChecks(&FindingRow::onMeasured, input, state, findings);
    Collect(state, findings);
    return findings;
}

std::vector<std::string_view> FindingCodes() {
    std::vector<std::string_view> codes;
    for (const FindingRow& row : kFindings) codes.push_back(row.code);
    return codes;
}

}  // namespace wavecheck
