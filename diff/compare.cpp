#include <map>
#include <new>

#include "diff/audio_compare.h"
#include "diff/byte_compare.h"
#include "diff/diff.h"
#include "diff/entry_match.h"
#include "diff/entry_rows.h"
#include "wavedoc/document/wave_document.h"
#include "wavedoc/reading/riff_layout.h"
#include "wavedoc/reading/wave_error.h"

namespace diff {

namespace {

// Each entry's path: the lists around it, then its id and a list's type.
std::vector<std::string> PathsOf(const wavedoc::StructureMap& map) {
    std::vector<std::string> paths;
    paths.reserve(map.entries.size());
    std::vector<std::size_t> open;  // the lists around the entry, by index
    for (std::size_t i = 0; i < map.entries.size(); ++i) {
        const wavedoc::MapEntry& entry = map.entries[i];
        while (!open.empty() && map.entries[open.back()].depth >= entry.depth) open.pop_back();
        std::string own = entry.IsChunk() ? entry.id : "(bytes)";
        if (entry.IsList()) own += " " + entry.listType;
        paths.push_back(open.empty() ? own : paths[open.back()] + "/" + own);
        if (entry.IsList()) open.push_back(i);
    }
    return paths;
}

// The size the RIFF head declares: ds64's in place of 0xFFFFFFFF.
std::uint64_t RiffSizeOf(const wavedoc::WaveDocument& document) {
    const auto stored = static_cast<std::uint32_t>(document.RiffHeader().Size());
    if (stored == UINT32_MAX && document.Ds64()) return document.Ds64()->riffSize;
    return stored;
}

Place PlaceOf(const wavedoc::MapEntry& entry) {
    return {entry.offset, entry.Covered(), entry.IsChunk() ? entry.DeclaredSize() : entry.length, entry.size};
}

// Where the bytes an entry holds start: a chunk's content, or the stray bytes.
std::uint64_t ContentOffset(const wavedoc::MapEntry& entry) {
    return entry.IsChunk() ? entry.offset + wavedoc::layout::kChunkHeaderSize : entry.offset;
}
std::uint64_t ContentLength(const wavedoc::MapEntry& entry) {
    return entry.IsChunk() ? entry.present : entry.length;
}

// Whether an entry is the audio, which CompareAudio compares.
bool IsAudio(const wavedoc::WaveDocument& document, const wavedoc::MapEntry& entry) {
    return entry.IsChunk() && !document.Data().Name().empty() && entry.offset == document.Data().Offset();
}

// What the two files' entries come to, entry by entry.
class EntryComparer {
public:
    EntryComparer(const wavedoc::WaveDocument& a, const wavedoc::WaveDocument& b)
        : a_(a),
          b_(b),
          sourcesA_(RowSourcesOf(a.Structure())),
          sourcesB_(RowSourcesOf(b.Structure())),
          pathsA_(PathsOf(a.Structure())),
          pathsB_(PathsOf(b.Structure())) {}

