// Where a stored window position lands: left alone while the title bar can be grabbed,
// else moved the shortest way onto the nearest screen.
#include "app/screen_place.h"

#include <gtest/gtest.h>

namespace rilo {
namespace {

constexpr int kTitle = 24;

TEST(PlaceTitleBarOnScreen, MovesOnlyATitleBarThatIsNotWholeOnOneScreen) {
  // A wide screen on the left and a smaller one beside it, their tops aligned.
  const QList<QRect> two = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1024, 768)};
  struct Case {
    const char *what;
    QList<QRect> screens;
    QRect frame;
    QPoint wanted;
  };
  const Case cases[] = {
      {"inside", {QRect(0, 0, 1280, 1024)}, QRect(37, 41, 1060, 560), QPoint(37, 41)},
      {"touching every edge", {QRect(0, 0, 1280, 1024)}, QRect(220, 1000, 1060, 560), QPoint(220, 1000)},
      {"stored top -500", {QRect(0, 0, 1280, 1024)}, QRect(100, -500, 1060, 560), QPoint(100, 0)},
      {"title bar half above", {QRect(0, 0, 1280, 1024)}, QRect(100, -12, 1060, 560), QPoint(100, 0)},
      {"title bar just below the bottom",
       {QRect(0, 0, 1280, 1024)},
       QRect(100, 1001, 1060, 560),
       QPoint(100, 1000)},
      {"past the right edge", {QRect(0, 0, 1280, 1024)}, QRect(400, 300, 1060, 560), QPoint(220, 300)},
      {"far up and left", {QRect(0, 0, 1280, 1024)}, QRect(-5000, -5000, 1060, 560), QPoint(0, 0)},
      {"below a panel at the top", {QRect(0, 30, 1280, 994)}, QRect(100, 10, 1060, 560), QPoint(100, 30)},
      {"wider than the screen, covering it",
       {QRect(0, 0, 1024, 768)},
       QRect(-20, 0, 1060, 560),
       QPoint(-20, 0)},
      {"wider than the screen, a gap at the left",
       {QRect(0, 0, 1024, 768)},
       QRect(10, 0, 1060, 560),
       QPoint(0, 0)},
      {"whole on the second screen", two, QRect(1950, 100, 900, 560), QPoint(1950, 100)},
      {"mostly on the first screen", two, QRect(1300, 100, 900, 560), QPoint(1020, 100)},
      {"mostly on the second screen", two, QRect(1600, 100, 900, 560), QPoint(1920, 100)},
      {"right of both screens", two, QRect(4000, 100, 900, 560), QPoint(2044, 100)},
      {"below the smaller screen", two, QRect(2000, 900, 900, 560), QPoint(2000, 768 - kTitle)},
      {"below the larger screen", two, QRect(300, 1200, 900, 560), QPoint(300, 1080 - kTitle)},
      {"no screen at all", {}, QRect(-500, -500, 900, 560), QPoint(-500, -500)},
  };
  for (const Case &c : cases)
    EXPECT_EQ(PlaceTitleBarOnScreen(c.frame, kTitle, c.screens), c.wanted) << c.what;
}

}  // namespace
}  // namespace rilo
