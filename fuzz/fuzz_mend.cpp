// Mends arbitrary bytes as ondulo-dump --mend does: each input, written to a
// file, is analysed, its mend planned and, when there is something to mend,
// written to a copy. Any input either mends or says why not, in one
// sentence; the copy is as long as the plan says, its own check finds no
// error at the top level of a kind the mend answers, and its mend is empty.
// Anything else (an exception, a crash, a leak, a hang) is a finding.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

#include "analyse_input.h"
#include "mend/mend.h"

namespace {

using fuzzcheck::Finding;
using fuzzcheck::Require;

// The input's file and the copy's: one pair per process, so that a merge's
// child processes do not share them, removed at exit.
class Files {
public:
    Files()
        : input_("/tmp/ondulo-fuzz-mend-" + std::to_string(::getpid()) + ".wav"),
          copy_("/tmp/ondulo-fuzz-mend-" + std::to_string(::getpid()) + "-copy.wav") {}
    ~Files() {
        ::unlink(input_.c_str());
        ::unlink(copy_.c_str());
    }
    Files(const Files&) = delete;
    Files& operator=(const Files&) = delete;

    const std::string& Input() const { return input_; }
    const std::string& Copy() const { return copy_; }

    void Write(const std::string& bytes) const {
        ::unlink(copy_.c_str());
        const int descriptor = ::open(input_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (descriptor < 0) Finding("cannot create the input file", input_);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) Finding("cannot write the input file", input_);
            done += static_cast<std::size_t>(wrote);
        }
        if (::close(descriptor) != 0) Finding("cannot close the input file", input_);
    }

private:
    std::string input_;
    std::string copy_;
};

const Files& TheFiles() {
    static const Files files;
    return files;
}

void Check(const std::string& bytes) {
    const Files& files = TheFiles();
    files.Write(bytes);
    const report::Analysis analysis = report::Analyse(files.Input());
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
    const mend::WriteResult written = mend::WritePlan(analysis, plan, files.Copy(), options);
    Require(written.status == mend::WriteStatus::Written, "the copy was not written:", written.message);
    Require(written.sourceAudioSha256 == written.destAudioSha256, "the copy's audio differs");
    const mend::Recheck recheck = mend::CheckCopy(files.Copy());
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
