#pragma once

#include <string>
#include <vector>

#include "wavecheck/findings.h"
#include "wavedoc/document/structure_map.h"

// Sentences about a whole analysed file for the status line.

// "Also in the file: bext, iXML, LIST (INFO), JUNK." naming, once each and in
// file order, the top-level chunk types the chunk list does not show, the
// first five of them and then how many more ("… and 4,090 more."); empty
// when it shows them all.
std::string AlsoInFileSentence(const wavedoc::StructureMap& structure);

// "No findings." or "3 findings: 1 error, 2 warnings." (counting every
// finding, however many are kept), saying so when the check did not finish.
std::string FindingsSentence(const wavecheck::Findings& findings);

// One line per finding, at most `most` of them: "error at offset 36 (data,
// past-end): sentence"; then "... and N more findings." and why the check
// did not finish, when so.
std::vector<std::string> FindingLines(const wavecheck::Findings& findings, std::size_t most);
