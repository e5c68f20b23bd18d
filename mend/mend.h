#pragma once

#include <string>
#include <vector>

#include "mend/mend_plan.h"
#include "mend/mend_writer.h"

namespace mend {

// The copy checked again by Ondulo, as the mend ends with it.
struct Recheck {
    bool loaded = false;
    std::vector<wavecheck::Finding> errors;  // the errors the copy's check finds
    // Of them, those at the top level of a code the mend answers: a copy
    // holds none, or the mend is wrong.
    std::vector<wavecheck::Finding> claimed;
    std::string unfinished;      // why its check could not finish, or empty
    bool nothingToMend = false;  // the mend of the copy is empty
};

// Loads and checks the copy at `destination`, and plans its mend.
Recheck CheckCopy(const std::string& destination);

// The codes of the check a change of the mend may answer.
const std::vector<std::string>& MendedCodes();

}  // namespace mend
