#pragma once

#include <string>

#include "ui/structure/report_saving.h"

class QWidget;

// Saves the report of the analysed file to `destination` on a thread of its
// own, so that `window` keeps answering, with a progress dialog whose Cancel
// stops the save (the destination then keeps what it held). Returns when the
// save has ended. When no thread can be started, saves on the calling thread.
SaveOutcome SaveReportShowingProgress(QWidget* window, const report::Analysis& analysis,
                                      const std::string& destination);
