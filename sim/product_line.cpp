#include "sim/product_line.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <span>
#include <sstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace rilo::sim {
namespace {

std::string Trim(const std::string &s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool ParseHexBytes(const std::string &text, std::vector<uint8_t> *out) {
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    if (token.size() != 2 || !isxdigit(static_cast<unsigned char>(token[0])) ||
        !isxdigit(static_cast<unsigned char>(token[1])))
      return false;
    out->push_back(static_cast<uint8_t>(std::stoi(token, nullptr, 16)));
  }
  return true;
}

struct Field {
  const char *name;
  std::span<uint8_t> target;
  bool seen = false;
};

}  // namespace

std::optional<ProductLine> ParseProductLine(const std::string &text, std::string *error) {
  ProductLine line;
  Field fields[] = {{"PasswordA", line.password_a},
                    {"PasswordB", line.password_b},
                    {"PasswordC", line.password_c},
                    {"SignatureCode", line.signature_code}};
  std::istringstream in(text);
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    const std::string content = Trim(raw.substr(0, raw.find('#')));
    if (content.empty()) continue;
    const auto where = "line " + std::to_string(number) + ": ";
    const auto equals = content.find('=');
    if (equals == std::string::npos) {
      *error = where + "expected \"Name = hex bytes\"";
      return std::nullopt;
    }
    const std::string name = Trim(content.substr(0, equals));
    Field *field = nullptr;
    for (auto &f : fields)
      if (name == f.name) field = &f;
    if (field == nullptr) {
      *error = where + "unknown name \"" + name + "\"";
      return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    if (field->seen || !ParseHexBytes(content.substr(equals + 1), &bytes) ||
        bytes.size() != field->target.size()) {
      *error = where + name +
               (field->seen ? " given twice"
                            : " needs " + std::to_string(field->target.size()) + " two-digit hex bytes");
      return std::nullopt;
    }
    std::copy(bytes.begin(), bytes.end(), field->target.begin());
    field->seen = true;
  }
  for (const auto &f : fields) {
    if (!f.seen) {
      *error = std::string(f.name) + " is missing";
      return std::nullopt;
    }
  }
  return line;
}

std::optional<ProductLine> ReadProductLine(const std::string &path, std::string *error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = path + ": cannot be read";
    return std::nullopt;
  }
  std::ostringstream text;
  text << file.rdbuf();
  auto line = ParseProductLine(text.str(), error);
  if (!line) *error = path + ": " + *error;
  return line;
}

std::string BesideProgram(const std::string &file_name) {
#ifdef _WIN32
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string program(path, length);
  return program.substr(0, program.find_last_of("\\/") + 1) + file_name;
#else
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0) return file_name;
  std::string program(path, static_cast<size_t>(length));
  return program.substr(0, program.find_last_of('/') + 1) + file_name;
#endif
}

}  // namespace rilo::sim
