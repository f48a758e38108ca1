// rilo-cli and rilo-unit-sim given what a user gives by mistake, or what someone plants:
// a pipe, a folder or a device where a file belongs, links beside the files they
// write, a device name no store can hold. Each is refused at once, saying what it is,
// or written around; nothing is written, nothing is waited on, no other file changes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/program_folder.h"
#include "core/file_system.h"
#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "firmware/firmware_image.h"
#include "sim/unit_config.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;

using testing::ReadWholeFile;

// Far longer than a refusal takes, and than a read of one unit's settings.
constexpr std::chrono::seconds kPatience{20};

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
    setenv("XDG_DATA_HOME", Path("data").c_str(), 1);
    std::ofstream(victim_) << "the victim's own";
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
  }

  std::string Path(const std::string &name) const { return scratch_.Path(name); }
  std::string PreferenceFile() const { return Path("config/RILO1Q12/preferences.ini"); }

  // rilo-cli run with `args` word for word (no shell between: some hold line breaks),
  // its output caught. One that waits on a pipe would hang the test: it is killed once
  // past all patience, and answers -1.
  testing::ProgramResult Run(std::vector<std::string> args) const {
    const std::string program = ProgramFolder() + "rilo-cli", out = Path("stdout"), err = Path("stderr");
    args.insert(args.begin(), program);
    std::vector<char *> argv;
    for (std::string &a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
      const int in = open("/dev/null", O_RDONLY);
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(in, STDIN_FILENO);
      dup2(o, STDOUT_FILENO);
      dup2(e, STDERR_FILENO);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(out, std::ios::in),
            ReadWholeFile(err, std::ios::in)};
  }

  void ExpectVictimUntouched() const {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(victim_)));
    EXPECT_EQ(ReadWholeFile(victim_), "the victim's own");
  }
  // Links to the victim at `names`, as someone with write access to the folder leaves them.
  void PlantLinks(const std::vector<std::string> &names) const {
    for (const std::string &name : names)
      fs::create_symlink(victim_, name);
  }
  void ExpectLinksStillLinks(const std::vector<std::string> &names) const {
    for (const std::string &name : names)
      EXPECT_EQ(fs::read_symlink(name), victim_) << name;
  }

  // A unit's settings file, as a read saves it.
  std::string SettingsFile(const std::string &name) const {
    SettingsImage image{};
    const auto settings = sim::StandardSettings();
    std::copy(settings.begin(), settings.end(), image.begin());
    std::ofstream(Path(name), std::ios::binary) << JoinCrLf(SettingsFileLines(image, CustomerRecord{}));
    return Path(name);
  }

  // A transmitter's firmware text file: every page in place, the reset vector at 0xF000.
  std::string TransmitterFirmwareFile(const std::string &name) const {
    auto image = std::make_unique<FirmwareImage>();
    ResetImage(*image);
    for (int i = 0; i < 32; ++i)
      SetPageHeader((*image)[i], static_cast<uint16_t>(0xF000 + 128 * i));
    VectorTable vectors{};
    vectors[31] = 0xF0;
    std::ofstream(Path(name), std::ios::binary)
        << JoinCrLf(FirmwareTextFileLines(vectors, SettingsImage{}, *image));
    return Path(name);
  }

  testing::ScratchFolder scratch_{"rilo-cli-bad-input"};
  const std::string victim_ = Path("victim");
};

