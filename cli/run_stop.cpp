#include "cli/run_stop.h"

#include <csignal>
#include <cstdlib>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#endif

namespace rilo {

std::atomic<bool> &StopRequested() {
  static std::atomic<bool> requested{false};
  return requested;
}

namespace {

// Only what a signal handler may do: a lock-free flag, and _exit.
void Request() {
  if (StopRequested().exchange(true)) std::_Exit(kExitStopped);
}

#if defined(_WIN32)
BOOL WINAPI OnConsoleEvent(DWORD) {
  Request();
  return TRUE;
}
#else
void OnSignal(int) {
  Request();
}
#endif

}  // namespace

void CatchStopRequests() {
  static_assert(std::atomic<bool>::is_always_lock_free);
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#endif
}

}  // namespace rilo
