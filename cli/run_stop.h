// Ctrl+C (or SIGTERM, or closing the console) during a run: the first asks every unit
// to stop at its next safe point, so each is recorded and the summary printed; the
// second ends the program at once, as the journal already holds what a unit needs.
#pragma once

#include <atomic>

namespace rilo {

// Set by the first stop request of the process.
std::atomic<bool> &StopRequested();

// Installs the handlers; from then on the requests are counted as above.
void CatchStopRequests();

// The exit status of a run the person stopped.
inline constexpr int kExitStopped = 130;

}  // namespace rilo
