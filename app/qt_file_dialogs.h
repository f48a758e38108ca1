// The open and save dialogs in the window: Qt's file dialogs, with the form's filter
// notation turned into Qt's and the chosen filter turned back into its index.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "core/file_dialogs.h"

namespace rilo {

// Qt name filters for the form's "description|pattern|..." notation, or a description
// alone whose pattern stands in brackets ("RILO Format [*.rilo]"). Each filter is the
// description followed by its pattern in parentheses, which the dialog hides.
QStringList QtNameFilters(const std::string &filter);

// The 1-based index in `filters` of the filter a dialog reports as chosen, which the
// dialog gives without the pattern it hides; 1 when it is none of them.
int FilterIndex(const QStringList &filters, const QString &selected);

class QtFileDialogs : public FileDialogs {
 public:
  explicit QtFileDialogs(QWidget *window) : window_(window) {}

  std::optional<Chosen> ChooseFileToOpen(const std::string &filter, const std::string &folder) override;
  std::optional<std::string> ChooseFileToSave(const std::string &filter, const std::string &defaultExtension,
                                              const std::string &proposed) override;

 private:
  QPointer<QWidget> window_;
};

}  // namespace rilo
