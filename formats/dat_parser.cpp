// Firmware data file: labelled sections ("TX", "RX" vectors; "@10xx" settings rows;
// "TX@", "RX@" program runs), ended by "q". A run is one address and a stream of
// bytes: pages 128 bytes apart up to the top page, then the 32 vector bytes again.
#include "formats/page_frames.h"
#include "formats/text_cursor.h"
#include "formats/ventrix.h"

namespace ventrix {
namespace {

struct DatParse {
  Cursor c;

  // Exactly `count` bytes; outside runs nothing marks the end of a section.
  bool Bytes(uint8_t *dest, int count) {
    for (int i = 0; i < count; ++i) {
      c.SkipSeparator();
      if (!c.TakePair(&dest[i])) return false;
    }
    return true;
  }

  // Run bytes into dest[from..to). The run must not end inside a page: a run that
  // stops short of the top page has lost or gained pages, and its bytes would land
  // at the wrong addresses.
  bool RunBytes(uint8_t *dest, int from, int to, const char *end) {
    for (int i = from; i < to; ++i) {
      c.SkipSeparator();
      if (c.StartsWith(end) || !c.TakePair(&dest[i])) return false;
    }
    return true;
  }

  // Reads the run after "TX@"/"RX@" into `image`; `end` is what follows it.
  bool Run(Frame *image, const char *end) {
    uint16_t address;
    if (!TakeAddressLine(c, &address)) return false;
    // Page 0 unused writes the start address FFFF: no page, only the vectors follow.
    // Otherwise pages 0, 1, 2 ... up to the top page, which even a run from 0x0000
    // reaches at page 511. A run of the top page alone fills page 0, so saving the
    // image again names its address, not FFFF.
    if (address < kVectorArea) {
      for (int n = 0; n < kPages; ++n) {
        const bool top = address > kTopPage;
        const int start = top ? kDataStart + (address - kTopPage) : kDataStart;
        BeginPage(image[n], top ? kTopPage : address);
        if (!RunBytes(image[n], start, kDataEnd, end)) return false;
        // A page at 0xFF60 read whole reaches 0xFFDF as the top page does.
        if (top || address == kTopPage) break;
        address = static_cast<uint16_t>(address + 128);
      }
    }
    // The vectors again: not stored (the "TX" and "RX" sections hold them), and
    // nothing beyond their 32 bytes is taken for them.
    for (int i = 0; i < kVectorBytes; ++i) {
      c.SkipSeparator();
      uint8_t discarded;
      if (c.StartsWith(end)) break;
      if (!c.TakePair(&discarded)) return false;
    }
    c.SkipSeparator();
    return true;
  }
};

}  // namespace
}  // namespace ventrix

extern "C" const char *ArrangeDat(const char *text, uint8_t *txVectors, uint8_t *rxVectors,
                                  uint8_t (*block)[128], uint8_t (*txImage)[138], uint8_t (*rxImage)[138]) {
  using namespace ventrix;
  if (!text || !txVectors || !rxVectors || !block || !txImage || !rxImage) return nullptr;
  if (text[0] != 'T') return text;

  DatParse p{Cursor(text)};
  for (;;) {
    p.c.SkipSeparator();
    bool ok;
    if (p.c.StartsWith("TX\r")) {
      p.c.Skip(4);
      ok = p.Bytes(txVectors, kVectorBytes);
    } else if (p.c.StartsWith("RX\r")) {
      p.c.Skip(4);
      ok = p.Bytes(rxVectors, kVectorBytes);
    } else if (p.c.StartsWith("@10")) {
      // The label fixes the high byte at 0x10; the low bits choose the row but do
      // not move the offset.
      uint16_t address;
      ok = TakeAddressLine(p.c, &address) && p.Bytes(block[address < 0x1080 ? 0 : 1], 128);
    } else if (p.c.StartsWith("TX@")) {
      p.c.Skip(2);
      // The transmitter run must be followed by the receiver's.
      ok = p.Run(txImage, "RX@") && p.c.StartsWith("RX@");
    } else if (p.c.StartsWith("RX@")) {
      p.c.Skip(2);
      ok = p.Run(rxImage, "q");
    } else {
      ok = false;  // a label the format does not know, or a text that ends without "q"
    }
    if (!ok) return nullptr;
    if (p.c.Peek() == 'q') break;
  }
  RefreshCheckBytes(txImage);
  RefreshCheckBytes(rxImage);
  return p.c.Position();
}
