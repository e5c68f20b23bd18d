#include <array>

#include "wavecheck/checks.h"
#include "wavecheck/findings.h"

namespace wavecheck {
namespace {

using detail::CheckFunction;

struct FindingRow {
    std::string_view code;  // stable: a code is never renamed
    Level level;            // the level of its findings (riff-size gives a note for a placeholder)
    CheckFunction check;
};

// Every finding code, in the order the checks run and the findings are listed:
// the file's structure first, then the chunks in the order they usually stand.
constexpr auto kFindings = std::to_array<FindingRow>({
    {"riff-size", Level::Warning, detail::CheckRiffSize},
    {"past-end", Level::Error, detail::CheckPastEnd},
    {"cut-header", Level::Error, detail::CheckCutHeader},
    {"not-a-chunk", Level::Error, detail::CheckNotAChunk},
    {"pad-missing", Level::Warning, detail::CheckPadMissing},
    {"pad-not-zero", Level::Note, detail::CheckPadNotZero},
    {"duplicate", Level::Warning, detail::CheckDuplicate},
    {"fmt-missing", Level::Error, detail::CheckFmtMissing},
    {"data-missing", Level::Error, detail::CheckDataMissing},
    {"data-before-fmt", Level::Warning, detail::CheckDataBeforeFmt},
    {"trailing-bytes", Level::Note, detail::CheckTrailingBytes},
    {"fmt-short", Level::Error, detail::CheckFmtShort},
    {"fmt-zero", Level::Error, detail::CheckFmtZero},
    {"block-align", Level::Error, detail::CheckBlockAlign},
    {"byte-rate", Level::Warning, detail::CheckByteRate},
    {"cb-size", Level::Warning, detail::CheckCbSize},
    {"valid-bits", Level::Warning, detail::CheckValidBits},
    {"channel-mask", Level::Warning, detail::CheckChannelMask},
    {"fact-missing", Level::Warning, detail::CheckFactMissing},
    {"fact-length", Level::Warning, detail::CheckFactLength},
    {"partial-frame", Level::Warning, detail::CheckPartialFrame},
    {"cue-count", Level::Warning, detail::CheckCueCount},
    {"cue-past-data", Level::Warning, detail::CheckCuePastData},
    {"cue-id-duplicate", Level::Warning, detail::CheckCueIdDuplicate},
    {"plst-count", Level::Warning, detail::CheckPlstCount},
    {"plst-unknown-cue", Level::Warning, detail::CheckPlstUnknownCue},
    {"adtl-unknown-cue", Level::Warning, detail::CheckAdtlUnknownCue},
    {"ltxt-past-data", Level::Warning, detail::CheckLtxtPastData},
    {"text-unterminated", Level::Warning, detail::CheckTextUnterminated},
    {"loop-count", Level::Warning, detail::CheckLoopCount},
    {"sampler-data", Level::Warning, detail::CheckSamplerData},
    {"loop-order", Level::Warning, detail::CheckLoopOrder},
    {"loop-past-data", Level::Warning, detail::CheckLoopPastData},
    {"unity-note", Level::Warning, detail::CheckUnityNote},
    {"inst-range", Level::Warning, detail::CheckInstRange},
});

}  // namespace

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

std::vector<Finding> CheckFile(const CheckInput& input) {
    std::vector<Finding> findings;
    if (input.document.Source() == nullptr) return findings;  // nothing loaded
    const wavedoc::ReadingSession session(input.document.Source());
    for (const FindingRow& row : kFindings) {
        detail::Report report(row.code, row.level, findings);
        row.check(input, report);
    }
    return findings;
}

std::vector<std::string_view> FindingCodes() {
    std::vector<std::string_view> codes;
    for (const FindingRow& row : kFindings) codes.push_back(row.code);
    return codes;
}

}  // namespace wavecheck
