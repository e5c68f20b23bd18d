#pragma once

#include <functional>
#include <string>

#include "ui/structure/report_saving.h"

class WorkRunner;

// Saves the report of the analysed file to `destination` on the runner's
// thread, so that its window keeps answering; the runner's dialog shows the
// bytes written and its Cancel stops the save (the destination then keeps
// what it held). `saved` gets the outcome on the window's thread. False,
// saving nothing, while the runner has other work.
bool StartReportSave(WorkRunner& runner, const report::Analysis& analysis, const std::string& destination,
                     std::function<void(const SaveOutcome&)> saved);
