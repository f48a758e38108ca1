// Files as the parsers take them: read as bytes, checked to be text of a sensible
// size, every line break made CR LF. And files written whole or not at all.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace rilo {

// No file the tool reads comes near this size (a data file of two full images is
// under 400 KB); anything larger is not one of them.
inline constexpr size_t kMaxFileSize = 1 << 20;

// A path given as UTF-8 text (what the window's dialogs and the command line give).
std::filesystem::path PathFromUtf8(std::string_view path);

// The whole file at `path` as bytes; nothing, with the system's reason in *reason,
// when it cannot be read. Files larger than kMaxFileSize are not read beyond that size
// plus one byte, which is enough for ParserText to refuse them.
std::optional<std::string> ReadFileBytes(const std::string &path, std::string *reason);

// The text a parser takes from a file's bytes: every line break (CR, LF or CR LF)
// turned into CR LF. Nothing for bytes that are empty, larger than kMaxFileSize, or not
// text (a NUL or another control character than tab, CR and LF).
std::optional<std::string> ParserText(std::string_view bytes);

// Writes `content` to `path` whole or not at all: into a new file in the same folder,
// which then replaces the target, so a failed write leaves the old file as it was.
// False with the system's reason in *reason when it fails.
bool WriteFileAtomically(const std::string &path, std::string_view content, std::string *reason);

}  // namespace rilo
