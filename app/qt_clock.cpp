#include "app/qt_clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace rilo {

uint32_t QtClock::Tick() {
  return static_cast<uint32_t>(started_.elapsed());
}

void QtClock::Pause(uint32_t ms) {
  if (ms == 0) {
    QCoreApplication::processEvents();
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void QtClock::WaitForBytes(SerialPort &port, size_t count, uint32_t byteMicros, uint32_t ms) {
  if (port.BytesWaiting() >= count) return;
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  // The seam offers no notification, so the port is looked at again after the wire
  // time of the bytes still missing: one wake-up per batch, never a spin.
  QTimer poll;
  poll.setSingleShot(true);
  poll.setTimerType(Qt::PreciseTimer);
  auto schedule = [&] {
    const size_t waiting = port.BytesWaiting();
    if (waiting >= count) {
      loop.quit();
      return;
    }
    const auto missing = static_cast<int>(((count - waiting) * byteMicros + 999) / 1000);
    poll.start(std::clamp(missing, 1, static_cast<int>(std::max<uint32_t>(ms, 1))));
  };
  QObject::connect(&poll, &QTimer::timeout, &loop, schedule);
  deadline.start(static_cast<int>(ms));
  schedule();
  loop.exec();
}

}  // namespace rilo
