#pragma once

// SIGINT (Ctrl+C) and SIGTERM ask a run to stop cleanly: from CatchStopSignals
// on, the first of them sets a flag that StopRequested reads, and puts the
// signal's own action back, so that a second one ends the program at once.
void CatchStopSignals();
bool StopRequested();
