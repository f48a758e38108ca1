// The Qt implementations of the seams (person, clock), the exception box, Qt's own
// texts in Chinese, and the single-instance guard, in one process and with two real ones.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <stdexcept>

#if !defined(_WIN32)
#include <csignal>
#endif

#include "app/exception_box.h"
#include "app/qt_clock.h"
#include "app/qt_operator.h"
#include "app/qt_translations.h"
#include "app/single_instance.h"
#include "base/testing/stub_port.h"
#include "core/ini_preferences.h"
#include "core/testing/scripted_operator.h"

namespace rilo {
namespace {

TEST(QtOperator, ProgressBeyondTheRangeShowsAFullBar) {
  QWidget window;
  QProgressBar bar(&window);
  QtOperator person(&window, &bar);
  person.SetProgressMax(4);
  person.SetProgress(0);
  person.StepProgress();
  EXPECT_EQ(bar.value(), 1);
  person.SetProgress(500);
  EXPECT_EQ(bar.value(), 4);
  person.SetProgressMax(13);  // a later command's own range shows the same position
  EXPECT_EQ(bar.value(), 13);
}

TEST(QtOperator, BusyLookIsTheHourglassAndATranslucentWindow) {
  QWidget window;
  QProgressBar bar(&window);
  QtOperator person(&window, &bar);
  person.SetBusy(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  EXPECT_NEAR(window.windowOpacity(), 200.0 / 255.0, 0.01);
  person.SetBusy(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);
}

TEST(QtOperator, MessageBoxesCarryTheExactCaptionTextAndIcon) {
  QWidget window;
  QProgressBar bar(&window);
  QtOperator person(&window, &bar);
  struct Seen {
    QString caption, text;
    QMessageBox::Icon icon;
  };
  std::vector<Seen> seen;
  auto answer = [&](QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [&seen, button] {
      auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen.push_back({box->windowTitle(), box->text(), box->icon()});
      box->button(button)->click();
    });
  };
  answer(QMessageBox::Ok);
  person.Message("連線失敗", "連線失敗,請檢查", Icon::Information);
  answer(QMessageBox::Cancel);
  EXPECT_FALSE(person.Ask("機型選擇", "請選擇機型,[確定]=RILO1-Q12  [取消]=RILO1-Q10", Icon::None));
  answer(QMessageBox::Ok);
  EXPECT_TRUE(person.Ask("機型選擇", "?", Icon::None));
  answer(QMessageBox::Ok);
  person.Message("寫入", "寫入設定失敗!!", Icon::Error);

  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].caption, QString::fromUtf8("連線失敗"));
  EXPECT_EQ(seen[0].icon, QMessageBox::Information);
  EXPECT_EQ(seen[1].text, QString::fromUtf8("請選擇機型,[確定]=RILO1-Q12  [取消]=RILO1-Q10"));
  EXPECT_EQ(seen[1].icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen[3].icon, QMessageBox::Critical);
}

TEST(QtClock, PauseKeepsTheWindowAliveForItsWholeLength) {
  QtClock clock;
  bool ran = false;
  QTimer::singleShot(0, [&] { ran = true; });
  const uint32_t start = clock.Tick();
  clock.Pause(30);
  EXPECT_GE(clock.Tick() - start, 30u);
  EXPECT_TRUE(ran);
}

TEST(QtClock, WaitForBytesEndsWhenTheyArriveOrAtTheDeadline) {
  QtClock clock;
  testing::StubPort port;  // its bytes arrive when the test says so
  QTimer::singleShot(20, [&] { port.waiting = 3; });
  uint32_t start = clock.Tick();
  clock.WaitForBytes(port, 3, kByteMicros, 60000);
  EXPECT_EQ(port.waiting, 3u);
  EXPECT_LT(clock.Tick() - start, 30000u);  // long before the deadline, however loaded the machine

  port.waiting = 1;
  start = clock.Tick();
  clock.WaitForBytes(port, 3, kByteMicros, 40);
  EXPECT_GE(clock.Tick() - start, 40u);
}

TEST(ExceptionBox, ShowsWhatEscapesAHandlerAndGoesOn) {
  testing::ScriptedOperator person;
  EXPECT_TRUE(RunGuarded(person, [] {}));
  EXPECT_FALSE(RunGuarded(person, [] { throw std::runtime_error("無法寫入設定檔"); }));
  EXPECT_FALSE(RunGuarded(person, [] { throw 42; }));
  EXPECT_EQ(person.shown,
            (std::vector<testing::ShownMessage>{{"RILO1Q12", "無法寫入設定檔", Icon::Error, false},
                                                {"RILO1Q12", "", Icon::Error, false}}));
}

TEST(QtTranslations, MessageBoxButtonsReadInTraditionalChinese) {
  QTranslator translator;
  ASSERT_TRUE(LoadQtTranslations(translator));
  QCoreApplication::installTranslator(&translator);
  QMessageBox box(QMessageBox::Question, "c", "t", QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QString::fromUtf8("確定"));
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8("取消"));
  QCoreApplication::removeTranslator(&translator);
}

#if !defined(_WIN32)
TEST(SingleInstance, SecondStartBringsTheRunningWindowToTheFront) {
  QTemporaryDir folder;
  SingleInstance running(folder.path());
  ASSERT_TRUE(running.acquired());
  QWidget window;
  window.showMinimized();
  running.Serve(window);

  SingleInstance second(folder.path());
  EXPECT_FALSE(second.acquired());
  second.BringRunningCopyForward();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized() && window.isActiveWindow(); }, 10000));
}

TEST(SingleInstance, SecondStartWhileTheFirstIsNotYetServingAsksNobody) {
  QTemporaryDir folder;
  SingleInstance running(folder.path());
  SingleInstance second(folder.path());
  EXPECT_FALSE(second.acquired());
  second.BringRunningCopyForward();  // no socket yet: nothing to wait for
}

// Starts the real program with its own runtime and configuration folders.
class ProgramTest : public ::testing::Test {
 protected:
  QTemporaryDir folder;

  void Start(QProcess &process) {
    // COM1 names no device here, so the copies never touch a real port.
    IniPreferences(folder.filePath("RILO1Q12/preferences.ini").toStdString())
        .WriteString("PortDevice.COM1", folder.filePath("no-port").toStdString());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", folder.path());
    env.insert("XDG_CONFIG_HOME", folder.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder.path());
    process.start(QCoreApplication::applicationDirPath() + "/RILO1Q12", {});
    ASSERT_TRUE(process.waitForStarted());
  }
  // The lock file names the copy that holds it first.
  bool WaitForLockHeldBy(qint64 pid) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20000) {
      QFile lock(folder.filePath("RILO1Q12.lock"));
      if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed().toLongLong() == pid) return true;
      QThread::msleep(20);
    }
    return false;
  }
};

TEST_F(ProgramTest, SecondCopyEndsAtOnceWithCodeZeroAndACrashedCopyBlocksNothing) {
  QProcess first;
  Start(first);
  ASSERT_TRUE(WaitForLockHeldBy(first.processId()));

  QProcess second;
  Start(second);
  ASSERT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);

  // Killed without a chance to clean up, the first copy leaves its lock file behind.
  ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
  first.waitForFinished();
  QProcess third;
  Start(third);
  EXPECT_TRUE(WaitForLockHeldBy(third.processId()));
  EXPECT_EQ(third.state(), QProcess::Running);
  third.kill();
  third.waitForFinished();
}
#endif

}  // namespace
}  // namespace rilo
