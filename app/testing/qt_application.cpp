// One QApplication for every window test in the program, made before the first test
// and kept to the end. The tests run on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtApplication : public ::testing::Environment {
 public:
  void SetUp() override { app_ = new QApplication(argc_, argv_); }
  void TearDown() override { delete app_; }

 private:
  int argc_ = 1;
  char name_[12] = "app_test";
  char *argv_[2] = {name_, nullptr};
  QApplication *app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment *const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

}  // namespace
