// libFuzzer's entry points for the structure-aware mutator (riff_mutator.h),
// linked into every fuzz target. Built without coverage instrumentation, so
// that the mutator's own branches do not count as progress.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "riff_mutator.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    return riffmutator::Mutate(data, size, maxSize, seed, &LLVMFuzzerMutate);
}

extern "C" std::size_t LLVMFuzzerCustomCrossOver(const std::uint8_t* data1, std::size_t size1,
                                                 const std::uint8_t* data2, std::size_t size2,
                                                 std::uint8_t* out, std::size_t maxOutSize,
                                                 unsigned int seed) {
    return riffmutator::CrossOver(std::string_view(reinterpret_cast<const char*>(data1), size1),
                                  std::string_view(reinterpret_cast<const char*>(data2), size2), out,
                                  maxOutSize, seed);
}
