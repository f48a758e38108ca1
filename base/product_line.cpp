#include "base/product_line.h"

#include <fstream>
#include <iterator>
#include <span>
#include <sstream>

#include "base/program_folder.h"

namespace rilo {
namespace {

struct Field {
  const char *name;
  std::span<uint8_t> bytes;
  bool seen = false;
};

std::string Trim(const std::string &s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// Hex bytes separated by blanks, exactly as many as `into` holds.
bool ParseBytes(const std::string &text, std::span<uint8_t> into) {
  std::istringstream in(text);
  std::string word;
  size_t n = 0;
  while (in >> word) {
    if (n == into.size() || word.size() != 2) return false;
    unsigned value = 0;
    for (char c : word) {
      value <<= 4;
      if (c >= '0' && c <= '9')
        value |= static_cast<unsigned>(c - '0');
      else if (c >= 'A' && c <= 'F')
        value |= static_cast<unsigned>(c - 'A' + 10);
      else if (c >= 'a' && c <= 'f')
        value |= static_cast<unsigned>(c - 'a' + 10);
      else
        return false;
    }
    into[n++] = static_cast<uint8_t>(value);
  }
  return n == into.size();
}

}  // namespace

std::optional<ProductLine> ParseProductLine(const std::string &text, const std::string &path,
                                            std::string *error) {
  ProductLine line;
  Field fields[] = {{"PasswordA", line.PasswordA},
                    {"PasswordB", line.PasswordB},
                    {"PasswordC", line.PasswordC},
                    {"SignatureCode", line.SignatureCode}};
  std::istringstream in(text);
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    const std::string content = Trim(raw.substr(0, raw.find('#')));
    if (content.empty()) continue;
    const auto eq = content.find('=');
    Field *field = nullptr;
    if (eq != std::string::npos) {
      const std::string name = Trim(content.substr(0, eq));
      for (auto &f : fields)
        if (name == f.name && !f.seen) field = &f;
    }
    if (!field || !ParseBytes(content.substr(eq + 1), field->bytes)) {
      *error = "產品資料檔 " + path + " 第 " + std::to_string(number) + " 行格式錯誤";
      return std::nullopt;
    }
    field->seen = true;
  }
  for (const auto &f : fields) {
    if (!f.seen) {
      *error = "產品資料檔 " + path + " 缺少 " + f.name;
      return std::nullopt;
    }
  }
  return line;
}

std::optional<ProductLine> ReadProductLine(const std::string &path, std::string *error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "找不到產品資料檔 " + path;
    return std::nullopt;
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  return ParseProductLine(text, path, error);
}

std::optional<ProductLine> ReadProductLineBesideProgram(std::string *error) {
  return ReadProductLine(ProgramFolder() + kProductLineFileName, error);
}

}  // namespace rilo
