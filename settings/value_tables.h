// What a transmitter and receiver accept: the entry texts of every option list and the
// value each entry stores. Declared once; the editor rules and the presentation both
// read them, so a code and its decoding cannot drift apart. Texts are the product's
// own, blanks included.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace rilo::tables {

// ---- Key pairs (bytes 32..41) -------------------------------------------------------

// Entries 0..14 are in every action list, 15..17 only in the R1/R2 and R3/R4 lists.
inline constexpr std::array<std::string_view, 18> kPairActionTexts = {
    "普 通                                       普 通",
    "捺 跳                                       捺 跳",
    "開                                                 關",
    "普 通                                       捺 跳",
    "電磁鐵開                        電磁鐵關",
    "雙馬達 1                          雙馬達 1",
    "雙馬達 2                          雙馬達 2",
    "三速加速                        三速加速",
    "數位加速                        數位加速",
    "普 通                               雙 馬 達 1",
    "普 通                               雙 馬 達 2",
    "捺 跳                               雙 馬 達 1",
    "捺 跳                               雙 馬 達 2",
    "捺 跳                                三速加速",
    "合 成                                       合 成",
    "R1~R3 捺跳                       R4 捺跳",
    "R1~R3 捺跳                       R4 普通",
    "集體捺跳                        集體捺跳",
};
// The South/North list's entry 15 (group latch); its text ends in two blanks.
inline constexpr std::string_view kSNGroupLatchText = "集體捺跳                        集體捺跳  ";

inline constexpr int kUDActionCount = 15;
inline constexpr int kEWActionCount = 15;
inline constexpr int kSNActionCount = 16;
inline constexpr int kRActionCount = 18;
// The Q10 control set keeps only entries 0..5 of the East/West, South/North and R1/R2 lists.
inline constexpr int kQ10ActionCount = 6;
// Entry 14, whose presence tells a list that still holds the Q12 entries.
inline constexpr int kCombinedEntry = 14;

struct ActionCode {
  uint8_t first;
  uint8_t second;
};
// Codes of entries 0..14; the combination entries 15..17 write several pairs at once.
inline constexpr std::array<ActionCode, 15> kActionCodes = {{
    {0x38, 0x00},
    {0x86, 0x00},
    {0x81, 0x00},
    {0x8C, 0x00},
    {0x81, 0x80},
    {0x38, 0x03},
    {0x38, 0x33},
    {0x78, 0x08},
    {0x78, 0x04},
    {0x38, 0x02},
    {0x38, 0x22},
    {0x92, 0x02},
    {0x92, 0x22},
    {0x52, 0x08},
    {0xF8, 0x00},
}};
inline constexpr int kSNGroupLatch = 15;
inline constexpr int kR1ToR3LatchR4Latch = 15;
inline constexpr int kR1ToR3LatchR4Normal = 16;
inline constexpr int kRGroupLatch = 17;

// Bits the companion lists put on top of an ActionCode.
inline constexpr uint8_t kEmsExemptBit = 0x80;       // first byte: not under emergency stop
inline constexpr uint8_t kInterlockBit = 0x20;       // first byte: interlock on
inline constexpr uint8_t kInterlockLatchBit = 0x40;  // second byte: with latch actions 1 and 3

// Byte 78: the combination mode the editor is in.
inline constexpr int kModeFlagsByte = 78;
inline constexpr uint8_t kModeR1ToR3Latch = 1;
inline constexpr uint8_t kModeGroupLatch = 2;

// ---- Emergency-stop lists (every key) -------------------------------------------------

inline constexpr std::array<std::string_view, 2> kEmsTexts = {"受急停控制", "不受急停控制"};

// ---- Delays ----------------------------------------------------------------------------

inline constexpr std::array<std::string_view, 8> kAccTexts = {"0     秒", "0.4  秒", "0.6  秒", "0.8  秒",
                                                              "1.0  秒",  "2.0  秒", "3.0  秒", "4.0  秒"};
