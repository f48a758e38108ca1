#include "link/steady_clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace rilo {

uint32_t SteadyClock::Tick() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SteadyClock::Pause(uint32_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SteadyClock::WaitForBytes(SerialPort &port, size_t count, uint32_t byteMicros, uint32_t ms) {
  const size_t waiting = port.BytesWaiting();
  if (waiting >= count) return;
  auto missing = std::chrono::microseconds((count - waiting) * byteMicros);
#if defined(_WIN32)
  // Windows sleeps in whole milliseconds, and MinGW's runtime rounds a part down: a
  // wait asked in whole ones, rounded up, is never shorter than the bytes' wire time.
  missing = std::chrono::ceil<std::chrono::milliseconds>(missing);
#endif
  std::this_thread::sleep_for(std::min<std::chrono::microseconds>(missing, std::chrono::milliseconds(ms)));
}

}  // namespace rilo
