// RILO1Q12: one copy per user, the main window with its two hidden dialogs, the format
// library beside the program, then the message loop.
#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <string>

#include "app/exception_box.h"
#include "app/form_menu.h"
#include "app/single_instance.h"
#include "core/ini_preferences.h"
#include "core/ventrix_api.h"

int main(int argc, char *argv[]) {
  rilo::SingleInstance instance;
  if (!instance.acquired()) return 0;

  QApplication app(argc, argv);
  QApplication::setApplicationName("RILO1Q12");
  try {
    auto store = rilo::OpenPreferenceStore();
    rilo::TFormMenu window(*store);

    std::string error;
    if (!rilo::LoadVentrixBesideProgram(&error)) {
      QMessageBox::critical(nullptr, rilo::kExceptionCaption, QString::fromStdString(error));
      return 1;
    }
    window.show();
    QApplication::exec();
  } catch (const std::exception &e) {
    QMessageBox::critical(nullptr, rilo::kExceptionCaption, QString::fromUtf8(e.what()));
  }
  return 0;
}