    EntryDiff Compare(const EntryPair& pair) const {
        EntryDiff diff;
        const wavedoc::MapEntry* entryA = pair.a ? &a_.Structure().entries[*pair.a] : nullptr;
        const wavedoc::MapEntry* entryB = pair.b ? &b_.Structure().entries[*pair.b] : nullptr;
        const wavedoc::MapEntry& entry = entryA != nullptr ? *entryA : *entryB;
        diff.presence = entryA == nullptr   ? Presence::OnlyB
                        : entryB == nullptr ? Presence::OnlyA
                                            : Presence::Both;
        diff.path = entryA != nullptr ? pathsA_[*pair.a] : pathsB_[*pair.b];
        diff.id = entry.id;
        diff.listType = entry.listType;
        diff.depth = entry.depth;
        diff.moved = pair.moved;
        if (entryA != nullptr) diff.a = PlaceOf(*entryA);
        if (entryB != nullptr) diff.b = PlaceOf(*entryB);
        if (entryA == nullptr || entryB == nullptr) return diff;
        CompareRows(RowsOf(a_, *entryA, sourcesA_[*pair.a]), RowsOf(b_, *entryB, sourcesB_[*pair.b]), diff);
        // What the rows do not show (text past what a cell holds, bytes no
        // routine decodes) is compared byte by byte, where the two files
        // store numbers alike: across byte orders the rows alone tell.
        if (!diff.Changed() && !entry.IsList() && a_.Order() == b_.Order() &&
            ContentLength(*entryA) == ContentLength(*entryB) && !IsAudio(a_, *entryA) &&
            !IsAudio(b_, *entryB)) {
            diff.bytesDiffer = FirstDifference(*a_.Source(), ContentOffset(*entryA), *b_.Source(),
                                               ContentOffset(*entryB), ContentLength(*entryA))
                                   .has_value();
        } else if (!entry.IsList() && !IsAudio(a_, *entryA) &&
                   ContentLength(*entryA) != ContentLength(*entryB)) {
            diff.bytesDiffer = true;
        }
        return diff;
    }

private:
    const wavedoc::WaveDocument& a_;
    const wavedoc::WaveDocument& b_;
    std::vector<report::RowsFrom> sourcesA_;
    std::vector<report::RowsFrom> sourcesB_;
    std::vector<std::string> pathsA_;
    std::vector<std::string> pathsB_;
};

// The findings of each file keyed by code, the chunk they concern and their
// order among those: their offsets move with every chunk before them.
std::vector<std::pair<std::string, const wavecheck::Finding*>> KeyedFindings(
    const wavecheck::Findings& findings) {
    std::vector<std::pair<std::string, const wavecheck::Finding*>> keyed;
    std::map<std::string, std::size_t> seen;
    for (const wavecheck::Finding& finding : findings.shown) {
        std::string kind = finding.code + '\t' + finding.chunk;
        const std::size_t nth = seen[kind]++;
        keyed.emplace_back(kind + '\t' + std::to_string(nth), &finding);
    }
    return keyed;
}

std::vector<FindingChange> CompareFindings(const wavecheck::Findings& a, const wavecheck::Findings& b) {
    const auto keyedA = KeyedFindings(a);
    const auto keyedB = KeyedFindings(b);
    std::map<std::string_view, const wavecheck::Finding*> inB;
    for (const auto& [key, finding] : keyedB) inB.emplace(key, finding);
    std::vector<FindingChange> changes;
    for (const auto& [key, finding] : keyedA) {
        if (inB.erase(key) == 0) changes.push_back({false, *finding});
    }
    for (const auto& [key, finding] : keyedB) {
        if (inB.count(key) != 0) changes.push_back({true, *finding});
    }
    return changes;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A reason as the end of a sentence: with its full stop.
std::string Ended(std::string reason) {
    if (reason.empty() || reason.back() != '.') reason += '.';
    return reason;
}

// Why a file cannot be compared, or empty.
std::string TroubleOf(const report::Analysis& analysis) {
    if (!analysis.Loaded()) {
        return analysis.error.empty() ? Quoted(analysis.path) + " could not be read as a WAV file."
                                      : analysis.error;
    }
    if (analysis.findings && !analysis.findings->Finished()) return analysis.findings->unfinished;
    return {};
}

}  // namespace

Diff Compare(const report::Analysis& a, const report::Analysis& b) {
    Diff diff;
    diff.pathA = a.path;
    diff.pathB = b.path;
    diff.trouble = TroubleOf(a);
    if (diff.trouble.empty()) diff.trouble = TroubleOf(b);
    if (diff.Trouble()) return diff;
    const wavedoc::WaveDocument& documentA = *a.document;
    const wavedoc::WaveDocument& documentB = *b.document;
    diff.lengthA = documentA.Source()->Length();
    diff.lengthB = documentB.Source()->Length();
    diff.riffSizeA = RiffSizeOf(documentA);
    diff.riffSizeB = RiffSizeOf(documentB);
    try {
        // The form is the id the file opens with: RIFF, RF64, BW64 or RIFX.
        diff.formA = documentA.Source()->Read(0, 4);
        diff.formB = documentB.Source()->Read(0, 4);
        const EntryComparer comparer(documentA, documentB);
        for (const EntryPair& pair : MatchEntries(documentA.Structure(), documentB.Structure())) {
            diff.entries.push_back(comparer.Compare(pair));
        }
        if (a.findings && b.findings) diff.findings = CompareFindings(*a.findings, *b.findings);
        diff.audio = CompareAudio(documentA, documentB);
    } catch (const std::bad_alloc&) {
        diff.trouble =
            Quoted(a.path) + " and " + Quoted(b.path) + " could not be compared: there is not enough memory.";
    } catch (const wavedoc::WaveDocError& error) {
        diff.trouble = Quoted(a.path) + " and " + Quoted(b.path) +
                       " could not be compared to the end: " + Ended(error.what());
    }
    return diff;
}

Diff CompareFiles(const std::string& pathA, const std::string& pathB) {
    report::AnalyseOptions options;
    options.keepOpen = true;
    return Compare(report::Analyse(pathA, options), report::Analyse(pathB, options));
}

}  // namespace diff
