#include "files/file_writers.h"
#include "files/text_lines.h"

namespace rilo {
namespace {

constexpr uint16_t kTopFromFile = 0xFF60;  // covers 0xFF60..0xFFDF, data from 0xFF80 at byte 40
constexpr uint16_t kTopFromUnit = 0xFF80;  // covers 0xFF80..0xFFFF, the last 32 bytes are vectors
constexpr uint16_t kLastOrdinary = 0xFF00;

void AppendRun(TextLines &lines, const char *label, const FirmwareImage &image, const VectorTable &vectors) {
  // The start address is page 0's, used or not: an empty image writes FFFF.
  lines.push_back(label + HexByte(image[0][5]) + HexByte(image[0][4]));
  for (const auto &page : image) {
    if (!IsUsed(page)) continue;
    // Both forms of the top page carry the 96 bytes of 0xFF80..0xFFDF.
    const uint16_t address = PageAddress(page);
    if (address == kTopFromFile)
      AppendHexLines(lines, page.data() + kPageData + 32, 96);
    else if (address == kTopFromUnit)
      AppendHexLines(lines, page.data() + kPageData, 96);
    else
      AppendHexLines(lines, page.data() + kPageData, 128);
  }
  AppendHexLines(lines, vectors.data(), vectors.size());
}

}  // namespace

TextLines FirmwareDataFileLines(const VectorTable &txVectors, const VectorTable &rxVectors,
                                const SettingsImage &settings, const FirmwareImage &txImage,
                                const FirmwareImage &rxImage) {
  TextLines lines{"TX"};
  AppendHexLines(lines, txVectors.data(), txVectors.size());
  lines.emplace_back("RX");
  AppendHexLines(lines, rxVectors.data(), rxVectors.size());
  lines.emplace_back("@1000");
  AppendHexLines(lines, settings.data(), 128);
  lines.emplace_back("@1080");
  AppendHexLines(lines, settings.data() + kBlock1, 128);
  AppendRun(lines, "TX@", txImage, txVectors);
  AppendRun(lines, "RX@", rxImage, rxVectors);
  lines.emplace_back("q");
  return lines;
}

bool FitsDataFile(const FirmwareImage &image) {
  int used = 0;
  while (used < kImagePages && IsUsed(image[used]))
    ++used;
  for (int i = used; i < kImagePages; ++i)
    if (IsUsed(image[i])) return false;  // a gap: the run would move later pages down
  if (used == 0) return true;

  const PageFrame &top = image[used - 1];
  const uint16_t topAddress = PageAddress(top);
  if (topAddress == kTopFromFile) {
    // Its bytes for 0xFF60..0xFF7F are not written; they must hold nothing.
    for (int i = kPageData; i < kPageData + 32; ++i)
      if (top[i] != 0xFF) return false;
  } else if (topAddress != kTopFromUnit) {
    return false;
  }
  // A run that starts with the top page must name 0xFF80, where its bytes begin.
  if (used == 1) return topAddress == kTopFromUnit;
  const int ordinary = used - 1;
  for (int i = 0; i < ordinary; ++i)
    if (PageAddress(image[i]) != kLastOrdinary - 128 * (ordinary - 1 - i)) return false;
  return true;
}

}  // namespace rilo
