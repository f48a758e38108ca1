// The customer block's two encodings. The earlier releases ran on Traditional Chinese
// Windows and wrote the block in the system code page (950, Big5); this release keeps
// text as UTF-8 inside and writes code page 950 where it can, so the benches that still
// run the earlier releases read our files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rilo {

// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF).
bool IsUtf8(std::string_view bytes);

// Code page 950 bytes as UTF-8; a byte that starts no character becomes U+FFFD.
std::string Utf8FromCodePage950(std::string_view bytes);

// UTF-8 text in code page 950; nothing when a character has no form there.
std::optional<std::string> CodePage950FromUtf8(std::string_view utf8);

// A file's text as the tool keeps it: valid UTF-8 as it is, anything else read as code
// page 950.
std::string TextFromFile(std::string_view bytes);

// Text as a file keeps it: code page 950 when every character has a form there and
// the bytes cannot be taken for UTF-8 when read again; UTF-8 otherwise.
std::string TextForFile(std::string_view utf8);

}  // namespace rilo
