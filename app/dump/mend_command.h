#pragma once

#include <iosfwd>
#include <string>

// ondulo-dump --mend DEST FILE and --mend-plan FILE: the plan of a mended
// copy, as text or (json) as an object "mend", and for --mend the copy
// written and checked again. Returns the exit status: 0 when the copy was
// written and its check finds no error, or when there is nothing to mend; 1
// when errors remain that no mend answers, FILE cannot be mended or the copy
// could not be written; 2 when DEST is FILE; 3 when FILE changed while it
// was read.
int RunMend(const std::string& file, const std::string* destination, bool json, std::ostream& out,
            std::ostream& errors);
