#include "wavedoc/reading/error_text.h"

#include <cstring>

namespace wavedoc {
namespace {

// strerror_r comes in two forms: the GNU one returns the sentence (which may
// or may not be in the buffer), the POSIX one fills the buffer and returns 0.
[[maybe_unused]] std::string SentenceOf(const char* sentence, const char* /*buffer*/) { return sentence; }
[[maybe_unused]] std::string SentenceOf(int failed, const char* buffer) {
    return failed == 0 ? std::string(buffer) : std::string("unknown error");
}

}  // namespace

std::string ErrorText(int error) {
    char buffer[256] = {};
    return SentenceOf(strerror_r(error, buffer, sizeof buffer), buffer);
}

}  // namespace wavedoc
