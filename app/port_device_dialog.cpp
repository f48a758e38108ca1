#include "app/port_device_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace rilo {
namespace {

QString Text(const std::string &utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

PortDeviceDialog::PortDeviceDialog(QWidget *parent, const std::string &port,
                                   const std::vector<SerialDevice> &devices, const std::string &current)
    : QDialog(parent), list_(new QListWidget(this)) {
  setObjectName("PortDeviceDialog");
  setWindowTitle(Text(port + " 的裝置"));
  auto *column = new QVBoxLayout(this);
  auto *note = new QLabel(Text(devices.empty() ? "找不到序列埠裝置" : "選擇後於下次開啟程式時使用"), this);
  column->addWidget(note);
  list_->setObjectName("Devices");
  list_->setMinimumWidth(520);
  // The device in use now, even one the list does not hold (a simulated unit's
  // pseudo-terminal), so the person sees what is chosen and can keep it.
  std::vector<SerialDevice> shown = devices;
  if (!current.empty() &&
      std::none_of(shown.begin(), shown.end(), [&](const SerialDevice &d) { return d.path == current; }))
    shown.insert(shown.begin(), SerialDevice{current, ""});
  for (const SerialDevice &device : shown) {
    auto *item = new QListWidgetItem(
        Text(device.target.empty() ? device.path : device.path + " → " + device.target), list_);
    item->setData(Qt::UserRole, Text(device.path));
    if (device.path == current) list_->setCurrentItem(item);
  }
  column->addWidget(list_);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
  ok->setEnabled(list_->currentItem() != nullptr);
  connect(list_, &QListWidget::currentItemChanged, ok, [ok](QListWidgetItem *item) { ok->setEnabled(item); });
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  column->addWidget(buttons);
}

std::string PortDeviceDialog::chosen() const {
  const QListWidgetItem *item = list_->currentItem();
  return item ? item->data(Qt::UserRole).toString().toStdString() : std::string();
}

}  // namespace rilo
