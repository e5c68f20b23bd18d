#pragma once

#include <cstdint>
#include <string>

// State shared by the main window's handlers.
namespace ModPrg {

// 0: the path box is empty or blank; 1: a path is present; 2: the last
// analysis succeeded.
extern std::int16_t FileState;

// The file name last chosen in the file dialog; kept between uses of Search.
extern std::string LastChosenPath;

}  // namespace ModPrg
