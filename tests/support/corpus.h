#pragma once

#include <string>

// The real files written by other programs, under tests/data/corpus.
namespace wavtest {

inline std::string CorpusDir() { return std::string(ONDULO_TEST_DATA_DIR) + "/corpus"; }
inline std::string CorpusPath(const std::string& file) { return CorpusDir() + "/" + file; }

// The collections of real files kept beside the repository (corpus and
// corpus2, each with its SOURCES.md), when they are there.
inline std::string SharedDir() { return ONDULO_SHARED_DIR; }

}  // namespace wavtest
