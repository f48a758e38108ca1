#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace rilo {

bool LoadQtTranslations(QTranslator &translator) {
  constexpr const char *kName = "qtbase_zh_TW";
  return translator.load(kName, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
         translator.load(kName, QCoreApplication::applicationDirPath() + "/translations");
}

}  // namespace rilo