inline constexpr std::array<uint8_t, 8> kAccCodes = {1, 30, 44, 59, 74, 148, 222, 0};

inline constexpr std::array<std::string_view, 9> kInterlockTexts = {
    "相   互   抑   制   延   遲      0    秒",       "相   互   抑   制   延   遲      0.1  秒",
    "相   互   抑   制   延   遲      0.3  秒",       "相   互   抑   制   延   遲      0.5  秒",
    "相   互   抑   制   延   遲      0.7  秒",       "相   互   抑   制   延   遲      0.9  秒",
    "相   互   抑   制   延   遲      1.0  秒",       "相   互   抑   制   延   遲      2.0  秒",
    "不         相         互         抑         制",
};
// Delay codes of entries 0..7; entry 8 (no interlock) stores 1 and clears the interlock bit.
inline constexpr std::array<uint8_t, 8> kInterlockCodes = {1, 7, 22, 37, 52, 67, 74, 148};
inline constexpr int kNoInterlock = 8;

// The inching time (byte 62) and the pass-EMS time (byte 63) share texts, not codes.
inline constexpr std::array<std::string_view, 8> kInchPassTexts = {
    "0.1  秒", "0.3  秒", "0.5  秒", "0.7  秒", "1.0  秒", "2.0  秒", "3.0  秒", "4.0  秒"};
inline constexpr std::array<uint8_t, 8> kInchCodes = {7, 22, 37, 52, 74, 148, 222, 0};
inline constexpr std::array<uint8_t, 8> kPassEmsCodes = {7, 22, 44, 52, 74, 148, 222, 0};

inline constexpr std::array<std::string_view, 7> kOneSpeedTexts = {
    "0     秒", "0.2  秒", "0.5  秒", "1.0  秒", "2.0  秒", "3.0  秒", "4.0  秒"};
inline constexpr std::array<uint8_t, 7> kOneSpeedCodes = {1, 15, 37, 74, 148, 222, 0};

// ---- Start key (byte 16) and F1 key (bytes 42, 43) ------------------------------------

inline constexpr std::array<std::string_view, 3> kR0ActionTexts = {"普 通", "捺 跳", "寸 動/加速"};
inline constexpr std::array<uint8_t, 3> kR0ActionCodes = {0x00, 0x81, 0x02};
inline constexpr int kR0Acceleration = 2;

inline constexpr std::array<std::string_view, 4> kR5ActionTexts = {
    "               普 通", "               捺 跳", "           雙馬達1", "           雙馬達2"};
inline constexpr std::array<ActionCode, 4> kR5ActionCodes = {
    {{0x38, 0x00}, {0x86, 0x00}, {0x38, 0x03}, {0x38, 0x33}}};

// ---- Transmitter options ---------------------------------------------------------------

inline constexpr std::array<std::string_view, 10> kTxModeTexts = {
    "非    持    續    發    射", "持續發射     15秒關機", "持續發射     30秒關機", "持續發射   1分鐘關機",
    "持續發射   2分鐘關機",       "持續發射   3分鐘關機",  "持續發射   5分鐘關機",  "持續發射 10分鐘關機",
    "持續發射 30分鐘關機",        "持續發射     永不關機",
};
// Bytes 26..29 as a 32-bit value: 65536 + 8000 x seconds for the timed entries.
inline constexpr std::array<uint32_t, 10> kTxModeValues = {97536,   185536,  305536,  545536,   1025536,
                                                           1505536, 2465536, 4865536, 14465536, 0};
inline constexpr uint32_t kTxModePowerSaving = 70010;  // entry 0 while power-saving mode is on
inline constexpr int kTxModeNeverOff = 9;

inline constexpr std::array<std::string_view, 6> kLedTexts = {"持 續 亮 著", "1    秒", "2    秒",
                                                              "3    秒",     "4    秒", "不  閃  爍"};
inline constexpr std::array<uint16_t, 6> kLedValues = {1, 8000, 16000, 24000, 32000, 1};
inline constexpr int kLedNoFlashing = 5;

