#include "workbench/workbench.h"

#include <exception>
#include <utility>

#include "core/conversion.h"
#include "ledger/unit_record.h"
#include "link/port_names.h"
#include "settings/short_date.h"
#include "workbench/access_codes.h"
#include "workbench/unit_messages.h"

namespace rilo {
namespace {

struct FlagName {
  const char *name;
  uint8_t FeatureFlags::*member;
};

// The order the flags are read in; a failed read leaves the later ones at 0.
constexpr FlagName kReadOrder[] = {
    {"BattLow", &FeatureFlags::BattLow},           {"BattLowAction", &FeatureFlags::BattLowAction},
    {"TxEMSCount", &FeatureFlags::TxEMSCount},     {"BattCount", &FeatureFlags::BattCount},
    {"Key1Time", &FeatureFlags::Key1Time},         {"SpecialFunc", &FeatureFlags::SpecialFunc},
    {"CustomerInfo", &FeatureFlags::CustomerInfo}, {"IDCODE", &FeatureFlags::IDCODE},
    {"DateCode", &FeatureFlags::DateCode},         {"SN", &FeatureFlags::SN},
    {"Factory", &FeatureFlags::Factory},
};

// The default set, in the order it is written.
constexpr std::pair<const char *, bool> kDefaultFlags[] = {
    {"SpecialFunc", false}, {"BattLow", false},  {"BattLowAction", false}, {"TxEMSCount", false},
    {"BattCount", false},   {"Key1Time", false}, {"IDCODE", false},        {"CustomerInfo", true},
    {"SN", false},          {"DateCode", false}, {"Factory", false},
};

// The four transmitter special options: flag, its SpecialGroupFlags entry, and its
// label (the form shows or hides the list itself).
struct TxSpecialOption {
  uint8_t FeatureFlags::*flag;
  int entry;
  const char *label;
};
constexpr TxSpecialOption kTxSpecialOptions[] = {
    {&FeatureFlags::BattLow, 0, "LabelLowBattAct"},
    {&FeatureFlags::BattLowAction, 1, "LabelLowBattEMS"},
    {&FeatureFlags::TxEMSCount, 2, "LabelTxEMSCont"},
    {&FeatureFlags::BattCount, 3, "LabelBattCont"},
};

}  // namespace

Workbench::Workbench(Preferences &store, Operator &op, SerialPort &port, Clock &clock,
                     const VentrixApi &ventrix, const ProductLine &productLine, TodayText today)
    : store_(store),
      clock_(clock),
      op_(op),
      ventrix_(ventrix),
      productLine_(productLine),
      link_(port, clock),
      loader_(link_, ventrix_, productLine_),
      editor_(flags_, op_, ventrix_, identityPage_, std::move(today)),
      steps_(loader_, op_, editor_, identityPage_, ventrix_, journal_) {
  op_.TimeWith(clock_);
  ResetImages();
}

void Workbench::ResetImages() {
  firmware_.ResetImages();
  editor_.Image.fill(0);
  editor_.LoadedImage.fill(0);
  deviceSettings_.fill(0);
  loader_.InfoPage.fill(0xFF);
  identityPage_.fill(0xFF);
}

bool Workbench::ReadStoredPreferences(WindowGeometry &geometry) {
  constexpr std::pair<const char *, int WindowGeometry::*> kGeometry[] = {
      {"Left", &WindowGeometry::left},
      {"Top", &WindowGeometry::top},
      {"Height", &WindowGeometry::height},
      {"Width", &WindowGeometry::width},
  };
  for (const auto &[name, side] : kGeometry) {
    auto value = store_.ReadInteger(name);
    if (!value) return false;
    geometry.*side = *value;
  }
  // A missing port name reads as empty; one stored as a number is a failed read.
  auto com = store_.ReadString("COM");
  if (!com && store_.ReadInteger("COM")) return false;
  portName_ = com.value_or("");
  for (const auto &flag : kReadOrder) {
    auto value = store_.ReadBool(flag.name);
    if (!value) return false;
    flags_.*flag.member = *value ? 1 : 0;
  }
  return true;
}

void Workbench::WriteGeometry(const WindowGeometry &geometry) {
  store_.WriteInteger("Left", geometry.left);
  store_.WriteInteger("Top", geometry.top);
  store_.WriteInteger("Height", geometry.height);
  store_.WriteInteger("Width", geometry.width);
}

void Workbench::WriteDefaults(const WindowGeometry &geometry) {
  WriteGeometry(geometry);
  store_.WriteString("COM", "COM1");
  store_.WriteString("Language", "English");
  for (const auto &[name, value] : kDefaultFlags)
    store_.WriteBool(name, value);
}

WindowGeometry Workbench::FormMenuCreate(WindowGeometry current) {
  WindowGeometry geometry = current;
  bool refused = false;
  if (!ReadStoredPreferences(geometry)) {
    portName_ = "COM1";
    flags_.CustomerInfo = 1;
    try {
      WriteDefaults(geometry);
    } catch (const std::exception &) {
      refused = true;
    }
  }
  // Not one of the start-up set: a store from before it existed keeps its values.
  UseVerifyBurn(store_.ReadInteger("VerifyBurn").value_or(1) != 0);
  portInUse_ = portName_;
  deviceInUse_ = DevicePath(portName_, store_);
  if (!link_.OpenPort(deviceInUse_))
    op_.Message(kConnectFailedCaption, kConnectFailedText, Icon::Information);
  // Told once the port is open: the run goes on with the defaults in memory, only they
  // are not kept for the next start.
  if (refused) TellRefusal();
  return geometry;
}

void Workbench::FormMenuShow() {
  specialGroupFlags_.fill(0);
  for (const char *name : {"LabelTxSpeFunc", "PanelTxSpeFunc", "LabelBtnSpeFunc", "PanelBtnSpeFunc"})
    view_.visible[name] = false;
  for (const auto &option : kTxSpecialOptions)
    view_.visible[option.label] = false;

  view_.checkedPort = 0;
  for (int n = 1; n <= 16; ++n) {
    if (portName_ == "COM" + std::to_string(n)) {
      NCOMClick(n);
      break;
    }
  }

  bool txSpecialShown = false;
  for (const auto &option : kTxSpecialOptions) {
    if (flags_.*option.flag != 1) continue;
    view_.visible[option.label] = true;
    specialGroupFlags_[option.entry] = flags_.*option.flag;
    txSpecialShown = true;
  }
  bool keyPanelWanted = false;
  if (flags_.Key1Time == 1) {
    specialGroupFlags_[4] = flags_.Key1Time;
    keyPanelWanted = true;
  }
  view_.visible["LabelTxSpeFunc"] = txSpecialShown;
  view_.visible["PanelTxSpeFunc"] = txSpecialShown;
  view_.visible["LabelBtnSpeFunc"] = keyPanelWanted;
  view_.visible["PanelBtnSpeFunc"] = keyPanelWanted;

  view_.visible["TabSpecialSetting"] = flags_.SpecialFunc != 0;
  view_.visible["TabCustomerInformation"] = flags_.CustomerInfo == 1;

  // The transmitter special lists and the identity fields' editing.
  editor_.ApplyFeatureFlags();

  const bool factory = flags_.Factory == 1;
  view_.visible["NLoadTxPrg"] = factory;
  view_.visible["NLoadRxPrg"] = factory;
  view_.visible["NFirmwareVer"] = factory;
  view_.visible["NVerifyBurn"] = factory;
  view_.visible["NFastTransfer"] = factory;
  // Only the factory chooses it: a unit's fast line is not proven on every bench.
  UseFastTransfer(factory && store_.ReadInteger("FastTransfer").value_or(0) != 0 ? kFastTransferBaud : 0);
  view_.visible["NWriteTxPrg"] = false;
  view_.visible["NWriteRxPrg"] = false;
  if (!factory) {
    view_.visible["BWriteRx"] = false;
    view_.visible["BWriteTx"] = false;
    // Without the factory flag only settings files can be opened.
    view_.openFilter = std::string(kDesignOpenFilter).erase(26, 48);
  }

  view_.saveDefaultExt = "rilo";
  view_.saveFilter = "RILO Format [*.rilo]";
}

void Workbench::FormMenuClose(WindowGeometry geometry) {
  KeepPreferences([&] { WriteGeometry(geometry); });
}

std::string Workbench::PortTroubleText() const {
  return rilo::PortTroubleText(portInUse_, link_.Trouble());
}

PortField Workbench::PortFieldNow() const {
  PortField field;
  field.port = portInUse_;
  if (deviceInUse_ != portInUse_) field.port += " → " + deviceInUse_;
  // A port or device chosen since is opened at the next start only.
  if (portName_ != portInUse_)
    field.port += " · " + portName_ + " 下次啟動生效";
  else if (const std::string next = DevicePath(portName_, store_); next != deviceInUse_)
    field.port += " · " + next + " 下次啟動生效";
  field.unit = unitLine_;
  field.transmitter = unitIsTransmitter_;
  return field;
}

void Workbench::SeeUnit() {
  const std::string role = loader_.UnitRole();
  unitIsTransmitter_ = role == "Tx";
  unitLine_ = role == "Tx" ? "發射機" : role == "Rx" ? "接收機" : "機器";
  if (!editor_.MachineType.empty()) unitLine_ += " Q" + editor_.MachineType;
  if (const std::string version = LoaderVersionText(loader_.LoaderVersion); !version.empty())
    unitLine_ += " · BSL " + version;
  if (const std::string_view id = TrimBlanks(editor_.form.EEqupmentID.text); !id.empty())
    unitLine_ += " · ID " + std::string(id);
}

void Workbench::NQuitClick() {
  link_.ClosePort();
}

std::string Workbench::PortDeviceChosen() const {
  return DevicePath(portName_, store_);
}

bool Workbench::SetPortDevice(const std::string &device) {
  if (!IsStorableDevicePath(device)) return false;
  return KeepPreferences([&] { store_.WriteString("PortDevice." + portName_, device); });
}

bool Workbench::NCOMClick(int n) {
  portName_ = "COM" + std::to_string(n);
  view_.checkedPort = n;
  return KeepPreferences([&] { store_.WriteString("COM", portName_); });
}

bool Workbench::KeepPreferences(const std::function<void()> &writes) {
  try {
    writes();
    return true;
  } catch (const std::exception &) {
    TellRefusal();
    return false;
  }
}

void Workbench::TellRefusal() {
  if (refusalTold_) return;
  refusalTold_ = true;
  op_.Message(kPreferencesRefusedCaption, kPreferencesRefusedText, Icon::Error);
}

bool Workbench::BPasswordOKClick(std::string_view typed) {
  const AccessCode *code = MatchAccessCode(typed);
  if (code) {
    for (const auto &write : code->writes)
      store_.WriteBool(write.name, write.value);
    for (int i = 0; i < 5; ++i)
      if (code->specialEntries[i] != kEntryKept)
        specialGroupFlags_[i] = static_cast<uint8_t>(code->specialEntries[i]);
  }
  // The special page follows the special flags this run now stands for, matched or not.
  store_.WriteBool("SpecialFunc", false);
  for (uint8_t entry : specialGroupFlags_)
    if (entry == 1) store_.WriteBool("SpecialFunc", true);

  if (!code) {
    op_.Message("密碼錯誤", "密碼錯誤,請再試一次 !!", Icon::Error);
    return false;
  }
  op_.Message("功能開啟", "功能開啟,程式將自動關閉,請重新開啟程式!!", Icon::Information);
  return true;
}

}  // namespace rilo
