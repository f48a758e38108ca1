#include <string_view>

#include "files/code_page.h"
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

namespace rilo {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Offset of the first line at or after `from` that begins with `key`, or npos. `from`
// is itself the start of a line or the end of the text.
size_t LineStartingWith(std::string_view text, size_t from, std::string_view key) {
  for (size_t line = from; line < text.size();) {
    if (text.substr(line).starts_with(key)) return line;
    const size_t end = text.find(kCrLf, line);
    if (end == std::string_view::npos) return std::string_view::npos;
    line = end + kCrLf.size();
  }
  return std::string_view::npos;
}

std::string WithoutLineBreaks(std::string_view text) {
  std::string joined;
  for (size_t cut; (cut = text.find(kCrLf)) != std::string_view::npos; text.remove_prefix(cut + kCrLf.size()))
    joined += text.substr(0, cut);
  joined += text;
  return joined;
}

}  // namespace

CustomerRecord ReadCustomerBlock(std::string_view fileText) {
  // Keys are ASCII in both encodings, and Big5 never uses the bytes of CR and LF, so
  // the block is read as text once it is decoded whole.
  const std::string decoded = TextFromFile(fileText);
  std::string_view text = decoded;
  CustomerRecord customer;
  // The hexadecimal lines' last CR LF and the line "q" come first.
  if (text.starts_with(kCrLf)) text.remove_prefix(kCrLf.size());
  if (text.starts_with("q\r\n")) text.remove_prefix(3);

  size_t at = LineStartingWith(text, 0, kCustomerFields[0].key);
  for (int f = 0; f < kCustomerFieldCount && at != std::string_view::npos; ++f) {
    const size_t start = at + kCustomerFields[f].key.size();
    const std::string_view next = f + 1 < kCustomerFieldCount ? kCustomerFields[f + 1].key : kCustomerEnd;
    // The value's own first line may not end a value: the next key is looked for on
    // the lines after it.
    const size_t firstEnd = text.find(kCrLf, start);
    at = firstEnd == std::string_view::npos ? firstEnd : LineStartingWith(text, firstEnd + 2, next);
    std::string_view value =
        text.substr(start, at == std::string_view::npos ? text.size() - start : at - start);
    if (value.ends_with(kCrLf)) value.remove_suffix(kCrLf.size());
    customer.texts[f] = kCustomerFields[f].memo ? std::string(value) : WithoutLineBreaks(value);
  }
  return customer;
}

}  // namespace rilo
