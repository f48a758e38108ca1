/* The header as a C program sees it: loads the library by name from this program's
 * folder, binds the six exports and calls each once. Exit code 0 on success. */
#include <stdio.h>
#include <string.h>

#include "formats/ventrix.h"

#if defined(_WIN32)
#include <windows.h>
typedef HMODULE Library;
static Library OpenLibrary(void) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/')
    --n;
  path[n] = '\0';
  if (n + sizeof "ventrix.dll" > MAX_PATH) return NULL;
  strcat(path, "ventrix.dll");
  return LoadLibraryA(path);
}
static void *Symbol(Library library, const char *name) {
  FARPROC p = GetProcAddress(library, name);
  void *symbol;
  memcpy(&symbol, &p, sizeof symbol);
  return symbol;
}
#else
#include <dlfcn.h>
#include <unistd.h>
typedef void *Library;
static Library OpenLibrary(void) {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return NULL;
  while (n > 0 && path[n - 1] != '/')
    --n;
  path[n] = '\0';
  if ((size_t)n + sizeof "libventrix.so" > sizeof path) return NULL;
  strcat(path, "libventrix.so");
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
static void *Symbol(Library library, const char *name) {
  return dlsym(library, name);
}
#endif

static int failures = 0;

static void Check(int ok, const char *what) {
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

/* Binds `name` into the function pointer at `slot` (object and function pointers
 * are converted through memcpy, which ISO C allows). */
static int Bind(Library library, const char *name, void *slot, size_t size) {
  void *symbol = Symbol(library, name);
  if (!symbol) {
    printf("FAILED: %s not exported\n", name);
    return 0;
  }
  memcpy(slot, &symbol, size);
  return 1;
}

static uint8_t block[2][128];
static uint8_t txImage[512][138], rxImage[512][138];
static uint8_t txVectors[32], rxVectors[32];

int main(void) {
  uint8_t (*deHamming)(uint8_t);
  uint8_t (*reHamming)(uint8_t);
  int32_t (*checkSum)(uint8_t *, int32_t);
  const char *(*arrangeRilo)(const char *, uint8_t(*)[128]);
  const char *(*arrangeTxt)(const char *, uint8_t *, uint8_t(*)[128], uint8_t(*)[138]);
  const char *(*arrangeDat)(const char *, uint8_t *, uint8_t *, uint8_t(*)[128], uint8_t(*)[138],
                            uint8_t(*)[138]);
  Library library = OpenLibrary();
  if (!library) {
    printf("FAILED: the library does not load\n");
    return 1;
  }
  if (!Bind(library, "DeHamming", &deHamming, sizeof deHamming) ||
      !Bind(library, "ReHamming", &reHamming, sizeof reHamming) ||
      !Bind(library, "CheckSum", &checkSum, sizeof checkSum) ||
      !Bind(library, "ArrangeRilo", &arrangeRilo, sizeof arrangeRilo) ||
      !Bind(library, "ArrangeTxt", &arrangeTxt, sizeof arrangeTxt) ||
      !Bind(library, "ArrangeDat", &arrangeDat, sizeof arrangeDat))
    return 1;

  Check(deHamming(0xA) == 0xA5, "DeHamming(0xA)");
  Check(reHamming(0x69) == 0x7, "ReHamming(0x69)");
  {
    uint8_t frame[6] = {0x01, 0x02, 0x03, 0x04, 0x00, 0x00};
    Check(checkSum(frame, 6) == 0 && frame[4] == 0xFD && frame[5] == 0xF9, "CheckSum");
    Check(checkSum(frame, 1) == -1, "CheckSum refuses a length of 1");
  }
  {
    /* key 00, every stored byte 0x11 */
    char text[512] = "Setup\r\n";
    int i;
    for (i = 0; i < 128; ++i)
      strcat(text, i == 127 ? "00" : (i % 16 == 15 ? "11\r\n" : "11 "));
    strcat(text, "\r\nq\r\n");
    {
      const char *rest = arrangeRilo(text, block);
      Check(rest && strcmp(rest, "\r\nq\r\n") == 0 && block[1][0] == 0x11 && block[1][127] == 0,
            "ArrangeRilo");
    }
    Check(arrangeRilo("x", block) != NULL && strcmp(arrangeRilo("x", block), "x") == 0,
          "ArrangeRilo returns a text of another format unchanged");
  }
  {
    const char *text = "@FFE0\r\n12 34\r\n@F000\r\nAB\r\nq\r\n";
    const char *rest;
    memset(txImage, 0xFF, sizeof txImage);
    rest = arrangeTxt(text, txVectors, block, txImage);
    Check(rest && rest[0] == 'q' && txVectors[1] == 0x34 && txImage[0][5] == 0xF0 && txImage[0][8] == 0xAB,
          "ArrangeTxt");
    Check(arrangeTxt("@G000\r\nq\r\n", txVectors, block, txImage) == NULL,
          "ArrangeTxt refuses a bad address");
  }
  {
    const char *text =
        "TX\r\n01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01\r\n"
        "01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01\r\n"
        "TX@FFFF\r\nRX@FFFF\r\nq\r\n";
    const char *rest = arrangeDat(text, txVectors, rxVectors, block, txImage, rxImage);
    Check(rest && rest[0] == 'q' && txVectors[31] == 0x01, "ArrangeDat");
    Check(arrangeDat("TZ\r\n", txVectors, rxVectors, block, txImage, rxImage) == NULL,
          "ArrangeDat refuses an unknown label");
  }
  printf("%d failed\n", failures);
  return failures ? 1 : 0;
}