// Each kind of path that is no regular file, wherever a command reads or writes a
// file: refused at once, named as what it is, and left as it was.
TEST_F(BadInput, APipeAFolderOrADeviceIsRefusedSayingWhatItIs) {
  const std::string good = SettingsFile("good.rilo");
  struct Kind {
    std::string path;
    std::error_code reason;
    fs::file_type type;
  };
  const Kind kinds[] = {
      {Path("pipe.txt"), NotRegular::Pipe, fs::file_type::fifo},
      {Path("folder.txt"), NotRegular::Folder, fs::file_type::directory},
      {Path("device.txt"), NotRegular::Device, fs::file_type::character},  // a link to /dev/zero
  };
  ASSERT_EQ(mkfifo(kinds[0].path.c_str(), 0600), 0);
  fs::create_directory(kinds[1].path);
  fs::create_symlink("/dev/zero", kinds[2].path);

  struct Case {
    std::vector<std::string> args;  // "IN" stands for the kind's path
    std::string said;               // before "IN: reason"
    bool writes = false;            // IN is written: a link to a device is replaced, not refused
  };
  const std::string out = Path("out");
  const Case cases[] = {
      {{"show", "IN"}, "無法讀取檔案 "},
      {{"show", "--raw", "IN"}, "無法讀取檔案 "},
      {{"set", "IN", "CBUDAction=1", "-o", out}, "無法讀取檔案 "},
      {{"set", "--raw", "IN", "CBUDAction=1", "-o", out}, "無法讀取檔案 "},
      {{"write", "/dev/nonexistent", "IN"}, "無法讀取檔案 "},
      {{"convert", "IN", "IN", "-o", out}, "無法讀取檔案 "},
      {{"convert", "IN", "--tx", "-o", out}, "無法讀取檔案 "},
      {{"write-firmware", "/dev/nonexistent", "IN", "--tx"}, "無法讀取檔案 "},
      {{"read", "/dev/nonexistent", "-o", out, "--log", "IN"}, "無法寫入記錄檔 "},
      {{"read-firmware", "/dev/nonexistent", "--rx", "-o", out, "--log", "IN"}, "無法寫入記錄檔 "},
      {{"set", good, "-o", "IN"}, "無法寫入檔案 ", true},
  };
  for (const Kind &k : kinds) {
    for (const Case &c : cases) {
      if (c.writes && k.type == fs::file_type::character) continue;
      std::vector<std::string> args = c.args;
      std::replace(args.begin(), args.end(), std::string("IN"), k.path);
      SCOPED_TRACE(args[0] + " " + k.path + " (" + k.reason.message() + ")");
      const auto r = Run(args);
      EXPECT_EQ(r.exit, 1);
      EXPECT_EQ(r.err, c.said + k.path + ": " + k.reason.message() + "\n");
      EXPECT_FALSE(fs::exists(out));
      EXPECT_EQ(fs::status(k.path).type(), k.type);
    }
  }
  EXPECT_EQ(fs::read_symlink(kinds[2].path), "/dev/zero");
  EXPECT_EQ(std::distance(fs::directory_iterator(kinds[1].path), fs::directory_iterator{}), 0);
}

// The preference file is read by every command that opens a port; a pipe in its place
// must hold none of them up, and the port command, whose job it is, says what is wrong.
TEST_F(BadInput, APreferenceFileThatIsNoFileIsRefusedOrPassedWithoutWaiting) {
  fs::create_directories(Path("config/RILO1Q12"));
  struct Kind {
    std::error_code reason;
    fs::file_type type;
  } kinds[] = {{NotRegular::Pipe, fs::file_type::fifo}, {NotRegular::Folder, fs::file_type::directory}};
  for (const Kind &k : kinds) {
    SCOPED_TRACE(k.reason.message());
    fs::remove_all(PreferenceFile());
    if (k.type == fs::file_type::fifo)
      ASSERT_EQ(mkfifo(PreferenceFile().c_str(), 0600), 0);
    else
      fs::create_directory(PreferenceFile());
    const std::string said = "無法讀取設定檔 " + PreferenceFile() + ": " + k.reason.message() + "\n";
    // Commands that take a device or a ledger from the store refuse rather than go on
    // with the defaults (another device, another ledger).
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{"port"},
                                               {"port", "COM7"},
                                               {"port", "COM7", "/dev/ttyUSB7"},
                                               {"read", "/dev/nonexistent", "-o", Path("out.rilo")},
                                               {"ledger", "list"}}) {
      SCOPED_TRACE(args[0] + " " + std::to_string(args.size()));
      const auto r = Run(args);
      EXPECT_EQ(r.exit, 1);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, said);
    }
    EXPECT_FALSE(fs::exists(Path("out.rilo")));
    EXPECT_EQ(fs::status(PreferenceFile()).type(), k.type);
    EXPECT_EQ(fs::directory_iterator(Path("config/RILO1Q12"))->path(), PreferenceFile()) << "nothing beside";
  }
}

