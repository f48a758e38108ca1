// Files as the parsers take them: read as bytes, checked to be text of a sensible
// size, every line break made CR LF. And files written whole or not at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/file_system.h"

namespace rilo {

// The whole file at `path` as bytes; nothing, with the reason in *reason, when it
// cannot be read or is not a regular file (a folder, a pipe, a device). A file larger than
// kMaxFileSize is not read and answers no bytes, which ParserText refuses as it
// refuses any file not of the formats.
std::optional<std::string> ReadFileBytes(const std::string &path, std::string *reason);

// The text a parser takes from a file's bytes: every line break (CR, LF or CR LF)
// turned into CR LF. Nothing for bytes that are empty, larger than kMaxFileSize, or not
// text (a NUL or another control character than tab, CR and LF).
std::optional<std::string> ParserText(std::string_view bytes);

// Writes `content` to `path` whole or not at all (FileSystem::WriteAtomically), so a
// failed write leaves the old file as it was. False with the reason in *reason.
bool WriteFileAtomically(const std::string &path, std::string_view content, std::string *reason);

}  // namespace rilo
