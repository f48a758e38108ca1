#include "app/binder.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "app/clickable_label.h"
#include "settings/edit_mask.h"

namespace rilo {
namespace {

QString Name(const std::string &name) {
  return QString::fromStdString(name);
}
QString Text(const std::string &text) {
  return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

bool SameEntries(const QComboBox &combo, const OptionList &list) {
  if (combo.count() != list.Count()) return false;
  for (int i = 0; i < list.Count(); ++i)
    if (combo.itemText(i) != Text(list.entries[i])) return false;
  return true;
}

}  // namespace

Binder::Binder(QWidget *window, Editor &editor, Runner run)
    : QObject(window), window_(window), editor_(editor), run_(std::move(run)) {
  ConnectLists();
  ConnectIdentity();
}

void Binder::ConnectLists() {
  for (OptionList *list : editor_.form.Lists()) {
    auto *combo = window_->findChild<QComboBox *>(Name(list->name));
    if (!combo) continue;
    // Only the person's pick runs a handler; the mirror's own index changes do not.
    connect(combo, &QComboBox::activated, this,
            [this, list](int index) { run_([this, list, index] { editor_.Pick(*list, index); }); });
  }
}

void Binder::ConnectIdentity() {
  Form &form = editor_.form;
  for (TextField *field : {&form.EEqupmentID, &form.EEqupmentSN, &form.EEqupmentDate}) {
    auto *edit = window_->findChild<QLineEdit *>(Name(field->name));
    edit->installEventFilter(this);
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setDragEnabled(false);
    edit->setAcceptDrops(false);
    connect(edit, &QLineEdit::cursorPositionChanged, this, [this, field](int, int position) {
      if (!mirroring_) run_([this, field, position] { editor_.PlaceCaret(*field, position); });
    });
  }
  if (auto *label = window_->findChild<ClickableLabel *>("LabelEqupmentID"))
    connect(label, &ClickableLabel::clicked, this,
            [this] { run_([this] { editor_.LabelEqupmentIDClick(); }); });
  if (auto *label = window_->findChild<ClickableLabel *>("LabelEqupmentType"))
    connect(label, &ClickableLabel::doubleClicked, this,
            [this] { run_([this] { editor_.LabelEqupmentTypeDblClick(); }); });
}

TextField *Binder::FieldOf(QObject *widget) {
  Form &form = editor_.form;
  for (TextField *field : {&form.EEqupmentID, &form.EEqupmentSN, &form.EEqupmentDate})
    if (widget->objectName() == Name(field->name)) return field;
  return nullptr;
}

// The identity fields' text belongs to the form: their keys go to the editor, which
// applies the key filters and masks, and the mirror shows the result.
bool Binder::eventFilter(QObject *watched, QEvent *event) {
  TextField *field = FieldOf(watched);
  if (!field) return false;
  if (event->type() == QEvent::MouseButtonRelease && field == &editor_.form.EEqupmentDate) {
    run_([this] { editor_.EEqupmentDateClick(); });
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto *key = static_cast<QKeyEvent *>(event);
  if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut) ||
      key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
      key->matches(QKeySequence::DeleteEndOfWord) || key->matches(QKeySequence::DeleteStartOfWord))
    return true;
  switch (key->key()) {
    case Qt::Key_Backspace:
      run_([this, field] { editor_.TypeKey(*field, kBackspace); });
      return true;
    case Qt::Key_Escape:
      run_([this, field] { editor_.TypeKey(*field, kEscape); });
      return true;
    case Qt::Key_Delete:
      run_([this, field] { editor_.DeleteKey(*field); });
      return true;
    default:
      break;
  }
  const QString text = key->text();
  if (text.isEmpty() || !text.at(0).isPrint() || (key->modifiers() & Qt::ControlModifier)) return false;
  const char32_t typed = text.toUcs4().front();
  run_([this, field, typed] { editor_.TypeKey(*field, typed); });
  return true;
}

void Binder::SetVisible(const std::string &name, bool visible) {
  QObject *control = window_->findChild<QObject *>(Name(name));
  if (auto *action = qobject_cast<QAction *>(control)) {
    action->setVisible(visible);
    return;
  }
  auto *widget = qobject_cast<QWidget *>(control);
  if (!widget) return;
  // A page shows or hides its tab; the page itself stays reachable from code.
  for (QWidget *up = widget->parentWidget(); up; up = up->parentWidget()) {
    if (auto *pages = qobject_cast<QTabWidget *>(up)) {
      if (int index = pages->indexOf(widget); index >= 0) {
        pages->setTabVisible(index, visible);
        return;
      }
    }
  }
  widget->setVisible(visible);
}

void Binder::MirrorForm() {
  const Form &form = editor_.form;
  for (const OptionList *list : form.Lists()) {
    auto *combo = window_->findChild<QComboBox *>(Name(list->name));
    if (!combo) continue;
    if (!SameEntries(*combo, *list)) {
      combo->clear();
      for (const std::string &entry : list->entries)
        combo->addItem(Text(entry));
      // The closed list is narrow; its drop-down shows whole entries.
      combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 8);
    }
    combo->setCurrentIndex(list->index);
    combo->setEnabled(list->enabled);
    combo->setVisible(list->visible);
  }
  for (const TextField *field : {&form.EEqupmentID, &form.EEqupmentSN, &form.EEqupmentDate}) {
    auto *edit = window_->findChild<QLineEdit *>(Name(field->name));
    if (edit->text() != Text(field->text)) edit->setText(Text(field->text));
    edit->setReadOnly(field->readOnly);
    edit->setCursorPosition(field->caret);
  }
  if (auto *type = window_->findChild<QLineEdit *>("EEqupmentType")) type->setText(Text(form.EEqupmentType));
  if (auto *inch = window_->findChild<QLabel *>("LabelInchTime")) inch->setVisible(form.LabelInchTimeVisible);
  window_->setWindowTitle(Text(form.Caption));
}

void Binder::Mirror(const ShellView &view) {
  mirroring_ = true;
  MirrorForm();
  for (const auto &[name, visible] : view.visible)
    SetVisible(name, visible);
  for (int n = 1; n <= 16; ++n) {
    for (const char *set : {"NCOM", "PopCOM"})
      if (auto *item = window_->findChild<QAction *>(QString("%1%2").arg(set).arg(n)))
        item->setChecked(n == view.checkedPort);
  }
  mirroring_ = false;
}

}  // namespace rilo
