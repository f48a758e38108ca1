// A settings file as the earlier releases wrote it on Traditional Chinese Windows: the
// customer block in code page 950 (Big5). The bytes were made by `iconv -f UTF-8 -t
// BIG5` from the text of kEarlierReleaseCustomer, not by this tool.
#pragma once

#include <array>
#include <string_view>

namespace rilo::testing {

inline constexpr std::string_view kEarlierReleaseFile =
    "Setup\r\n"
    "0F 33 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
    "q\r\n"
    "Customer No:A-1024\r\n"
    "Company Name:\xA5x\xC6W\xBB\xBB\xB1\xB1\xAA\xD1\xA5\xF7\xA6\xB3\xAD\xAD\xA4\xBD\xA5q\r\n"
    "Company Fax No:02-2345-6789\r\n"
    "Company Tel:02-2345-6788\r\n"
    "Company E-Mail:service@example.com.tw\r\n"
    "Company Address:\xA5x\xA5_\xA5\xAB\xABH\xB8q\xB0\xCF\r\n"
    "\xAAQ\xA4\xAF\xB8\xF4"
    "100\xB8\xB9\r\n"
    "Contect Man:\xB3\xAF\xA4j\xA4\xE5\r\n"
    "Contect Tel:02-2345-6700\r\n"
    "Contect Mobile:0912-345-678\r\n"
    "Contect E-mail:chen@example.com.tw\r\n"
    "Remark:\xA4\xD1\xA8\xAE 3 \xB8\xB9\r\n"
    "Chanel:5\r\n"
    "Frequency:447.650\r\n"
    "End\r\n";

// The thirteen fields that file holds, as the customer page shows them.
inline constexpr std::array<std::string_view, 13> kEarlierReleaseCustomer = {
    "A-1024",
    "台灣遙控股份有限公司",
    "02-2345-6789",
    "02-2345-6788",
    "service@example.com.tw",
    "台北市信義區\r\n松仁路100號",
    "陳大文",
    "02-2345-6700",
    "0912-345-678",
    "chen@example.com.tw",
    "天車 3 號",
    "5",
    "447.650",
};

}  // namespace rilo::testing
