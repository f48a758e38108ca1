// The master side of a pseudo-terminal whose slave stands in for a serial port.
#pragma once

#include <string>

namespace rilo::sim {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  PseudoTerminal(const PseudoTerminal &) = delete;
  PseudoTerminal &operator=(const PseudoTerminal &) = delete;
  ~PseudoTerminal();

  // Creates the pair, puts the slave in raw mode and keeps it open, so that a host
  // closing and reopening the port never leaves the master hung up. False with
  // *error when the system refuses.
  bool Open(std::string *error);

  int master() const { return master_; }
  const std::string &device_path() const { return path_; }

  // Readable when a host has closed the slave; call AfterHostClosed() then.
  int closes() const { return closes_; }
  // A host that opened the port for exclusive use leaves that mark on the terminal
  // when it closes it; as the slave stays open here, the mark would refuse the host's
  // next open. Clears it.
  void AfterHostClosed();

 private:
  int master_ = -1;
  int slave_ = -1;
  int closes_ = -1;  // inotify watch of the slave's device node
  std::string path_;
};

}  // namespace rilo::sim
