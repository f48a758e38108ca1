// The port menu's "裝置…" (Linux): the serial devices present, the stable by-id names
// with the device each leads to first, for the person to choose which one the checked
// COM name opens from the next start on.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <string>
#include <vector>

#include "link/serial_devices.h"

namespace rilo {

class PortDeviceDialog : public QDialog {
  Q_OBJECT

 public:
  // `port` is the COM name the choice is for; `current` its device now, selected when listed.
  PortDeviceDialog(QWidget *parent, const std::string &port, const std::vector<SerialDevice> &devices,
                   const std::string &current);

  // The device chosen, as it is stored.
  std::string chosen() const;

 private:
  QListWidget *list_;
};

}  // namespace rilo
