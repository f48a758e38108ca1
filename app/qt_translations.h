// Qt's own texts (message-box buttons, the print and file dialogs) in the window's
// language: Qt's Traditional Chinese translations.
#pragma once

#include <QTranslator>

namespace rilo {

// Loads them from Qt's own folder or, where the tool ships its own copy, from the
// "translations" folder beside the program. False when neither has them: the standard
// dialogs then speak English. Needs the application object.
bool LoadQtTranslations(QTranslator &translator);

}  // namespace rilo
