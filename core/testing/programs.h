// The build's own programs as tests and benchmarks run them: a scratch folder, a
// program run to its end with its output caught, and rilo-unit-sim running in the
// background on a pseudo-terminal. No GoogleTest here: benchmarks use it too.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#endif

#include "base/program_folder.h"

namespace rilo::testing {

// Byte for byte unless told otherwise: what a program printed is read as text, since
// its lines end in CR LF on Windows.
inline std::string ReadWholeFile(const std::filesystem::path &path,
                                 std::ios::openmode mode = std::ios::binary) {
  std::ifstream in(path, mode);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A fresh folder of its own, removed with everything in it when this object goes.
// Unique per run: several build folders may run the same tests at once.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string &prefix)
      : path_(std::filesystem::temp_directory_path() /
              (prefix + "-" + std::to_string(std::random_device{}()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  const std::filesystem::path &path() const { return path_; }
  std::string Path(const std::string &name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct ProgramResult {
  int exit = -1;  // -1 when the program did not end by itself
  std::string out, err;
};

// Runs `program` from the build's program folder to its end, with `args` as the
// shell reads them (put paths in double quotes) and nothing on standard input. Its
// output passes through files in `scratch`. The program inherits this process's
// environment.
inline ProgramResult RunProgram(const std::string &program, const std::string &args,
                                const ScratchFolder &scratch) {
  const std::string out = scratch.Path("program.stdout"), err = scratch.Path("program.stderr");
#if defined(_WIN32)
  const char *nothing = "NUL";
#else
  const char *nothing = "/dev/null";
#endif
  const std::string command =
      "\"" + ProgramFolder() + program + "\" " + args + " >\"" + out + "\" 2>\"" + err + "\" <" + nothing;
#if defined(_WIN32)
  // cmd.exe drops the first and the last quote of a line that holds more than two.
  int status = std::system(("\"" + command + "\"").c_str());
#else
  int status = std::system(command.c_str());
  status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return {status, ReadWholeFile(out, std::ios::in), ReadWholeFile(err, std::ios::in)};
}

#if !defined(_WIN32)
// rilo-unit-sim running in the background, reached through the symbolic link it makes
// in a folder of its own; stopped and cleaned up when this object goes.
class UnitSimProcess {
 public:
  // Starts the program with `args` plus --link; returns once it has printed its
  // device, so the link is in place. `ok()` tells whether that happened.
  explicit UnitSimProcess(std::vector<std::string> args) {
    char folder[] = "/tmp/rilo-link-XXXXXX";
    if (!mkdtemp(folder)) return;
    folder_ = folder;
    link_ = folder_ + "/unit";
    args.insert(args.end(), {"--link", link_});
    int out[2];
    if (pipe(out) != 0) return;
    const std::string program = ProgramFolder() + "rilo-unit-sim";
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<char *> argv{const_cast<char *>(program.c_str())};
      for (auto &a : args)
        argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    FILE *output = fdopen(out[0], "r");
    char line[256] = {};
    if (pid_ > 0 && output && std::fgets(line, sizeof line, output) != nullptr)
      terminal_ = std::string(line, std::strcspn(line, "\n"));
    if (output) std::fclose(output);
  }
  ~UnitSimProcess() {
    if (pid_ > 0) Stop();
    if (!folder_.empty()) {
      unlink(link_.c_str());
      rmdir(folder_.c_str());
    }
  }
  UnitSimProcess(const UnitSimProcess &) = delete;
  UnitSimProcess &operator=(const UnitSimProcess &) = delete;

  bool ok() const { return !terminal_.empty(); }
  // The symbolic link to the unit's pseudo-terminal.
  const std::string &device() const { return link_; }
  // The pseudo-terminal itself, as the program printed it.
  const std::string &terminal() const { return terminal_; }

  // Ends the program with SIGTERM and answers its exit status.
  int Stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  std::string folder_;
  std::string link_;
  std::string terminal_;
};
#endif

}  // namespace rilo::testing
