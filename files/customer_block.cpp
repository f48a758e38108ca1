#include <string_view>

#include "files/file_writers.h"

namespace rilo {

TextLines CustomerBlockLines(const CustomerRecord &customer) {
  TextLines lines;
  for (int f = 0; f < kCustomerFieldCount; ++f) {
    // A memo keeps its CR LF pairs: they become line ends of the file.
    std::string_view rest = customer.texts[f];
    std::string line(kCustomerFields[f].key);
    for (size_t cut; (cut = rest.find("\r\n")) != std::string_view::npos; rest.remove_prefix(cut + 2)) {
      line += rest.substr(0, cut);
      lines.push_back(std::move(line));
      line.clear();
    }
    line += rest;
    lines.push_back(std::move(line));
  }
  lines.emplace_back(kCustomerEnd);
  return lines;
}

}  // namespace rilo
