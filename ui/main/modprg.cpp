#include "ui/main/modprg.h"

namespace ModPrg {

std::int16_t FileState = 0;
std::string LastChosenPath;

}  // namespace ModPrg
