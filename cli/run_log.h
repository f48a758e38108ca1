// The record of a production run: one CSV line per unit, appended to a file that is
// never rewritten, and flushed as each unit ends, so a crash loses nothing already done.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "ledger/unit_record.h"
#include "ledger/utc_time.h"

namespace rilo {

// The record's column names and one unit's line, each ending in a line break: the
// file's own and those that show the ledger as such a record.
inline constexpr const char *kRunLogColumns =
    "時間 (UTC),工作站,通信埠,裝置,指令,機種,機型,載入程式版本,ID-CODE,機器序號,出廠日期,韌體檔,韌體 SHA-256,"
    "設定 SHA-256,結果,失敗步驟,失敗頁,失敗位址,訊息,秒數\n";
std::string RunLogLine(const UnitRecord &unit);

class RunLog {
 public:
  // Opens `path` for appending; a new or empty file starts with the column names.
  // False, with the reason in *error, when it cannot be opened or is not a regular file.
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
