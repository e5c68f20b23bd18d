#include "file_summary.h"

#include <algorithm>
#include <array>

namespace {

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string AlsoInFileSentence(const std::vector<wavedoc::MapEntry>& structure) {
    std::vector<std::string> names;
    for (const wavedoc::MapEntry& entry : structure) {
        if (entry.listing != wavedoc::Listing::UnknownType && entry.listing != wavedoc::Listing::OtherList)
            continue;
        std::string name = entry.id;
        if (entry.listing == wavedoc::Listing::OtherList) name += " (" + entry.listType + ")";
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    }
    if (names.empty()) return {};
    std::string sentence = "Also in the file: ";
    for (std::size_t i = 0; i < names.size(); ++i) sentence += (i == 0 ? "" : ", ") + names[i];
    return sentence + ".";
}

std::string FindingsSentence(const std::vector<wavecheck::Finding>& findings) {
    if (findings.empty()) return "No findings.";
    std::array<std::size_t, 3> counts{};  // errors, warnings, notes
    for (const wavecheck::Finding& finding : findings) ++counts[static_cast<std::size_t>(finding.level)];
    std::vector<std::string> parts;
    if (counts[0] > 0) parts.push_back(Counted(counts[0], "error", "errors"));
    if (counts[1] > 0) parts.push_back(Counted(counts[1], "warning", "warnings"));
    if (counts[2] > 0) parts.push_back(Counted(counts[2], "note", "notes"));
    std::string sentence = Counted(findings.size(), "finding", "findings") + ": ";
    for (std::size_t i = 0; i < parts.size(); ++i) sentence += (i == 0 ? "" : ", ") + parts[i];
    return sentence + ".";
}

std::vector<std::string> FindingLines(const std::vector<wavecheck::Finding>& findings) {
    std::vector<std::string> lines;
    for (const wavecheck::Finding& finding : findings) {
        lines.push_back(std::string(wavecheck::LevelName(finding.level)) + " at offset " +
                        std::to_string(finding.offset) + " (" +
                        (finding.chunk.empty() ? "" : finding.chunk + ", ") + finding.code +
                        "): " + finding.message);
    }
    return lines;
}
