// Firmware text file: sections of an "@" address line and lines of pairs, ended by
// "q". Information segments fill the settings rows, the vector area the vector
// table, program memory one page frame per 128 bytes from the next free page on.
#include <bitset>

#include "formats/page_frames.h"
#include "formats/text_cursor.h"
#include "formats/ventrix.h"

namespace ventrix {
namespace {

enum class Filled { kFull, kSectionEnd, kMalformed };

// Where a section's bytes go: kept nowhere (the vector area a program section runs on
// into), into a page frame, or into the vector table or a settings row.
enum class Kept { kNowhere, kInPage, kInBuffer };

struct TxtParse {
  Cursor c;
  uint8_t *vectors;
  uint8_t (*block)[128];
  Frame *image;
  int next = 0;                  // the next free page
  std::bitset<0x10000> claimed;  // addresses a section has given their byte

  // One space, then one line end, as the data file's separator, but a CR only with its
  // LF: "\r@" must not take the "@" of the next section for a line's LF.
  void Separator() {
    if (c.Peek() == ' ') c.Skip(1);
    if (c.StartsWith("\r\n")) c.Skip(2);
  }

  // Bytes into dest[from..to), the first for `address`, until the section ends at the
  // next "@" or "q". Bytes beyond `to` are left for the next step, which refuses them.
  // A byte is two digits ended by a space, a line end or the text's end ("112" is no
  // byte). No address takes its byte from two sections, save that 0xFF in a page
  // programs nothing: the tool writes a file's top page back with 0xFF for
  // 0xFF60..0xFF7F, and a part page back whole, 0xFF where other sections' bytes go.
  Filled Fill(uint8_t *dest, int from, int to, int address, Kept kept) {
    for (int i = from; i < to; ++i, ++address) {
      Separator();
      if (c.Peek() == '@' || c.Peek() == 'q') return Filled::kSectionEnd;
      if (!c.TakeByte(&dest[i])) return Filled::kMalformed;
      if (c.Peek() != ' ' && c.Peek() != '\r' && c.Peek() != '\0') return Filled::kMalformed;
      if (kept == Kept::kNowhere || (kept == Kept::kInPage && dest[i] == 0xFF)) continue;
      if (claimed[static_cast<size_t>(address)]) return Filled::kMalformed;
      claimed[static_cast<size_t>(address)] = true;
    }
    return Filled::kFull;
  }

  bool Region(uint8_t *dest, int from, int to, int address, Kept kept = Kept::kInBuffer) {
    return Fill(dest, from, to, address, kept) != Filled::kMalformed;
  }

  // Program memory from `address` on, one page per 128 bytes. A page that would
  // start above the top page is placed within the top page at its own offset.
  bool Program(uint16_t address) {
    while (next < kPages) {
      Frame &page = image[next];
      const uint16_t start = address > kTopPage ? kTopPage : address;
      BeginPage(page, start);
      ++next;
      const Filled filled = Fill(page, kDataStart + (address - start), kDataEnd, address, Kept::kInPage);
      if (filled != Filled::kFull) return filled == Filled::kSectionEnd;
      // The page reached 0xFFDF: what the section still holds belongs to the vector
      // area. It is not stored (a unit's read gives its vectors here and again in
      // their own section), and nothing beyond it is taken for it.
      if (start == kTopPage) {
        uint8_t discarded[kVectorBytes];
        return Region(discarded, 0, kVectorBytes, kVectorArea, Kept::kNowhere);
      }
      // A blank line ends the section, as after a settings segment: it must not begin
      // a page the file does not fill.
      Separator();
      if (IsBlank(c.Peek()) || c.Peek() == '@' || c.Peek() == 'q') return true;
      address = static_cast<uint16_t>(address + 128);
    }
    return true;
  }

  bool Section(uint16_t address) {
    if (address < 0x1000) return true;
    if (address < 0x1080) {
      // Linkers and srec_cat write both information segments as one section "@1000":
      // past 0x107F come segment 1's addresses.
      const Filled filled = Fill(block[0], address - 0x1000, 128, address, Kept::kInBuffer);
      if (filled != Filled::kFull) return filled == Filled::kSectionEnd;
      Separator();
      if (IsBlank(c.Peek()) || c.Peek() == '@' || c.Peek() == 'q') return true;  // segment 0 alone
      return Region(block[1], 0, 128, 0x1080);
    }
    if (address < 0x1100) return Region(block[1], address - 0x1080, 128, address);
    if (address >= kVectorArea) return Region(vectors, address - kVectorArea, kVectorBytes, address);
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

  TxtParse p{Cursor(text), vectors, block, image, 0, {}};
  for (;;) {
    p.Separator();
    // Only blank lines may stand before the next address line: anything else is
    // data its section had no room for, or a text that ends without "q".
    p.c.SkipBlanks();
    uint16_t address;
    if (!TakeAddressLine(p.c, &address) || !p.Section(address)) return nullptr;
    p.Separator();
    if (p.c.Peek() == 'q') break;
  }
  RefreshCheckBytes(image);
  return p.c.Position();
}
