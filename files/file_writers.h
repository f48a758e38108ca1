// Writers of the three file formats: pure functions from the tool's buffers to the
// lines of a file. They take the images as they are; the save command stamps the
// identity bytes into the working settings before it calls them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/customer_record.h"
#include "firmware/firmware_image.h"
#include "settings/settings_image.h"

namespace rilo {

using TextLines = std::vector<std::string>;  // lines without their CR LF

// The file text: every line, the last included, ends in CR LF.
std::string JoinCrLf(const TextLines &lines);

// The thirteen "Key:"+text lines and "End". A memo's inner CR LF pairs split it over
// several lines of the file.
TextLines CustomerBlockLines(const CustomerRecord &customer);

// The reverse, PutCompanyData's reading of what a settings file holds after its
// hexadecimal lines (CR LF, "q", CR LF, then the block). A field's text runs from its
// key to the next line that begins with the following key ("End" after the last);
// keys are matched only at the start of a line, so a remark may name another key. A
// memo drops only the CR LF that ended its last line; a single-line field drops every
// line break. A key that never follows ends the reading there: the fields after it
// stay empty. A block that is not UTF-8 is read as code page 950 (earlier releases).
CustomerRecord ReadCustomerBlock(std::string_view customerText);

// Settings file: "Setup", block 1 XOR-scrambled with its byte 7 as eight lines of
// sixteen (the key itself stored in place of byte 127), "q", the customer block (in
// code page 950 when all of it has a form there, else UTF-8).
TextLines SettingsFileLines(const SettingsImage &image, const CustomerRecord &customer);

// Firmware text file: "@FFE0" and the vectors, "@1000" and block 0, "@1080" and
// block 1, every used page under its own address line, "q".
TextLines FirmwareTextFileLines(const VectorTable &vectors, const SettingsImage &settings,
                                const FirmwareImage &image);

// Firmware data file: "TX" and "RX" vectors, both settings blocks, then each image
// as one run ("TX@"/"RX@" and the address of its page 0) followed by its vectors, "q".
TextLines FirmwareDataFileLines(const VectorTable &txVectors, const VectorTable &rxVectors,
                                const SettingsImage &settings, const FirmwareImage &txImage,
                                const FirmwareImage &rxImage);

// Whether a data file can carry `image` without losing or moving a byte: its run
// holds no addresses, so the used pages must be pages 0, 1, 2 ... 128 bytes apart up
// to the page 0xFF00, then end with the top page (0xFF80, or 0xFF60 holding nothing
// below 0xFF80); or no page is used. Images read from a unit and images parsed from
// a continuous text file have this shape; the save command refuses the others.
bool FitsDataFile(const FirmwareImage &image);

}  // namespace rilo
