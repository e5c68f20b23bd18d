#pragma once

#include <string>

#include "report/analysis.h"

// What a structure window of `path` shows: `analysed` (the main window's
// analysis) when it is a checked analysis of that path and the file is
// unchanged since, else a fresh analysis of its own, in every form of WAV.
report::Analysis AnalysisToShow(const std::string& path, const report::Analysis& analysed);
