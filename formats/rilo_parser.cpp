// Settings file: "Setup", block 1 as eight lines of sixteen pairs XOR-scrambled with a
// key stored in place of byte 127, "q", then the customer block, handed back unread.
#include "formats/text_cursor.h"
#include "formats/ventrix.h"

namespace ventrix {
namespace {

constexpr size_t kHeader = 7;       // "Setup" CR LF, whatever its characters
constexpr size_t kKeyOffset = 388;  // the 128th pair, counted after the header
constexpr int kStoredBytes = 128;
constexpr int kLineBytes = 16;

// The key is converted with "0x" put in front before the blanks are trimmed, so a
// trailing blank is dropped but a leading one makes it no number.
bool KeyValue(std::string_view chars, uint8_t *key) {
  while (!chars.empty() && IsBlank(chars.back()))
    chars.remove_suffix(1);
  return HexValue(chars, key);
}

}  // namespace
}  // namespace ventrix

extern "C" const char *ArrangeRilo(const char *text, uint8_t (*block)[128]) {
  using namespace ventrix;
  if (!text || !block) return nullptr;
  if (text[0] != 'S') return text;

  Cursor c(text);
  c.Skip(kHeader);
  // The key is found by position, not by reading up to it: an extra character
  // earlier in the file moves the key but not the pairs.
  uint8_t key;
  if (!KeyValue(c.Chars(kKeyOffset, 2), &key)) return nullptr;

  // Eight lines of sixteen pairs, as the key's position assumes: a line end after
  // every sixteenth pair and nowhere else, and after the last one only the end of the
  // text or a line end and "q". A line a pair long or short would move the key.
  uint8_t *row = block[1];
  for (int i = 0; i < kStoredBytes; ++i) {
    const bool lineEnd = c.SkipSeparator();
    if (i > 0 && lineEnd != (i % kLineBytes == 0)) return nullptr;
    uint8_t stored;
    if (!c.TakePair(&stored)) return nullptr;
    row[i] = static_cast<uint8_t>(stored ^ key);
  }
  Cursor after = c;
  const bool lineEnd = after.SkipSeparator();
  if (after.Remaining() != 0 && !(lineEnd && after.Peek() == 'q')) return nullptr;
  return c.Position();
}
