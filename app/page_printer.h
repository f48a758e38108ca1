// Printing the settings: the function-settings page in the upper half of one sheet and
// the customer page below it, each a picture of the window's client area.
#pragma once

#include <QMainWindow>
#include <QPrinter>
#include <QRect>
#include <QTabWidget>

#include "core/operator.h"

namespace rilo {

// The print dialog: chooses and sets up the printer; false when the person cancels.
class PrinterChooser {
 public:
  virtual ~PrinterChooser() = default;
  virtual bool Choose(QPrinter &printer) = 0;
};

// The platform's print dialog (it offers printing to a PDF file where no printer is set up).
class PrintDialogChooser : public PrinterChooser {
 public:
  explicit PrintDialogChooser(QWidget *parent) : parent_(parent) {}
  bool Choose(QPrinter &printer) override;

 private:
  QWidget *parent_;
};

// Where the two pictures go on a printable area of the given size (printer pixels):
// they meet at half the height less 100, and a band of 100 (101 for an odd height)
// stays empty at the bottom.
struct PrintRects {
  QRect upper;
  QRect lower;
};
PrintRects PrintLayout(int pageWidth, int pageHeight);

// The print command: dialog, both pages onto one sheet, the completion message. The
// page shown before is shown again afterwards.
void PrintPages(QMainWindow &window, QTabWidget &pages, PrinterChooser &chooser, Operator &person);

}  // namespace rilo
