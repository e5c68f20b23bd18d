// Diffs each input against a near copy of it, as ondulo-dump --diff does:
// the input written to one file, and to another with one byte changed and a
// few cut from its end (both chosen from the input's own bytes). The diff
// must give the same answer both ways round (what one calls added the other
// calls dropped), find a file the same as itself, and write its text and
// JSON. Anything else (an exception, a crash, a leak, a hang) is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "analyse_input.h"
#include "app/dump/diff_output.h"
#include "diff/diff.h"

namespace {

using fuzzcheck::Require;

// The near copy: the byte at a place the input's last bytes pick changed,
// and up to 15 bytes cut from the end.
std::string NearCopy(const std::string& bytes) {
    if (bytes.size() < 4) return bytes + "x";
    std::string copy = bytes;
    const auto pick = static_cast<std::size_t>(static_cast<unsigned char>(bytes[bytes.size() - 1]) |
                                               static_cast<unsigned char>(bytes[bytes.size() - 2]) << 8);
    const std::size_t at = pick % copy.size();
    copy[at] = static_cast<char>(copy[at] + 1);
    copy.resize(copy.size() - std::min<std::size_t>(pick >> 12, copy.size() / 2));
    return copy;
}

struct Counts {
    std::size_t onlyA = 0;
    std::size_t onlyB = 0;
    std::size_t changed = 0;
    std::size_t moved = 0;
    std::size_t appeared = 0;
    std::size_t gone = 0;
};

Counts CountsOf(const diff::Diff& diff) {
    Counts counts;
    for (const diff::EntryDiff& entry : diff.entries) {
        counts.onlyA += entry.presence == diff::Presence::OnlyA;
        counts.onlyB += entry.presence == diff::Presence::OnlyB;
        counts.changed += entry.presence == diff::Presence::Both && entry.Changed();
        counts.moved += entry.moved;
    }
    for (const diff::FindingChange& change : diff.findings)
        (change.appeared ? counts.appeared : counts.gone)++;
    return counts;
}

void Check(const std::string& bytes) {
    static const fuzzcheck::ScratchPair files("diff");
    fuzzcheck::WriteScratch(files.First(), bytes);
    fuzzcheck::WriteScratch(files.Second(), NearCopy(bytes));
    const diff::Diff forth = diff::CompareFiles(files.First(), files.Second());
    const diff::Diff back = diff::CompareFiles(files.Second(), files.First());
    Require(forth.Trouble() == back.Trouble(),
            "one way round is trouble, the other not:", forth.trouble + back.trouble);
    std::ostringstream text;
    WriteDiffText(forth, text);
    fuzzcheck::WriteOut(text.str());
    fuzzcheck::WriteOut(DiffJson(forth));
    if (forth.Trouble()) {
        fuzzcheck::RequireSentence(forth.trouble, "the trouble of a diff");
        return;
    }
    const Counts there = CountsOf(forth);
    const Counts again = CountsOf(back);
    Require(there.onlyA == again.onlyB && there.onlyB == again.onlyA, "added and dropped do not swap");
    Require(there.changed == again.changed && there.moved == again.moved,
            "the changed or moved entries differ with the side");
    Require(there.appeared == again.gone && there.gone == again.appeared, "the findings do not swap");
    Require(forth.audio.verdict == back.audio.verdict && forth.audio.firstFrame == back.audio.firstFrame,
            "the audio's verdict differs with the side");
    const diff::Diff itself = diff::CompareFiles(files.First(), files.First());
    Require(itself.Trouble() || itself.Same(), "a file differs from itself");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzcheck::CheckInput(data, size, [](std::string_view bytes) { Check(std::string(bytes)); });
}
