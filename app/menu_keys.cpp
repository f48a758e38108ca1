#include "app/menu_keys.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>

namespace rilo {
namespace {

// The application's style, but with the menu bar answering a lone Alt, which only
// some styles (Windows') do.
class AltKeyStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                QStyleHintReturn *returned) const override {
    if (hint == SH_MenuBar_AltKeyNavigation) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

void GiveMenuBarItsKeys(QMainWindow &window) {
  QMenuBar *bar = window.menuBar();
  auto *style = new AltKeyStyle;
  style->setParent(bar);  // a widget does not own the style it is given
  bar->setStyle(style);
  // F10 opens the first menu; the arrows move from there to every other.
  auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
  QObject::connect(f10, &QShortcut::activated, bar, [bar] {
    for (QAction *menu : bar->actions())
      if (menu->isVisible() && menu->isEnabled()) {
        bar->setActiveAction(menu);
        return;
      }
  });
}

}  // namespace rilo
