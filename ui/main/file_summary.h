#pragma once

#include <string>
#include <vector>

#include "wavecheck/findings.h"
#include "wavedoc/structure_map.h"

// Sentences about a whole analysed file for the status line.

// "Also in the file: bext, iXML, LIST (INFO), JUNK." naming, once each and in
// file order, the top-level chunk types the chunk list does not show; empty
// when it shows them all.
std::string AlsoInFileSentence(const std::vector<wavedoc::MapEntry>& structure);

// "No findings." or "3 findings: 1 error, 2 warnings."
std::string FindingsSentence(const std::vector<wavecheck::Finding>& findings);

// One line per finding: "error at offset 36 (data, past-end): sentence".
std::vector<std::string> FindingLines(const std::vector<wavecheck::Finding>& findings);
