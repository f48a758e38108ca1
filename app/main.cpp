// RILO1Q12: one copy per user; the format library and the product-line data beside the
// program; the main window with its two hidden dialogs; then the message loop.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTranslator>
#include <exception>
#include <string>

#include "app/exception_box.h"
#include "app/form_menu.h"
#include "app/qt_translations.h"
#include "app/single_instance.h"
#include "core/ini_preferences.h"
#include "core/ventrix_api.h"
#include "link/product_line.h"

namespace {

int Refuse(const std::string &error) {
  QMessageBox::critical(nullptr, rilo::kExceptionCaption, QString::fromStdString(error));
  return 1;
}

}  // namespace

int main(int argc, char *argv[]) {
  rilo::SingleInstance instance;
  if (!instance.acquired()) {
    instance.BringRunningCopyForward();
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("RILO1Q12");
  // The same icon and name as the menu entry, so a desktop pairs the window with it.
  QApplication::setWindowIcon(QIcon(":/rilo1q12.png"));
  QGuiApplication::setDesktopFileName("rilo1q12");
  QTranslator qtTexts;
  if (rilo::LoadQtTranslations(qtTexts)) QApplication::installTranslator(&qtTexts);
  try {
    // Without these the tool can do nothing: say so before any window opens a port.
    std::string error;
    const auto ventrix = rilo::LoadVentrixBesideProgram(&error);
    if (!ventrix) return Refuse(error);
    const auto productLine = rilo::ReadProductLineBesideProgram(&error);
    if (!productLine) return Refuse(error);

    auto store = rilo::OpenPreferenceStore();
    rilo::TFormMenu window(*store, *ventrix, *productLine);
    instance.Serve(window);
    window.show();
    QApplication::exec();
  } catch (const std::exception &e) {
    QMessageBox::critical(nullptr, rilo::kExceptionCaption, QString::fromUtf8(e.what()));
  }
  return 0;
}
