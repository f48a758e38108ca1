// Where the main window opens: at its stored place, frame included, unless that place
// keeps the title bar off every screen. The test screens stand side by side: a primary
// 1280 x 1024 at the origin and a 1024 x 768 to its right.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "app/form_menu.h"
#include "app/testing/window_parts.h"

namespace rilo {
namespace {

using testing::FillDefaults;

class WindowPlaceTest : public ::testing::Test {
 protected:
  testing::WindowParts parts;

  std::unique_ptr<TFormMenu> StartAt(int left, int top) {
    FillDefaults(parts.store);
    parts.store.values["Left"] = left;
    parts.store.values["Top"] = top;
    return parts.Start();
  }
  static QRect StoredFrame(const MemoryPreferences &store) {
    auto value = [&](const char *name) { return std::get<int32_t>(store.values.at(name)); };
    return {value("Left"), value("Top"), value("Width"), value("Height")};
  }
};

TEST_F(WindowPlaceTest, StoredPlaceOnScreenIsShownExactlyAndStoredAgainAtClose) {
  auto window = StartAt(37, 41);
  const QRect frame = window->frameGeometry();
  EXPECT_EQ(frame.topLeft(), QPoint(37, 41));
  window->close();
  EXPECT_EQ(StoredFrame(parts.store), frame);

  // The next start shows what the close stored.
  testing::WindowParts next;
  next.store.values = parts.store.values;
  auto again = next.Start();
  EXPECT_EQ(again->frameGeometry(), frame);
  EXPECT_TRUE(next.person.shown.empty());
}

TEST_F(WindowPlaceTest, TitleBarAboveTheScreenComesDownOntoIt) {
  auto window = StartAt(100, -500);
  EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(100, 0));
  // What is shown is what the next start gets.
  window->close();
  EXPECT_EQ(StoredFrame(parts.store), window->frameGeometry());
}

TEST_F(WindowPlaceTest, WindowBeyondEveryScreenMovesOntoTheNearestOne) {
  auto window = StartAt(5000, 100);
  const QRect frame = window->frameGeometry();
  EXPECT_EQ(frame.top(), 100);
  QScreen *under = QGuiApplication::screenAt(QPoint(frame.center().x(), frame.top()));
  ASSERT_NE(under, nullptr);
  EXPECT_EQ(under->name(), "second");
}

}  // namespace
}  // namespace rilo
