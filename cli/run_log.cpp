#include "cli/run_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/file_system.h"

namespace rilo {
namespace {

// A field with a comma, a quote or a line break goes in quotes, its quotes doubled.
std::string Field(const std::string &text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string RunLogLine(const UnitRecord &u) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", u.seconds);
  const std::vector<std::string> fields = {u.time,
                                           u.bench,
                                           u.port,
                                           u.device,
                                           u.command,
                                           u.kind,
                                           u.model,
                                           u.loaderVersion,
                                           u.id,
                                           u.serial,
                                           u.date,
                                           u.firmwareFile,
                                           u.firmwareSha256,
                                           u.settingsSha256,
                                           u.succeeded ? "成功" : "失敗",
                                           u.failedStep,
                                           u.failedPage > 0 ? std::to_string(u.failedPage) : "",
                                           u.failedAddress,
                                           u.firstMessage,
                                           seconds};
  std::string line;
  for (const auto &f : fields)
    line += (line.empty() ? "" : ",") + Field(f);
  return line + "\n";
}

bool RunLog::Open(const std::string &path, std::string *error) {
  path_ = path;
  std::error_code reason;
  file_.reset(OpenToAppend(path, &reason));
  if (!file_) {
    *error = "無法寫入記錄檔 " + path + ": " + reason.message();
    return false;
  }
  std::fseek(file_.get(), 0, SEEK_END);
  if (std::ftell(file_.get()) == 0) {
    if (std::fputs(kRunLogColumns, file_.get()) < 0 || std::fflush(file_.get()) != 0) {
      *error = "無法寫入記錄檔 " + path + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

bool RunLog::Append(const UnitRecord &unit, std::string *error) {
  const std::string line = RunLogLine(unit);
  if (std::fwrite(line.data(), 1, line.size(), file_.get()) != line.size() || std::fflush(file_.get()) != 0) {
    *error = "無法寫入記錄檔 " + path_ + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace rilo
