// Settings files' customer block in the encodings the benches have written: code page
// 950 from the earlier releases, UTF-8 where code page 950 has no form.
#include "files/code_page.h"

#include <gtest/gtest.h>

#include "files/file_writers.h"
#include "files/testing/earlier_release_file.h"

namespace rilo {
namespace {

using testing::kEarlierReleaseCustomer;
using testing::kEarlierReleaseFile;

// What the settings-file parser leaves after the hexadecimal lines.
std::string_view CustomerTextOf(std::string_view file) {
  return file.substr(file.find("\r\nq\r\n"));
}

CustomerRecord EarlierReleaseRecord() {
  CustomerRecord record;
  for (size_t f = 0; f < record.texts.size(); ++f)
    record.texts[f] = kEarlierReleaseCustomer[f];
  return record;
}

TEST(CodePage950, AnEarlierReleasesFileShowsItsChinese) {
  const CustomerRecord read = ReadCustomerBlock(CustomerTextOf(kEarlierReleaseFile));
  for (size_t f = 0; f < read.texts.size(); ++f)
    EXPECT_EQ(read.texts[f], kEarlierReleaseCustomer[f]) << kCustomerFields[f].key;
}

TEST(CodePage950, ARecordWithAFormThereIsWrittenAsTheEarlierReleasesWroteIt) {
  SettingsImage image{};
  B1(image, 0) = 0x0F;
  B1(image, 1) = 0x33;
  EXPECT_EQ(JoinCrLf(SettingsFileLines(image, EarlierReleaseRecord())), kEarlierReleaseFile);
}

TEST(CodePage950, ARecordWithoutAFormThereIsWrittenWholeInUtf8AndReadBackTheSame) {
  const struct {
    const char *why;
    const char *remark;
    bool otherFieldsChinese;  // the whole block goes one way
  } cases[] = {
      {"a simplified character", "他们", true},
      {"a character beyond the basic plane", "\xF0\x9F\x98\x80", true},
      // Big5 C4 A1 is also the UTF-8 of U+0121: written in Big5 it would read back wrong.
      {"Big5 bytes that read as UTF-8", "纂", false},
  };
  for (const auto &c : cases) {
    CustomerRecord record;
    if (c.otherFieldsChinese) record = EarlierReleaseRecord();
    record.texts[10] = c.remark;
    const std::string block = JoinCrLf(CustomerBlockLines(record));
    const std::string file = JoinCrLf(SettingsFileLines(SettingsImage{}, record));
    EXPECT_NE(file.find(block), std::string::npos) << c.why;
    const CustomerRecord back = ReadCustomerBlock(CustomerTextOf(file));
    EXPECT_EQ(back.texts, record.texts) << c.why;
  }
}

TEST(CodePage950, TheCodePagesOwnAdditionsAndBrokenBytes) {
  EXPECT_EQ(CodePage950FromUtf8("€碁"), "\xA3\xE1\xF9\xD6");
  EXPECT_EQ(Utf8FromCodePage950("\xA3\xE1\xF9\xD6"), "€碁");
  // A lead byte without its trail byte, or with a byte that trails nothing, is not
  // dropped silently: the person sees where the file is broken.
  EXPECT_EQ(Utf8FromCodePage950("A\xA5"), "A\xEF\xBF\xBD");
  EXPECT_EQ(Utf8FromCodePage950("\xA1"
                                "0B"),
            "\xEF\xBF\xBD"
            "0B");
}

TEST(IsUtf8, TellsWellFormedTextApart) {
  const struct {
    std::string_view bytes;
    bool utf8;
  } cases[] = {
      {"", true},
      {"Setup", true},
      {"客戶", true},
      {"\xF0\x9F\x98\x80", true},
      {"\xC0\x80", false},          // overlong NUL
      {"\xE0\x80\xAF", false},      // overlong "/"
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xE5\xAE", false},          // cut short
      {"\xA5x", false},             // Big5
      {"\xFF", false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(IsUtf8(c.bytes), c.utf8) << ::testing::PrintToString(std::string(c.bytes));
}

}  // namespace
}  // namespace rilo
