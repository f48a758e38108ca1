// rilo-screenshot: saves what an X display shows, cropped to the windows on it, once the
// picture has stood still. The run script uses it to show the main window on a machine
// without a screen (Xvfb with a black root window).
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>

namespace {

// The smallest rectangle holding every pixel that is not the root window's black.
QRect Painted(const QImage &image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qGray(line[x]) > 0) box |= QRect(x, y, 1, 1);
  }
  return box;
}

}  // namespace

int main(int argc, char *argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: rilo-screenshot OUT.png\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  QImage previous;
  // Up to 30 s for a window to appear and its picture to stay the same for half a
  // second, taken no sooner than 2.5 s after the start so the status-bar clock has ticked.
  QThread::msleep(2000);
  for (int tries = 0; tries < 60; ++tries) {
    QThread::msleep(500);
    const QImage shot =
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    const QRect box = Painted(shot);
    if (!box.isEmpty() && shot == previous) {
      if (!shot.copy(box).save(QString::fromLocal8Bit(argv[1]))) return 1;
      std::printf("%s\n", argv[1]);
      return 0;
    }
    previous = shot;
  }
  std::fprintf(stderr, "rilo-screenshot: nothing appeared on the display\n");
  return 1;
}
