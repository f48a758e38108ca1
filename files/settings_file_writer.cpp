#include <array>

#include "files/code_page.h"
#include "files/file_writers.h"
#include "files/text_lines.h"

namespace rilo {

TextLines SettingsFileLines(const SettingsImage &image, const CustomerRecord &customer) {
  // Byte 7 (a Hamming codeword of the ID code) is the XOR key; the file keeps the key
  // where byte 127 would be, so byte 127 does not survive a settings file.
  const uint8_t key = B1(image, 7);
  std::array<uint8_t, 128> stored;
  for (int i = 0; i < 128; ++i)
    stored[i] = static_cast<uint8_t>(B1(image, i) ^ key);
  stored[127] = key;

  TextLines lines{"Setup"};
  AppendHexLines(lines, stored.data(), stored.size());
  lines.emplace_back("q");
  // The block is encoded whole: a reader decides on the encoding of the whole block.
  const std::string block = TextForFile(JoinCrLf(CustomerBlockLines(customer)));
  for (size_t at = 0, end; (end = block.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(block.substr(at, end - at));
  return lines;
}

}  // namespace rilo
