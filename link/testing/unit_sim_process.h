// rilo-unit-sim running beside the calling program, reached through the symbolic link
// it makes in a temporary folder; stopped and cleaned up when this object goes.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/ventrix_api.h"

namespace rilo::testing {

class UnitSimProcess {
 public:
  // Starts the program with `args` plus --link; returns once it has printed its device,
  // so the link is in place. `ok()` tells whether that happened.
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
    ok_ = pid_ > 0 && output && std::fgets(line, sizeof line, output) != nullptr;
    if (output) std::fclose(output);
  }
  ~UnitSimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (!folder_.empty()) {
      unlink(link_.c_str());
      rmdir(folder_.c_str());
    }
  }
  UnitSimProcess(const UnitSimProcess &) = delete;
  UnitSimProcess &operator=(const UnitSimProcess &) = delete;

  bool ok() const { return ok_; }
  // The symbolic link to the unit's pseudo-terminal.
  const std::string &device() const { return link_; }

 private:
  pid_t pid_ = -1;
  bool ok_ = false;
  std::string folder_;
  std::string link_;
};

}  // namespace rilo::testing
