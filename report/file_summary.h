#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"

namespace report {

// Sentences about a whole analysed file for the status line.

// The top-level chunk types the chunk list does not show, once each and in
// file order, a list with its type: {"bext", "iXML", "LIST (INFO)", "JUNK"}.
// Raw bytes, as the file holds them.
std::vector<std::string> AlsoInFile(const wavedoc::StructureMap& structure);

// "Also in the file: bext, iXML, LIST (INFO), JUNK." for those names, the
// first five of them and then how many more ("... and 4,090 more."); empty
// when there are none, as when the chunk list shows every type.
std::string AlsoInFileSentence(const std::vector<std::string>& names);

// The sentences of the errors found, where a reader loses content or cannot
// play the file (a chunk cut off by the end of the file): what the status
// line says about the file whatever is selected.
std::vector<std::string> LostContent(const wavecheck::Findings& findings);

// "No findings." or "3 findings: 1 error, 2 warnings." (counting every
// finding, however many are kept), saying so when the check did not finish.
std::string FindingsSentence(const wavecheck::Findings& findings);

// One line per finding, at most `most` of them: "error at offset 36 (data,
// past-end): sentence"; then "... and N more findings." and why the check
// did not finish, when so.
std::vector<std::string> FindingLines(const wavecheck::Findings& findings, std::size_t most);

// The sentence, UTF-8 text, with every quoted name ("…") longer than `most`
// bytes (a long path) shortened in the middle to its first and last bytes
// around "…", without cutting a character in two.
std::string ShortenQuotedNames(std::string_view sentence, std::size_t most);

}  // namespace report
