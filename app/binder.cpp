#include "app/binder.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <algorithm>

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

// Widens the closed list until its widest entry shows whole in the list's own font, and
// its drop-down likewise. A list never narrows again, so the window keeps its size as
// entries come and go.
void FitToEntries(QComboBox &combo) {
  const QFontMetrics metrics = combo.fontMetrics();
  int widest = 0;
  for (int i = 0; i < combo.count(); ++i)
    widest = std::max(widest, metrics.horizontalAdvance(combo.itemText(i)));
  QStyleOptionComboBox option;
  option.initFrom(&combo);
  option.editable = false;
  option.frame = combo.hasFrame();
  // The label is drawn one pixel in from each side of the edit field.
  const QSize text(widest + 2, combo.sizeHint().height());
  const int closed = combo.style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, &combo).width();
  if (closed > combo.minimumWidth()) {
    combo.setMinimumWidth(closed);
    // A layout that measured before keeps the old sizes until the event loop gets round
    // to it: every one between the list and the window measures again now.
    for (QWidget *up = combo.parentWidget(); up && !up->isWindow(); up = up->parentWidget()) {
      up->updateGeometry();
      if (QLayout *layout = up->layout()) layout->activate();
    }
  }

  QAbstractItemView *view = combo.view();
  int popup = view->sizeHintForColumn(0) + 2 * view->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  if (combo.count() > combo.maxVisibleItems()) popup += view->verticalScrollBar()->sizeHint().width();
  view->setMinimumWidth(std::max(view->minimumWidth(), popup));
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
      FitToEntries(*combo);
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
  if (auto *verify = window_->findChild<QAction *>("NVerifyBurn")) verify->setChecked(view.verifyBurn);
  if (auto *fast = window_->findChild<QAction *>("NFastTransfer")) fast->setChecked(view.fastTransfer);
  mirroring_ = false;
}

}  // namespace rilo
