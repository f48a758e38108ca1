#include "cli/session_preferences.h"

#include <string_view>

namespace rilo {
namespace {

constexpr const char *kGeometry[] = {"Left", "Top", "Height", "Width"};
constexpr std::string_view kFlags[] = {"BattLow",     "BattLowAction", "TxEMSCount", "BattCount", "Key1Time",
                                       "SpecialFunc", "CustomerInfo",  "IDCODE",     "DateCode",  "SN",
                                       "Factory"};

}  // namespace

std::string PortDeviceKey(const std::string &comName) {
  return "PortDevice." + comName;
}

MemoryPreferences SessionPreferences(Preferences &stored, const std::string &port) {
  MemoryPreferences session;
  for (const char *name : kGeometry)
    session.WriteInteger(name, 0);
  session.WriteString("COM", port);
  for (std::string_view name : kFlags) {
    const std::string key(name);
    session.WriteBool(key, stored.ReadBool(key).value_or(name == "CustomerInfo"));
  }
  if (auto device = stored.ReadString(PortDeviceKey(port))) session.WriteString(PortDeviceKey(port), *device);
  return session;
}

std::string StoredPortName(Preferences &stored) {
  for (const char *name : kGeometry)
    if (!stored.ReadInteger(name)) return "COM1";
  auto com = stored.ReadString("COM");
  if (!com && stored.ReadInteger("COM")) return "COM1";
  for (std::string_view name : kFlags)
    if (!stored.ReadBool(std::string(name))) return "COM1";
  return com.value_or("");
}

}  // namespace rilo
