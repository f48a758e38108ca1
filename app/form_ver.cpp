#include "app/form_ver.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextStream>
#include <stdexcept>
#include <utility>

#include "app/exception_box.h"

namespace rilo {
namespace {

QLabel *Styled(QWidget *parent, const char *name, const QString &text, int pixels, const QString &color,
               bool underline) {
  auto *label = new QLabel(text, parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setPixelSize(pixels);
  font.setBold(true);
  font.setUnderline(underline);
  label->setFont(font);
  if (!color.isEmpty()) label->setStyleSheet("color: " + color + ";");
  label->adjustSize();
  return label;
}

}  // namespace

TFormVer::TFormVer(QWidget *parent, const FeatureFlags &flags, Operator &person, QString history)
    : QDialog(parent), flags_(flags), person_(person), historyPath_(std::move(history)) {
  setObjectName("FormVer");
  setWindowTitle("Rilo Q10,Q12 PC Setting Software");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(371, kCollapsedHeight);

  auto *logo = new QLabel(this);
  logo->setObjectName("ImageLogo");
  logo->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
  logo->setGeometry(8, 8, 32, 32);
  Styled(this, "LabelLogo1", "Rilo", 32, {}, false)->move(52, 2);
  Styled(this, "LabelLogo2", "Ostrel Electronic", 19, {}, false)->move(52, 42);
  Styled(this, "LabelVer", QString::fromUtf8("Version：" RILO_VERSION), 16, "navy", true)->move(52, 70);

  auto *ok = new QPushButton("OK", this);
  ok->setObjectName("BLogoOK");
  ok->setGeometry(284, 8, 75, 28);
  connect(ok, &QPushButton::clicked, this, &TFormVer::BLogoOKClick);

  link_ = new ClickableLabel(this);
  link_->setObjectName("LabelLogo3");
  link_->setText("Version Informatiol");
  QFont font = link_->font();
  font.setBold(true);
  font.setUnderline(true);
  link_->setFont(font);
  link_->setStyleSheet("color: maroon;");
  link_->setCursor(Qt::PointingHandCursor);
  link_->adjustSize();
  link_->move(8, 104);
  link_->hide();
  connect(link_, &ClickableLabel::clicked, this,
          [this] { RunGuarded(person_, [this] { LabelLogo3Click(); }); });

  history_ = new QPlainTextEdit(this);
  history_->setObjectName("MVerInfo");
  history_->setReadOnly(true);
  history_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  history_->setFont(QFont(QString::fromUtf8("新細明體")));
  history_->setGeometry(5, 128, 361, 201);
}

void TFormVer::SetHeight(int height) {
  setFixedSize(width(), height);
  // Folded away, the history must not peep in below the link.
  history_->setVisible(height == kExpandedHeight);
}

void TFormVer::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  link_->setVisible(flags_.Factory == 1);
  SetHeight(kCollapsedHeight);
  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect place = frameGeometry();
    place.moveCenter(screen->availableGeometry().center());
    move(place.topLeft());
  }
}

void TFormVer::LabelLogo3Click() {
  if (height() == kExpandedHeight) {
    SetHeight(kCollapsedHeight);
    return;
  }
  SetHeight(kExpandedHeight);
  history_->clear();
  QFile file(historyPath_);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    throw std::runtime_error("Cannot open file \"" + QDir::toNativeSeparators(historyPath_).toStdString() +
                             "\".");
  QTextStream in(&file);
  while (!in.atEnd())
    history_->appendPlainText(in.readLine());
  history_->moveCursor(QTextCursor::Start);
}

}  // namespace rilo
