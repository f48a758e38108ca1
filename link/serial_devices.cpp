#include "link/serial_devices.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

namespace rilo {
namespace {

namespace fs = std::filesystem;

// The number after a kernel name's prefix ("ttyUSB10" → 10), or -1 for another name.
long NumberAfter(std::string_view name, std::string_view prefix) {
  if (!name.starts_with(prefix) || name.size() == prefix.size()) return -1;
  long n = 0;
  for (const char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9' || n > 100000) return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

std::vector<SerialDevice> ListSerialDevices(const std::string &dev) {
  std::vector<SerialDevice> devices;
  std::error_code error;

  std::vector<SerialDevice> stable;
  for (fs::directory_iterator it(fs::path(dev) / "serial" / "by-id", error), end; !error && it != end;
       it.increment(error)) {
    // A link that leads nowhere names no device the tool could open.
    const fs::path target = fs::canonical(it->path(), error);
    if (error) {
      error.clear();
      continue;
    }
    stable.push_back({it->path().string(), target.string()});
  }
  std::sort(stable.begin(), stable.end(),
            [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
  devices.insert(devices.end(), stable.begin(), stable.end());

  error.clear();
  std::vector<std::pair<long, std::string>> kernel[3];
  constexpr std::string_view kPrefixes[3] = {"ttyS", "ttyUSB", "ttyACM"};
  for (fs::directory_iterator it(dev, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    for (int k = 0; k < 3; ++k)
      if (const long n = NumberAfter(name, kPrefixes[k]); n >= 0)
        kernel[k].emplace_back(n, it->path().string());
  }
  for (auto &kind : kernel) {
    std::sort(kind.begin(), kind.end());
    for (auto &[n, path] : kind)
      devices.push_back({std::move(path), ""});
  }
  return devices;
}

}  // namespace rilo
