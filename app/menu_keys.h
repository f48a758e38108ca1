// The keys Windows programs give their menu bar, on every platform: Alt pressed and
// released alone, or F10, puts the keyboard on the menu bar, so arrows and Enter reach
// every item without the mouse.
#pragma once

class QMainWindow;

namespace rilo {

void GiveMenuBarItsKeys(QMainWindow &window);

}  // namespace rilo
