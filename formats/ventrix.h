/* Ventrix: byte codecs and file parsers shared by the RILO1Q12 tools.
 *
 * Parsers take the whole file text (NUL-terminated, lines joined with CR LF) and
 * fill the caller's buffers in place. They return a pointer into `text` where the
 * unread rest begins; `text` itself when its first character is not the format's
 * (the caller shows the format message); NULL when the content is malformed, in
 * which case the buffers may hold what was read before the fault. Parsers read
 * nothing past the NUL. Nothing is allocated, shown or thrown. */
#ifndef VENTRIX_H
#define VENTRIX_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(VENTRIX_BUILDING)
#define VENTRIX_API __declspec(dllexport)
#else
#define VENTRIX_API __declspec(dllimport)
#endif
#else
#define VENTRIX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Hamming codeword of a hexadecimal digit 0..15; 0xEE for anything larger. */
VENTRIX_API uint8_t DeHamming(uint8_t digit);

/* Digit of a codeword; 0xEE when `codeword` is not one of the sixteen. */
VENTRIX_API uint8_t ReHamming(uint8_t codeword);

/* Folds the loader check bytes into buf[len-2] and buf[len-1]. Returns 0;
 * returns -1 and writes nothing when len is below 2. */
VENTRIX_API int32_t CheckSum(uint8_t *buf, int32_t len);

/* Settings file: fills row 1 of `block` (row 0 untouched) from eight lines of sixteen
 * pairs, followed by the end of the text or a line end and "q". */
VENTRIX_API const char *ArrangeRilo(const char *text, uint8_t (*block)[128]);

/* Firmware text file: vector table (32 bytes), settings rows, 512 page frames. An
 * address line is "@", four hexadecimal digits and CR LF; a byte is two digits; no
 * address is given a byte by two sections. */
VENTRIX_API const char *ArrangeTxt(const char *text, uint8_t *vectors, uint8_t (*block)[128],
                                   uint8_t (*image)[138]);

/* Firmware data file: both vector tables, settings rows, both images of 512 page frames. */
VENTRIX_API const char *ArrangeDat(const char *text, uint8_t *txVectors, uint8_t *rxVectors,
                                   uint8_t (*block)[128], uint8_t (*txImage)[138], uint8_t (*rxImage)[138]);

#ifdef __cplusplus
}
#endif

#endif /* VENTRIX_H */
