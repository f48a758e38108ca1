#include "settings/short_date.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <ctime>
#endif

namespace rilo {

std::string SystemShortDate() {
#if defined(_WIN32)
  char buf[80];
  const int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
#else
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::to_string(local.tm_year + 1900) + "/" + std::to_string(local.tm_mon + 1) + "/" +
         std::to_string(local.tm_mday);
#endif
}

}  // namespace rilo
