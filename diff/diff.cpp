#include "diff/diff.h"

#include <algorithm>

#include "formats/chunk_families.h"

namespace diff {

namespace {

// Chunks that hold sizes or nothing: a file's form adds or drops them.
bool FormChunk(const EntryDiff& entry) {
    const formats::Family family = formats::FamilyOf(entry.id, !entry.listType.empty(), entry.listType);
    return family == formats::Family::Ds64 || family == formats::Family::Filler;
}

}  // namespace

std::string_view EntryDiff::Mark() const {
    if (presence == Presence::OnlyA) return "dropped";
    if (presence == Presence::OnlyB) return "added";
    if (Changed()) return "changed";
    return moved ? "moved" : "same";
}

bool Diff::AudioSame() const {
    return audio.verdict == AudioVerdict::NoAudio ||
           (audio.verdict == AudioVerdict::Identical && !audio.acrossByteOrders);
}

bool Diff::Same() const {
    return !Trouble() && formA == formB && riffSizeA == riffSizeB && findings.empty() && AudioSame() &&
           std::all_of(entries.begin(), entries.end(), [](const EntryDiff& entry) { return entry.Same(); });
}

bool Diff::FormAndSizesOnly() const {
    if (Trouble() || formA == formB) return false;
    if (audio.verdict != AudioVerdict::Identical && audio.verdict != AudioVerdict::NoAudio) return false;
    return std::all_of(entries.begin(), entries.end(), [](const EntryDiff& entry) {
        if (FormChunk(entry)) return true;
        // A list holding a ds64 or filler chunk changes its size with it.
        const bool listResized = !entry.listType.empty() && entry.rows.empty() && entry.records.empty();
        return entry.presence == Presence::Both && !entry.moved && (!entry.Changed() || listResized);
    });
}

std::size_t Diff::ChangedEntries() const {
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const EntryDiff& entry) { return !entry.Same(); }));
}

}  // namespace diff
