#include "app/screen_place.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace rilo {

QPoint PlaceTitleBarOnScreen(const QRect &frame, int titleHeight, const QList<QRect> &screens) {
  QPoint nearest = frame.topLeft();
  int64_t shortest = std::numeric_limits<int64_t>::max();
  for (const QRect &screen : screens) {
    // The left edges that keep the whole title bar on this screen (or the screen under it).
    const int flush = screen.left() + screen.width() - frame.width();
    const int leftMin = std::min(screen.left(), flush), leftMax = std::max(screen.left(), flush);
    const int topMax = std::max(screen.top(), screen.top() + screen.height() - titleHeight);
    const QPoint place(std::clamp(frame.left(), leftMin, leftMax),
                       std::clamp(frame.top(), screen.top(), topMax));
    const QPoint move = place - frame.topLeft();
    const int64_t distance = int64_t{move.x()} * move.x() + int64_t{move.y()} * move.y();
    if (distance < shortest) {
      shortest = distance;
      nearest = place;
    }
  }
  return nearest;
}

}  // namespace rilo
