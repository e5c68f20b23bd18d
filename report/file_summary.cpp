#include "file_summary.h"

#include <algorithm>
#include <unordered_set>

#include "text/counted.h"
#include "text/display_text.h"

namespace report {

using text::Counted;
using text::GroupedCounted;

namespace {

// The most chunk types the sentence names before it counts the rest.
constexpr std::size_t kMostNamed = 5;

}  // namespace

std::vector<std::string> AlsoInFile(const wavedoc::StructureMap& structure) {
    // A later list of the type the chunk list shows has a load note of its
    // own; it is that type, so it is not named here.
    std::string shownListType;
    for (const wavedoc::MapEntry& entry : structure.entries) {
        if (entry.depth == 0 && entry.IsList() && entry.listing == wavedoc::Listing::Listed) {
            shownListType = entry.listType;
        }
    }
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const wavedoc::MapEntry& entry : structure.entries) {
        if (entry.depth != 0) continue;
        if (entry.listing != wavedoc::Listing::UnknownType && entry.listing != wavedoc::Listing::OtherList)
            continue;
        if (entry.listing == wavedoc::Listing::OtherList && entry.listType == shownListType) continue;
        std::string name = entry.id;
        if (entry.listing == wavedoc::Listing::OtherList) name += " (" + entry.listType + ")";
        if (seen.insert(name).second) names.push_back(std::move(name));
    }
    return names;
}

std::string AlsoInFileSentence(const std::vector<std::string>& names) {
    if (names.empty()) return {};
    const std::size_t named = std::min(names.size(), kMostNamed);
    std::string sentence = "Also in the file: ";
    for (std::size_t i = 0; i < named; ++i) sentence += (i == 0 ? "" : ", ") + names[i];
    if (names.size() > named) sentence += " and " + text::GroupedThousands(names.size() - named) + " more";
    return sentence + ".";
}

std::vector<std::string> LostContent(const wavecheck::Findings& findings) {
    std::vector<std::string> sentences;
    for (const wavecheck::Finding& finding : findings.shown) {
        if (finding.level == wavecheck::Level::Error) sentences.push_back(finding.message);
    }
    return sentences;
}

std::string FindingsSentence(const wavecheck::Findings& findings) {
    if (findings.Total() == 0) return findings.Finished() ? "No findings." : "Not checked in full.";
    std::vector<std::string> parts;
    if (findings.errors > 0) parts.push_back(text::GroupedCounted(findings.errors, "error", "errors"));
    if (findings.warnings > 0)
        parts.push_back(text::GroupedCounted(findings.warnings, "warning", "warnings"));
    if (findings.notes > 0) parts.push_back(text::GroupedCounted(findings.notes, "note", "notes"));
    std::string sentence = text::GroupedCounted(findings.Total(), "finding", "findings") + ": ";
    for (std::size_t i = 0; i < parts.size(); ++i) sentence += (i == 0 ? "" : ", ") + parts[i];
    return sentence + (findings.Finished() ? "." : "; not checked in full.");
}

std::vector<std::string> FindingLines(const wavecheck::Findings& findings, std::size_t most) {
    std::vector<std::string> lines;
    for (const wavecheck::Finding& finding : findings.shown) {
        if (lines.size() == most) break;
        const std::size_t idEnd = finding.chunk.find_last_not_of(' ');
        const std::string chunk = idEnd == std::string::npos ? "" : finding.chunk.substr(0, idEnd + 1);
        lines.push_back(std::string(wavecheck::LevelName(finding.level)) + " at offset " +
                        std::to_string(finding.offset) + " (" + (chunk.empty() ? "" : chunk + ", ") +
                        finding.code + "): " + finding.message);
    }
    if (findings.Total() > lines.size()) {
        lines.push_back("... and " + text::GroupedCounted(findings.Total() - lines.size(), "more finding.",
                                                          "more findings."));
    }
    if (!findings.Finished()) lines.push_back(findings.unfinished);
    return lines;
}

std::string ShortenQuotedNames(std::string_view sentence, std::size_t most) {
    const auto continuation = [&](std::size_t at) {
        return at < sentence.size() && (static_cast<unsigned char>(sentence[at]) & 0xC0) == 0x80;
    };
    std::string shortened;
    std::size_t done = 0;
    for (std::size_t open = sentence.find('"'); open != std::string_view::npos;) {
        const std::size_t close = sentence.find('"', open + 1);
        if (close == std::string_view::npos) break;
        if (close - open - 1 > most) {
            std::size_t keepTo = open + 1 + most / 2;
            while (continuation(keepTo)) --keepTo;
            std::size_t resumeAt = close - most / 2;
            while (continuation(resumeAt)) ++resumeAt;
            shortened.append(sentence.substr(done, keepTo - done)).append("\xE2\x80\xA6");  // …
            done = resumeAt;
        }
        open = sentence.find('"', close + 1);
    }
    return shortened.append(sentence.substr(done));
}

}  // namespace report
