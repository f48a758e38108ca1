// port: which device stands behind a COM name on systems that have no COM ports. The
// window opens "COMn" through this mapping; it is kept in the window's own store.
#include <exception>
#include <iostream>

#include "cli/commands.h"
#include "cli/session_preferences.h"
#include "core/ini_preferences.h"
#include "link/port_names.h"

namespace rilo {
namespace {

bool IsComName(const std::string &name) {
  for (int n = 1; n <= 16; ++n)
    if (name == "COM" + std::to_string(n)) return true;
  return false;
}

}  // namespace

int RunPort(const Arguments &args, const VentrixApi &) {
  if (args.size() > 2 || (!args.empty() && !IsComName(args[0]))) {
    std::cerr << "用法: rilo-cli port [COMn [DEVICE]] (n 為 1 到 16)\n";
    return kExitUsage;
  }
  if (args.size() == 2 && !IsStorableDevicePath(args[1])) {
    std::cerr << "裝置路徑不能含有換行等控制字元\n";
    return kExitUsage;
  }
#if defined(_WIN32)
  if (!args.empty()) {
    std::cerr << "Windows 直接開啟 " << args[0] << ",不需要設定裝置\n";
    return kExitFailed;
  }
#endif
  // A store that is there but cannot be read would show defaults it does not hold.
  std::string error;
  const auto stored = OpenReadablePreferenceStore(&error);
  if (!stored) {
    std::cerr << error << "\n";
    return kExitFailed;
  }
  if (args.empty()) {
    std::cout << StoredPortName(*stored) << "\n";
    return kExitOk;
  }
  const std::string key = PortDeviceKey(args[0]);
  if (args.size() == 2) {
    try {
      stored->WriteString(key, args[1]);
    } catch (const std::exception &e) {
      std::cerr << e.what() << "\n";
      return kExitFailed;
    }
    return kExitOk;
  }
  const auto device = stored->ReadString(key);
  if (device && !device->empty()) {
    std::cout << *device << "\n";
  } else {
    std::cerr << args[0] << " 沒有設定裝置,程式將開啟預設的 " << DevicePath(args[0], *stored) << "\n";
  }
  return kExitOk;
}

}  // namespace rilo
