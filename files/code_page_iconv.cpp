// Code page 950 through iconv: glibc knows it as "CP950".
#include <errno.h>
#include <iconv.h>

#include "files/code_page.h"

namespace rilo {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

class Converter {
 public:
  Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (usable()) iconv_close(cd_);
  }
  Converter(const Converter &) = delete;
  Converter &operator=(const Converter &) = delete;

  bool usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts from the front of `in` onward into `out`; stops at a byte sequence that
  // has no form, leaving `in` there. True when all of `in` was converted.
  bool Convert(std::string_view &in, std::string &out) {
    char buffer[256];
    while (!in.empty()) {
      char *source = const_cast<char *>(in.data());
      size_t left = in.size();
      char *target = buffer;
      size_t room = sizeof buffer;
      const size_t done = iconv(cd_, &source, &left, &target, &room);
      const int error = errno;
      out.append(buffer, static_cast<size_t>(target - buffer));
      in.remove_prefix(in.size() - left);
      if (done == static_cast<size_t>(-1) && error != E2BIG) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state after the stop
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Utf8FromCodePage950(std::string_view bytes) {
  Converter converter("UTF-8", "CP950");
  std::string text;
  while (converter.usable() && !converter.Convert(bytes, text)) {
    text += kReplacement;
    bytes.remove_prefix(1);
  }
  // Without the conversion module nothing can be read as Big5: every byte outside
  // ASCII is told as unreadable rather than passed on as broken UTF-8.
  if (!converter.usable())
    for (const char c : bytes)
      text += static_cast<unsigned char>(c) < 0x80 ? std::string_view(&c, 1) : kReplacement;
  return text;
}

std::optional<std::string> CodePage950FromUtf8(std::string_view utf8) {
  Converter converter("CP950", "UTF-8");
  std::string bytes;
  if (!converter.usable() || !converter.Convert(utf8, bytes)) return std::nullopt;
  return bytes;
}

}  // namespace rilo
