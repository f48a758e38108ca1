// The settings a command reads and writes: settings files (.rilo), parsed by Ventrix
// as the open command parses them, and raw 256-byte images. Failures answer nothing
// and say why in *error; a file is written whole or not at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/ventrix_api.h"
#include "files/customer_record.h"
#include "settings/settings_image.h"

namespace rilo {

// A text file's whole content with every line break as CR LF, which is how the open
// command hands a file's text to the parsers.
std::optional<std::string> ReadFileText(const std::string &path, std::string *error);

// A settings file's content: block 1 (block 0 is zero, as the open command leaves it)
// and the customer record after it.
struct SettingsFile {
  SettingsImage image{};
  CustomerRecord customer;
};

std::optional<SettingsFile> ReadSettingsFile(const std::string &path, const VentrixApi &ventrix,
                                             std::string *error);

std::optional<SettingsImage> ReadRawImage(const std::string &path, std::string *error);

bool WriteSettingsFile(const std::string &path, const SettingsFile &file, std::string *error);

bool WriteRawImage(const std::string &path, const SettingsImage &image, std::string *error);

}  // namespace rilo
