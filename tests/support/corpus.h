#pragma once

#include <string>

// The real files written by other programs, under tests/data/corpus.
namespace wavtest {

inline std::string CorpusDir() { return std::string(ONDULO_TEST_DATA_DIR) + "/corpus"; }
inline std::string CorpusPath(const std::string& file) { return CorpusDir() + "/" + file; }

}  // namespace wavtest
