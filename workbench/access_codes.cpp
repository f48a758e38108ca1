#include "workbench/access_codes.h"

#include <string>

#include "base/sha256.h"

namespace rilo {
namespace {

constexpr int8_t K = kEntryKept;

}  // namespace

const std::vector<AccessCode> &AccessCodes() {
  static const std::vector<AccessCode> codes = {
      {"a4381785996d976b",
       "ec93828a274ebf33a405a8cb3eb221ee9ad279b80011ba4899bdc0adb9a27aa9",
       {{"BattLow", true}},
       {1, K, K, K, K}},
      {"7c73fd43feeb0d0b",
       "92bf63bb95363374d79335dcb180e979a4692ac11b41b81990a13bd53c5d1dd3",
       {{"BattLow", false}},
       {0, K, K, K, K}},
      {"81a40dd0a22fef2e",
       "af7dd00a7dac64bf9d79c1a4ea833281330a9225522771cf6153d79dc027155b",
       {{"BattLowAction", true}},
       {K, 1, K, K, K}},
      {"0a94ca06db806684",
       "cd786179727b8f461c1a4234fc412a84e62a8b919be1558c5d51b38c73bf3f20",
       {{"BattLowAction", false}},
       {K, 0, K, K, K}},
      {"b05ddd7d92f8ba4a",
       "ea6385e4915219d810eba13a7eff42c0e4d6cd919e52b33e1f655b5e4aa5321a",
       {{"TxEMSCount", true}},
       {K, K, 1, K, K}},
      {"68271fbb9eb3b84f",
       "8f5c61a772ea64eb6df5d4b0aef2e3d2140de3749554c1c7db0da45613d6e399",
       {{"TxEMSCount", false}},
       {K, K, 0, K, K}},
      {"4628ac6d96365338",
       "ef3dff95449e0ea8a6f9ec46fdbda1f3abb8fbda208d824f4e7d2a5c0604ae1c",
       {{"BattCount", true}},
       {K, K, K, 1, K}},
      {"8bc0b64bd010ae6a",
       "4b397fdcb68a3537891239dcd737fec4f315a143d30d0c25451c3bba3c544383",
       {{"BattCount", false}},
       {K, K, K, 0, K}},
      {"165d51d627d22335",
       "8d587d957c062aff9b7cb5294ddb43374f8ed44a1fa84ddd01b60ae2bbbc6fe5",
       {{"Key1Time", true}},
       {K, K, K, K, 1}},
      {"9900ef0effef34e8",
       "c2ff0bc8d51bf25bab7cd32c81255fb9dae1a8e20d38a8e9d219e30b44567bcd",
       {{"Key1Time", false}},
       {K, K, K, K, 0}},
      {"cb575117c20efcbe",
       "2af9f1739d1212b256151cc12cdd68434af0849c29f8afc4600ceffac152e56f",
       {{"IDCODE", true}},
       {K, K, K, K, K}},
      {"29235686983d28c6",
       "8a55517df7c422b338859e6927fb500108d7e9e6303004bc364ee294af6aec87",
       {{"IDCODE", false}},
       {K, K, K, K, K}},
      {"7f5d5a87bb27f703",
       "6b470e3bcd155d46f5fc5827cf0b31af2fbed6921f992de32d308f9494071b7a",
       {{"CustomerInfo", true}},
       {K, K, K, K, K}},
      {"2739b16f107ae3f9",
       "89eaa9f27a7b5932bc6820af549888e8fb7a72a3575811223b88a1229b0e856d",
       {{"CustomerInfo", false}},
       {K, K, K, K, K}},
      {"75b2b51b0495aea5",
       "5612f2c1306337f76107914bd06bb173d9303e6c23a225b451713b4fa0ebdc6b",
       {{"SN", true}},
       {K, K, K, K, K}},
      {"db701ab43b099a12",
       "6bce326c1224549ebc73f5f68cc53a658a7b57db3645223ff601ace45bdd7deb",
       {{"SN", false}},
       {K, K, K, K, K}},
      {"e4f7409d5c63aee8",
       "1f3cdfea1e194406d673b1e7e2fc01e8276bd0b4bdc7035799e59bed89fbb019",
       {{"DateCode", true}},
       {K, K, K, K, K}},
      {"0befae1ced852afb",
       "9611d5c8c9383e2b19c7caa6d138a88170b06f8153fbb34ff18df59d2e3c73ed",
       {{"DateCode", false}},
       {K, K, K, K, K}},
      // Factory staff: firmware commands and every special option, customer page off.
      {"57beee1087eff87a",
       "e76573b33f1d7de5f6b142e99274f60f8e4103bcd3cadddca433fcde67718e19",
       {{"Factory", true},
        {"CustomerInfo", false},
        {"BattLowAction", true},
        {"BattLow", true},
        {"TxEMSCount", true},
        {"BattCount", true},
        {"Key1Time", true},
        {"IDCODE", true},
        {"SN", false},
        {"DateCode", false}},
       {1, 1, 1, 1, 1}},
      // Back to what a new installation shows.
      {"86957ddea8e21db4",
       "e10391f10fb6dac233bdbbefe47c6cd61706e96eb9d5a104d8a9fed79487d337",
       {{"Factory", false},
        {"CustomerInfo", true},
        {"BattLowAction", false},
        {"BattLow", false},
        {"TxEMSCount", false},
        {"BattCount", false},
        {"Key1Time", false},
        {"IDCODE", false},
        {"SN", false},
        {"DateCode", false}},
       {0, 0, 0, 0, 0}},
  };
  return codes;
}

const AccessCode *MatchAccessCode(std::string_view typed) {
  for (const auto &code : AccessCodes())
    if (Sha256Hex(std::string(code.salt) + std::string(typed)) == code.hash) return &code;
  return nullptr;
}

}  // namespace rilo
