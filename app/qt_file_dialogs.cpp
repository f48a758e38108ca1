#include "app/qt_file_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace rilo {
namespace {

QString Text(const std::string &text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Utf8(const QString &text) {
  const QByteArray bytes = text.toUtf8();
  return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

QString NameFilter(const QString &description, const QString &pattern) {
  // The form's filters say their pattern in the description; the dialog hides the
  // parenthesised part Qt reads, so the person sees the description as the form has it.
  return description + " (" + (pattern.isEmpty() ? QString("*") : pattern) + ")";
}

}  // namespace

QStringList QtNameFilters(const std::string &filter) {
  const QStringList parts = Text(filter).split('|');
  QStringList filters;
  if (parts.size() == 1) {
    const QRegularExpressionMatch bracket = QRegularExpression(R"(\[([^\]]*)\])").match(parts[0]);
    filters << NameFilter(parts[0], bracket.hasMatch() ? bracket.captured(1) : QString());
    return filters;
  }
  for (int i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].isEmpty()) filters << NameFilter(parts[i], parts[i + 1]);
  return filters;
}

int FilterIndex(const QStringList &filters, const QString &selected) {
  for (qsizetype i = 0; i < filters.size(); ++i) {
    const QString &f = filters[i];
    if (f == selected || f.left(f.lastIndexOf(" (")) == selected) return static_cast<int>(i) + 1;
  }
  return 1;
}

std::optional<FileDialogs::Chosen> QtFileDialogs::ChooseFileToOpen(const std::string &filter,
                                                                   const std::string &folder) {
  QFileDialog dialog(window_, QString::fromUtf8("開啟檔案"), Text(folder));
  // A file named otherwise than its kind is still reached; the command tells its kind by
  // its extension.
  const QStringList filters = QtNameFilters(filter) << QString::fromUtf8("所有檔案 (*)");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Chosen{Utf8(dialog.selectedFiles().front()), FilterIndex(filters, dialog.selectedNameFilter())};
}

std::optional<std::string> QtFileDialogs::ChooseFileToSave(const std::string &filter,
                                                           const std::string &defaultExtension,
                                                           const std::string &proposed) {
  QFileDialog dialog(window_, QString::fromUtf8("儲存檔案"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The command asks its own question, once.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters(QtNameFilters(filter));
  dialog.setDefaultSuffix(Text(defaultExtension));
  const QFileInfo offered(Text(proposed));
  if (offered.isDir())
    dialog.setDirectory(offered.filePath());
  else if (!proposed.empty())
    dialog.selectFile(offered.filePath());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Utf8(dialog.selectedFiles().front());
}

}  // namespace rilo
