// The programs in the background of a test over pseudo-terminals: rilo-cli as a bench
// script starts it (for a command cut short, or one that holds a port while another
// is tried on it), and rilo-unit-sim whose memory the test watches.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "base/program_folder.h"
#include "core/testing/programs.h"

namespace rilo::testing {

// rilo-cli started in the background as a bench script starts it: output into files,
// nothing on standard input. Killed when this object goes, if it is still running.
class BackgroundCli {
 public:
  BackgroundCli(const testing::ScratchFolder &scratch, const std::string &name, const std::string &args)
      : err_(scratch.Path(name + ".stderr")) {
    const std::string command = "exec \"" + ProgramFolder() + "rilo-cli\" " + args + " >\"" +
                                scratch.Path(name + ".stdout") + "\" 2>\"" + err_ + "\" </dev/null";
    pid_ = fork();
    if (pid_ == 0) {
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
      _exit(127);
    }
  }
  ~BackgroundCli() {
    if (Running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  BackgroundCli(const BackgroundCli &) = delete;
  BackgroundCli &operator=(const BackgroundCli &) = delete;

  bool Running() {
    int status = 0;
    if (pid_ <= 0 || ended_) return false;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    ended_ = true;
    exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
  }
  void Signal(int signal) {
    if (Running()) kill(pid_, signal);
  }
  // The exit status once it ended (128 + the signal that ended it), or -1 when it was
  // still running after `most`: then it is killed.
  int Wait(std::chrono::steady_clock::duration most) {
    const auto deadline = std::chrono::steady_clock::now() + most;
    while (Running() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!Running()) return exit_;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    ended_ = true;
    return -1;
  }
  std::string Err() const { return ReadWholeFile(err_, std::ios::in); }
  pid_t pid() const { return pid_; }

 private:
  std::string err_;
  pid_t pid_ = -1;
  bool ended_ = false;
  int exit_ = -1;
};

inline constexpr size_t kFlashStart = 0x1000;

// rilo-unit-sim whose memory the test reads from its --memory-file.
class WatchedUnit {
 public:
  WatchedUnit(const testing::ScratchFolder &scratch, const std::string &name, std::vector<std::string> args)
      : file_(scratch.Path(name + ".memory")), sim_(WithFile(std::move(args), file_)) {}

  bool ok() const { return sim_.ok(); }
  const std::string &device() const { return sim_.device(); }
  std::vector<uint8_t> All() const {
    const std::string bytes = ReadWholeFile(file_);
    return {bytes.begin(), bytes.end()};
  }
  // Everything from the information memory up.
  std::vector<uint8_t> Flash() const {
    std::vector<uint8_t> all = All();
    all.erase(all.begin(), all.begin() + std::min<size_t>(kFlashStart, all.size()));
    return all;
  }

 private:
  static std::vector<std::string> WithFile(std::vector<std::string> args, const std::string &file) {
    args.insert(args.end(), {"--memory-file", file});
    return args;
  }
  std::string file_;
  testing::UnitSimProcess sim_;
};

}  // namespace rilo::testing
