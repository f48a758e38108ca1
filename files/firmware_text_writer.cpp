#include "files/file_writers.h"
#include "files/text_lines.h"

namespace rilo {

TextLines FirmwareTextFileLines(const VectorTable &vectors, const SettingsImage &settings,
                                const FirmwareImage &image) {
  TextLines lines{"@FFE0"};
  AppendHexLines(lines, vectors.data(), vectors.size());
  lines.emplace_back("@1000");
  AppendHexLines(lines, settings.data(), 128);
  lines.emplace_back("@1080");
  AppendHexLines(lines, settings.data() + kBlock1, 128);
  for (const auto &page : image) {
    if (!IsUsed(page)) continue;
    lines.push_back("@" + HexByte(page[5]) + HexByte(page[4]));
    AppendHexLines(lines, page.data() + kPageData, 128);
  }
  lines.emplace_back("q");
  return lines;
}

}  // namespace rilo