// A device name with a line break would be stored but never read back as it was given;
// it is refused, and what was stored stays.
TEST_F(BadInput, ADeviceNameWithAControlCharacterIsRefusedAndNothingStored) {
  ASSERT_EQ(Run({"port", "COM7", "/dev/ttyUSB1"}).exit, 0);
  const std::string before = ReadWholeFile(PreferenceFile());
  for (const char *device :
       {"/dev/tty\nS0", "/dev/tty\rS0", "/dev/\tttyS0", "/dev/\x1b[2JttyS0", "/dev/ttyS0\x7f"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(device)));
    const auto r = Run({"port", "COM7", device});
    EXPECT_EQ(r.exit, 2);
    EXPECT_EQ(r.err, "裝置路徑不能含有換行等控制字元\n");
    EXPECT_EQ(ReadWholeFile(PreferenceFile()), before);
  }
  const auto r = Run({"port", "COM7"});
  EXPECT_EQ(r.out, "/dev/ttyUSB1\n");
}

// The preference file is replaced whole through a name of its own, so links planted
// beside it under the names such a temporary could have are never written through.
TEST_F(BadInput, LinksPlantedBesideThePreferenceFileAreNotFollowed) {
  fs::create_directories(Path("config/RILO1Q12"));
  std::vector<std::string> planted;
  for (const char *suffix : {".new", ".tmp", ".saving", ".partial", "~"})
    planted.push_back(PreferenceFile() + suffix);
  PlantLinks(planted);
  ASSERT_EQ(Run({"port", "COM7", "/dev/ttyUSB7"}).exit, 0);
  ExpectVictimUntouched();
  ExpectLinksStillLinks(planted);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(PreferenceFile())));
  EXPECT_EQ(Run({"port", "COM7"}).out, "/dev/ttyUSB7\n");
}

// write-firmware reads its file before it opens any port: a file that cannot be burned
// is named as such, not taken for a unit that did not answer.
TEST_F(BadInput, WriteFirmwareChecksItsFileBeforeThePort) {
  std::ofstream(Path("hello.txt")) << "hello\n";
  std::ofstream(Path("empty.dat"));
  const std::string good = TransmitterFirmwareFile("tx.txt");
  const struct {
    std::string file, kind, said;
  } cases[] = {
      {Path("missing.txt"), "--tx",
       "無法讀取檔案 " + Path("missing.txt") + ": " +
           std::make_error_code(std::errc::no_such_file_or_directory).message() + "\n"},
      {Path("hello.txt"), "--tx", Path("hello.txt") + ": 不是韌體文字檔 (.txt)\n"},
      {Path("empty.dat"), "--rx", Path("empty.dat") + ": 不是韌體資料檔 (.dat)\n"},
      {SettingsFile("settings.txt"), "--tx", Path("settings.txt") + ": 不是韌體文字檔 (.txt)\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.file);
    const auto r = Run({"write-firmware", "/dev/nonexistent", c.file, c.kind, "--log", Path("run.csv")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, c.said);
    EXPECT_FALSE(fs::exists(Path("run.csv")));
  }
  const auto r = Run({"write-firmware", "/dev/nonexistent", good, "--tx"});
  EXPECT_EQ(r.exit, 1);
  EXPECT_NE(r.err.find("連線失敗"), std::string::npos) << r.err;
}

// A read saves its file through a name of its own too: links planted under the names
// a temporary could have are left alone, and the file is a file of its own.
TEST_F(BadInput, LinksPlantedBesideTheSavedFileAreNotFollowed) {
  testing::UnitSimProcess unit({"--role", "rx"});
  ASSERT_TRUE(unit.ok());
  const std::string saved = Path("unit.rilo");
  const std::vector<std::string> planted = {saved + ".partial", saved + ".saving", saved + ".new"};
  PlantLinks(planted);
  const auto r = Run({"read", unit.device(), "-o", saved});
  ASSERT_EQ(r.exit, 0) << r.err;
  ExpectVictimUntouched();
  ExpectLinksStillLinks(planted);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(saved)));
  EXPECT_TRUE(ReadWholeFile(saved).starts_with("Setup\r\n"));
}

// The simulator replaces its memory file whole too, through a name of its own.
TEST_F(BadInput, LinksPlantedBesideTheSimulatorsMemoryFileAreNotFollowed) {
  const std::string memory = Path("memory.bin");
  const std::vector<std::string> planted = {memory + ".new", memory + ".tmp"};
  PlantLinks(planted);
  testing::UnitSimProcess unit({"--role", "rx", "--memory-file", memory});
  ASSERT_TRUE(unit.ok());
  ExpectVictimUntouched();
  ExpectLinksStillLinks(planted);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(memory)));
  EXPECT_EQ(fs::file_size(memory), 65536u);
}

}  // namespace
}  // namespace rilo
