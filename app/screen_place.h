// Keeping the main window within reach: a stored position from another arrangement of
// monitors, or a hand-edited one, must not leave the title bar where nobody can grab it.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace rilo {

// Where the outer frame `frame` must stand so that its title bar, the frame's top
// `titleHeight` pixels, lies whole on one of `screens` (their available areas); a frame
// wider than a screen must cover that screen's whole width instead. The frame's own
// place when it does so already, else the nearest such place.
QPoint PlaceTitleBarOnScreen(const QRect &frame, int titleHeight, const QList<QRect> &screens);

}  // namespace rilo
