// The fuzz target for --summarise: arbitrary bytes read as JSON Lines, as
// SummariseJsonLines reads a file of them. Whatever the bytes, it must end,
// hold no more than a bounded summary, name each line it leaves out in one
// sentence, and count no more files than there are lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

#include "analyse_input.h"
#include "app/dump/jsonl_reader.h"

namespace {

void Check(const std::string& bytes) {
    std::istringstream in(bytes);
    std::ostringstream errors;
    RunSummary summary;
    const std::uint64_t bad = SummariseJsonLines(in, "fuzz.jsonl", summary, errors);
    std::uint64_t lines = static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n'));
    if (!bytes.empty() && bytes.back() != '\n') ++lines;
    fuzzcheck::Require(summary.Files() + bad <= lines, "more lines counted than the input holds");
    std::istringstream said(errors.str());
    std::uint64_t sentences = 0;
    for (std::string line; std::getline(said, line); ++sentences) {
        fuzzcheck::Require(line.rfind("ondulo-dump: \"fuzz.jsonl\" line ", 0) == 0 && line.size() > 40 &&
                               line.substr(line.size() - 32) == "; it is left out of the summary.",
                           "a line left out is not named in one sentence", line);
    }
    fuzzcheck::Require(sentences == bad, "a line left out without a word, or a word without one");
    fuzzcheck::Require(!summary.Text().empty() && summary.Json().front() == '{', "no summary");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzcheck::CheckInput(data, size, [](std::string_view bytes) { Check(std::string(bytes)); });
}
