#include "run_summary.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "report/json_writer.h"
#include "report/text_report.h"
#include "wavecheck/findings.h"
#include "wavedoc/document/wave_document.h"

namespace {

bool IsCheckCode(const std::string& code) {
    static const std::set<std::string_view, std::less<>> codes = [] {
        const std::vector<std::string_view> list = wavecheck::FindingCodes();
        return std::set<std::string_view, std::less<>>(list.begin(), list.end());
    }();
    return codes.find(code) != codes.end();
}

}  // namespace

int FileExitStatus(const report::FileOutcome& outcome, bool check) {
    if (outcome.unfinished) return kUnfinished;
    if (outcome.status != wavedoc::LoadOk || (check && outcome.HasProblems())) return kFaults;
    return 0;
}

void RunSummary::Add(const report::FileOutcome& outcome) {
    ++files_;
    if (outcome.status != wavedoc::LoadOk) {
        ++notReadable_;
    } else if (outcome.errors > 0) {
        ++withErrors_;
    } else if (outcome.warnings > 0) {
        ++withWarnings_;
    } else if (outcome.notes > 0) {
        ++withOnlyNotes_;
    } else {
        ++clean_;
    }
    if (outcome.unfinished) ++unfinished_;
    std::vector<const std::string*> codes;
    codes.reserve(outcome.codes.size());
    for (const std::string& code : outcome.codes) codes.push_back(&code);
    std::sort(codes.begin(), codes.end(), [](const std::string* a, const std::string* b) { return *a < *b; });
    const std::string* previous = nullptr;
    for (const std::string* code : codes) {
        if (previous != nullptr && *previous == *code) continue;
        previous = code;
        if (const auto known = filesByCode_.find(*code); known != filesByCode_.end()) {
            ++known->second;
        } else if (IsCheckCode(*code)) {
            filesByCode_.emplace(*code, 1);
        } else if (otherCodesKept_ < kMostOtherCodes) {
            filesByCode_.emplace(*code, 1);
            ++otherCodesKept_;
        } else {
            ++filesByOtherCodes_;
        }
    }
    exitStatus_ = std::max(exitStatus_, FileExitStatus(outcome, true));
}

std::array<RunSummary::Line, 7> RunSummary::Lines() const {
    return {{
        {"files", "files", files_},
        {"with errors", "with_errors", withErrors_},
        {"with warnings and no errors", "with_warnings", withWarnings_},
        {"with only notes", "with_only_notes", withOnlyNotes_},
        {"clean", "clean", clean_},
        {"not readable", "not_readable", notReadable_},
        {"check not finished", "check_unfinished", unfinished_},
    }};
}

std::string RunSummary::Text() const {
    std::string text = "summary:\n";
    for (const Line& line : Lines()) {
        text += "  " + std::string(line.label) + '\t' + std::to_string(line.count) + '\n';
    }
    text +=
        filesByCode_.empty() ? "  files with each finding code: none\n" : "  files with each finding code:\n";
    for (const auto& [code, files] : filesByCode_) {
        text += "    " + text::TerminalText(code) + '\t' + std::to_string(files) + '\n';
    }
    if (filesByOtherCodes_ > 0) text += "    and other codes\t" + std::to_string(filesByOtherCodes_) + '\n';
    return text;
}

std::string RunSummary::Json() const {
    std::string json = "{";
    for (const Line& line : Lines())
        json += "\"" + std::string(line.key) + "\": " + std::to_string(line.count) + ", ";
    json += "\"by_code\": {";
    const char* separator = "";
    for (const auto& [code, files] : filesByCode_) {
        json += separator + report::JsonString(code) + ": " + std::to_string(files);
        separator = ", ";
    }
    json += "}";
    if (filesByOtherCodes_ > 0) json += ", \"other_codes\": " + std::to_string(filesByOtherCodes_);
    return json + "}";
}
