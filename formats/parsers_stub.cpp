// Temporary: the three parsers are being written; until then they refuse everything.
#include "formats/ventrix.h"
extern "C" const char *ArrangeRilo(const char *, uint8_t (*)[128]) { return nullptr; }
extern "C" const char *ArrangeTxt(const char *, uint8_t *, uint8_t (*)[128], uint8_t (*)[138]) { return nullptr; }
extern "C" const char *ArrangeDat(const char *, uint8_t *, uint8_t *, uint8_t (*)[128], uint8_t (*)[138],
                                  uint8_t (*)[138]) {
  return nullptr;
}
