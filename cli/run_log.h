// The record of a production run: one CSV line per unit, appended to a file that is
// never rewritten, and flushed as each unit ends, so a crash loses nothing already done.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace rilo {

struct UnitRecord {
  std::string time;  // when the unit ended, UTC: 2026-12-10T03:04:27Z
  std::string port;  // as named on the command line
  std::string device;
  std::string kind;           // "Tx", "Rx" or empty, as identified
  std::string loaderVersion;  // "1.61", or empty
  std::string id, serial, date;
  std::string command;
  bool succeeded = false;
  std::string failure;  // the first failing step or address
  double seconds = 0;
};

class RunLog {
 public:
  // Opens `path` for appending; a new or empty file starts with the column names.
  // False, with the reason in *error, when it cannot be opened.
  bool Open(const std::string &path, std::string *error);
  // Appends the unit's line and hands it to the system at once.
  bool Append(const UnitRecord &unit, std::string *error);

 private:
  struct Closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string path_;
};

// The time now, UTC, as the record writes it.
std::string UtcNow();

}  // namespace rilo
