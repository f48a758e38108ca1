// Mirrors the customer record into the customer page and feeds the person's typing
// back into it. Memos show their lines; the record keeps them joined by CR LF, as the
// settings file has them.
#pragma once

#include <QObject>
#include <QWidget>

#include "files/customer_record.h"

namespace rilo {

class CustomerBinder : public QObject {
  Q_OBJECT

 public:
  CustomerBinder(QWidget *window, CustomerRecord &record);

  void Mirror();

 private:
  QWidget *window_;
  CustomerRecord &record_;
  bool mirroring_ = false;  // changes made by the mirror are not the person's
};

}  // namespace rilo
