#pragma once

#include <string>

namespace wavedoc {

// The system's sentence for an errno value ("Input/output error"). Unlike
// std::strerror it shares no buffer, so files read on several threads at once
// each get their own sentence.
std::string ErrorText(int error);

}  // namespace wavedoc