// Twenty counts; there is no 40.
inline constexpr std::array<std::string_view, 20> kTxEmsCountTexts = {
    "5       次", "10     次", "20     次", "30     次", "50     次", "60     次", "70     次",
    "80     次",  "90     次", "100   次",  "110   次",  "120   次",  "130   次",  "140   次",
    "150   次",   "160   次",  "170   次",  "180   次",  "190   次",  "200   次",
};
inline constexpr std::array<uint8_t, 20> kTxEmsCounts = {5,   10,  20,  30,  50,  60,  70,  80,  90,  100,
                                                         110, 120, 130, 140, 150, 160, 170, 180, 190, 200};

// Entry 0 is "off"; entry n (1..32) stores a mask of the n lowest bits.
inline constexpr std::array<std::string_view, 33> kBattCountTexts = {
    "關   閉",  "1     次", "2     次", "3     次", "4     次", "5     次", "6     次",
    "7     次", "8     次", "9     次", "10    次", "11    次", "12    次", "13    次",
    "14    次", "15    次", "16    次", "17    次", "18    次", "19    次", "20    次",
    "21    次", "22    次", "23    次", "24    次", "25    次", "26    次", "27    次",
    "28    次", "29    次", "30    次", "31    次", "32    次",
};

inline constexpr std::array<std::string_view, 2> kOpenModeTexts = {"任意鍵開機", "開機鍵開機"};
inline constexpr std::array<std::string_view, 2> kCountCloseTexts = {"關        機", "不  關  機"};
inline constexpr std::array<std::string_view, 2> kProvinceModeTexts = {"有    效", "無    效"};
inline constexpr std::array<std::string_view, 2> kRemoteSetTexts = {"開啟無線設定功能", "關閉無線設定功能"};
inline constexpr std::array<std::string_view, 2> kTxLowBattActionTexts = {"繼  續  使  用",
                                                                          "關                機"};
inline constexpr std::array<std::string_view, 2> kTxBattLowEmsTexts = {"發 射 緊 急 停 止 訊 號",
                                                                       "不 發 射 緊 急 停 止 訊 號"};

// ---- Receiver options ------------------------------------------------------------------

inline constexpr std::array<std::string_view, 2> kPassEmsActionTexts = {"關   動   作", "關         機"};

inline constexpr std::array<std::string_view, 8> kAutoOffTexts = {
    "不           關            機", "10分鐘     自動關機",  "20分鐘     自動關機",  "30分鐘     自動關機",
    "1 小時      自動關機",          "2 小時      自動關機", "3 小時      自動關機", "4 小時       自動關機",
};
// Bytes 22..25 as a 32-bit value: 65536 + seconds x 2000 / 27 for the timed entries.
inline constexpr std::array<uint32_t, 8> kAutoOffValues = {65537,  109980, 154425, 198869,
                                                           332203, 598869, 865536, 1132203};

// ---- Bits of the option flag bytes ------------------------------------------------------

// Byte 18, option flags A.
inline constexpr int kFlagsA = 18;
inline constexpr int kTimerOnBit = 0;
inline constexpr int kNeverOffBit = 1;
inline constexpr int kPassEmsSwitchOffBit = 2;
inline constexpr int kLowBattSwitchOffBit = 3;
inline constexpr int kIdleSwitchOffBit = 4;
inline constexpr int kStartKeyPowersOnBit = 5;
inline constexpr int kPowerOnModeHighBit = 6;
// Byte 19, option flags B.
inline constexpr int kFlagsB = 19;
inline constexpr int kBattCounterBit = 0;
inline constexpr int kRxRemoteOffBit = 1;
inline constexpr int kTxRemoteOffBit = 2;
inline constexpr int kAutoOffBit = 3;
inline constexpr int kPowerSavingBit = 4;
inline constexpr int kLedFlashesBit = 5;
inline constexpr int kPassEmsOrAutoOffBit = 6;
inline constexpr int kLowBattEmsBit = 7;

}  // namespace rilo::tables
