#include "app/password_form.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "app/exception_box.h"

namespace rilo {

TPasswordForm::TPasswordForm(QWidget *parent, Operator &person,
                             std::function<bool(const std::string &)> confirm)
    : QDialog(parent), person_(person), confirm_(std::move(confirm)) {
  setObjectName("PasswordForm");
  setWindowTitle("Password Dialog");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(270, 84);

  auto *image = new QLabel(this);
  image->setObjectName("Image1");
  image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  image->setScaledContents(true);
  image->setGeometry(8, 8, 41, 38);

  auto *label = new QLabel(QString::fromUtf8("請輸入密碼........"), this);
  label->setObjectName("LabelPassword");
  label->setGeometry(60, 4, 200, 20);

  password_ = new QLineEdit(this);
  password_->setObjectName("EPassword");
  password_->setMaxLength(30);
  password_->setEchoMode(QLineEdit::Password);
  password_->setStyleSheet("lineedit-password-character: 42;");  // every character shown as "*"
  password_->setGeometry(60, 26, 200, 24);

  auto *cancel = new QPushButton(QString::fromUtf8("取消"), this);
  cancel->setObjectName("BPasswordCancel");
  cancel->setGeometry(100, 54, 75, 26);
  connect(cancel, &QPushButton::clicked, this, &TPasswordForm::BPasswordCancelClick);

  auto *ok = new QPushButton(QString::fromUtf8("確認"), this);
  ok->setObjectName("BPasswordOK");
  ok->setDefault(true);
  ok->setGeometry(185, 54, 75, 26);
  connect(ok, &QPushButton::clicked, this, &TPasswordForm::BPasswordOKClick);
}

void TPasswordForm::BPasswordOKClick() {
  bool quit = false;
  RunGuarded(person_, [&] { quit = confirm_(password_->text().toStdString()); });
  // A wrong code keeps the dialog open with the typed text, for another try.
  if (quit) accept();
}

void TPasswordForm::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  if (QScreen *screen = QGuiApplication::primaryScreen()) {
    QRect place = frameGeometry();
    place.moveCenter(screen->availableGeometry().center());
    move(place.topLeft());
  }
}

}  // namespace rilo
