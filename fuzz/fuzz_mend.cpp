// Mends arbitrary bytes as ondulo-dump --mend does: each input, written to a
// file, is analysed, its mend planned and, when there is something to mend,
// written to a copy. Any input either mends or says why not, in one
// sentence; the copy is as long as the plan says, its own check finds no
// error at the top level of a kind the mend answers, and its mend is empty.
// Anything else (an exception, a crash, a leak, a hang) is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "analyse_input.h"
#include "mend/mend.h"

namespace {

using fuzzcheck::Finding;
using fuzzcheck::Require;

// The input's file (the first) and the copy's (the second).
const fuzzcheck::ScratchPair& TheFiles() {
    static const fuzzcheck::ScratchPair files("mend");
    return files;
}

void Check(const std::string& bytes) {
    const fuzzcheck::ScratchPair& files = TheFiles();
    ::unlink(files.Second().c_str());
    fuzzcheck::WriteScratch(files.First(), bytes);
    const report::Analysis analysis = report::Analyse(files.First());
    const mend::Plan plan = mend::MakePlan(analysis);
    if (plan.Refused()) {
        fuzzcheck::RequireSentence(plan.refusal, "a refusal to mend");
        return;
    }
    std::uint64_t length = 0;
    for (const mend::Piece& piece : plan.pieces) {
        Require(piece.copy ? piece.from + piece.length <= bytes.size() : piece.bytes.size() == piece.length,
                "a piece of the plan lies outside the file or misstates its length");
        length += piece.length;
    }
    Require(length == plan.destLength, "the pieces of the plan do not add up to the copy's length");
    for (const mend::Change& change : plan.changes) {
        fuzzcheck::RequireSentence(change.sentence, "a change of the plan");
        Require(change.offset + change.length <= bytes.size(), "a change names bytes outside the file",
                change.sentence);
    }
    Require(plan.audioOffset + plan.audioBytes <= bytes.size(), "the audio lies outside the file");
    if (plan.NothingToMend()) return;
    mend::WriteOptions options;
    options.sync = false;
    const mend::WriteResult written = mend::WritePlan(analysis, plan, files.Second(), options);
    Require(written.status == mend::WriteStatus::Written, "the copy was not written:", written.message);
    Require(written.sourceAudioSha256 == written.destAudioSha256, "the copy's audio differs");
    const mend::Recheck recheck = mend::CheckCopy(files.Second());
    Require(recheck.loaded, "the copy cannot be loaded");
    if (!recheck.claimed.empty()) {
        Finding("the copy's check finds an error the mend answers:",
                recheck.claimed.front().code + ": " + recheck.claimed.front().message);
    }
    Require(recheck.nothingToMend, "the mend of the copy is not empty");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzcheck::CheckInput(data, size, [](std::string_view bytes) { Check(std::string(bytes)); });
}
