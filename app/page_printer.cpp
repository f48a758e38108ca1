#include "app/page_printer.h"

#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <stdexcept>

namespace rilo {
namespace {

// The window's client image from its top left corner, as wide as the window and 40
// pixels less high than it; the menu bar lies outside the client area.
QPixmap ClientPicture(QMainWindow &window) {
  const QRect frame = window.frameGeometry();
  const QSize size(frame.width(), frame.height() - 40);
  const int top = window.menuBar()->isVisible() ? window.menuBar()->height() : 0;
  QPixmap picture(size);
  picture.fill(window.palette().color(QPalette::Window));
  QPainter painter(&picture);
  painter.drawPixmap(0, 0, window.grab(QRect(QPoint(0, top), size)));
  return picture;
}

}  // namespace

bool PrintDialogChooser::Choose(QPrinter &printer) {
  QPrintDialog dialog(&printer, parent_);
  dialog.setObjectName("PrintDialog");
  return dialog.exec() == QDialog::Accepted;
}

PrintRects PrintLayout(int pageWidth, int pageHeight) {
  const int h = pageHeight / 2;
  const int w = pageWidth / 2;
  // Printer rectangles as left, top, right, bottom: (0, 0, 2w, h-100) and (0, h-100, 2w, 2h-100).
  return {QRect(QPoint(0, 0), QPoint(2 * w - 1, h - 100 - 1)),
          QRect(QPoint(0, h - 100), QPoint(2 * w - 1, 2 * h - 100 - 1))};
}

void PrintPages(QMainWindow &window, QTabWidget &pages, PrinterChooser &chooser, Operator &person) {
  QPrinter printer(QPrinter::HighResolution);
  if (!chooser.Choose(printer)) return;

  // The pages are switched only to be pictured: the person gets back the page shown
  // before, whatever became of the print job.
  struct PageKept {
    QTabWidget &pages;
    QWidget *shown = pages.currentWidget();
    ~PageKept() { pages.setCurrentWidget(shown); }
  } kept{pages};

  pages.setCurrentIndex(0);
  QPainter painter;
  if (!painter.begin(&printer)) throw std::runtime_error("The printer could not start the print job.");
  const PrintRects rects = PrintLayout(printer.width(), printer.height());
  painter.drawPixmap(rects.upper, ClientPicture(window));
  pages.setCurrentIndex(1);
  painter.drawPixmap(rects.lower, ClientPicture(window));
  if (!painter.end()) throw std::runtime_error("The printer could not finish the print job.");

  person.Message("列印", "頁面列印完成!!", Icon::Information);
}

}  // namespace rilo
