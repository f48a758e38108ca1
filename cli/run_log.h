// The record of a production run: one CSV line per unit, appended to a file that is
// never rewritten, and flushed as each unit ends, so a crash loses nothing already done.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "ledger/unit_record.h"
#include "ledger/utc_time.h"

namespace rilo {

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

}  // namespace rilo
