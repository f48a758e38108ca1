// One QApplication for every window test in the program, made before the first test
// and kept to the end. The tests run on the offscreen platform, given two screens side
// by side as a desk might have them (the platform's own is one small square).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace {

constexpr const char kScreens[] = R"({"screens": [
  {"name": "primary", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
  {"name": "second", "x": 1280, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
]})";

class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override {
    // The windows keep their ledger in a folder of the run's own, not the user's.
    if (ledgerFolder_.isValid()) qputenv("XDG_DATA_HOME", ledgerFolder_.path().toLocal8Bit());
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screens_.open()) {
      screens_.write(kScreens);
      screens_.flush();
      platform_ = "offscreen:configfile=" + screens_.fileName().toLocal8Bit();
      argv_[argc_++] = platformFlag_;
      argv_[argc_++] = platform_.data();
    }
    app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override { delete app_; }

 private:
  QTemporaryFile screens_;
  QTemporaryDir ledgerFolder_;
  QByteArray platform_;
  int argc_ = 1;
  char name_[12] = "app_test";
  char platformFlag_[10] = "-platform";
  char *argv_[4] = {name_, nullptr, nullptr, nullptr};
  QApplication *app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment *const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
