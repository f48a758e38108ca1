// Firmware text file: sections of an "@" address line and lines of pairs, ended by
// "q". Information segments fill the settings rows, the vector area the vector
// table, program memory one page frame per 128 bytes from the next free page on.
#include "formats/page_frames.h"
#include "formats/text_cursor.h"
#include "formats/ventrix.h"

namespace ventrix {
namespace {

enum class Filled { kFull, kSectionEnd, kMalformed };

struct TxtParse {
  Cursor c;
  uint8_t *vectors;
  uint8_t (*block)[128];
  Frame *image;
  int next = 0;  // the next free page

  // Bytes into dest[from..to) until the section ends at the next "@" or "q". Bytes
  // beyond `to` are left for the next step, which refuses them.
  Filled Fill(uint8_t *dest, int from, int to) {
    for (int i = from; i < to; ++i) {
      c.SkipSeparator();
      if (c.Peek() == '@' || c.Peek() == 'q') return Filled::kSectionEnd;
      if (!c.TakePair(&dest[i])) return Filled::kMalformed;
    }
    return Filled::kFull;
  }

  bool Region(uint8_t *dest, int from, int to) { return Fill(dest, from, to) != Filled::kMalformed; }

  // Program memory from `address` on, one page per 128 bytes. A page that would
  // start above the top page is placed within the top page at its own offset.
  bool Program(uint16_t address) {
    while (next < kPages) {
      Frame &page = image[next];
      const bool top = address > kTopPage;
      BeginPage(page, top ? kTopPage : address);
      ++next;
      const Filled filled = Fill(page, top ? kDataStart + (address - kTopPage) : kDataStart, kDataEnd);
      if (filled != Filled::kFull) return filled == Filled::kSectionEnd;
      // The page reached 0xFFDF: what the section still holds belongs to the vector
      // area. It is not stored, and nothing beyond it is taken for it.
      if (top || address == kTopPage) {
        uint8_t discarded[kVectorBytes];
        return Region(discarded, 0, kVectorBytes);
      }
      c.SkipSeparator();
      if (c.Peek() == '@' || c.Peek() == 'q') return true;
      address = static_cast<uint16_t>(address + 128);
    }
    return true;
  }

  bool Section(uint16_t address) {
    if (address < 0x1000) return true;
    if (address < 0x1080) {
      // Linkers and srec_cat write both information segments as one section "@1000":
      // past 0x107F come segment 1's addresses.
      const Filled filled = Fill(block[0], address - 0x1000, 128);
      if (filled != Filled::kFull) return filled == Filled::kSectionEnd;
      c.SkipSeparator();
      if (IsBlank(c.Peek()) || c.Peek() == '@' || c.Peek() == 'q') return true;  // segment 0 alone
      return Region(block[1], 0, 128);
    }
    if (address < 0x1100) return Region(block[1], address - 0x1080, 128);
    if (address >= kVectorArea) return Region(vectors, address - kVectorArea, kVectorBytes);
    return Program(address);
  }
};

}  // namespace
}  // namespace ventrix

extern "C" const char *ArrangeTxt(const char *text, uint8_t *vectors, uint8_t (*block)[128],
                                  uint8_t (*image)[138]) {
  using namespace ventrix;
  if (!text || !vectors || !block || !image) return nullptr;
  if (text[0] != '@') return text;

  TxtParse p{Cursor(text), vectors, block, image};
  for (;;) {
    p.c.SkipSeparator();
    // Only blank lines may stand before the next address line: anything else is
    // data its section had no room for, or a text that ends without "q".
    p.c.SkipBlanks();
    uint16_t address;
    if (!TakeAddressLine(p.c, &address) || !p.Section(address)) return nullptr;
    p.c.SkipSeparator();
    if (p.c.Peek() == 'q') break;
  }
  RefreshCheckBytes(image);
  return p.c.Position();
}
