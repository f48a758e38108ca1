// rilo-cli run as a program: show a file, set choices, show again, and refuse what
// it cannot do without writing anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/testing/programs.h"
#include "files/file_writers.h"
#include "files/testing/earlier_release_file.h"
#include "settings/testing/editor_bench.h"

namespace rilo {
namespace {

namespace fs = std::filesystem;

using Result = testing::ProgramResult;
using testing::ReadWholeFile;

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    lines.push_back(l);
  return lines;
}

class CliTest : public ::testing::Test {
 protected:
  std::string Path(const std::string &name) const { return scratch_.Path(name); }
  Result Run(const std::string &args) const { return testing::RunProgram("rilo-cli", args, scratch_); }

  // A Q12 unit's settings: ID code 123456, East/West three-speed acceleration, EMS
  // count 140, the start key latching.
  SettingsImage Unit() const {
    testing::EditorBench b;
    for (OptionList *l : b.editor.form.Lists())
      if (l->enabled) b.editor.Pick(*l, 0);
    b.Pick("CBTxEMSCont", 13);
    b.Pick("CBEWAction", 7);
    SettingsImage image = b.editor.Image;
    const uint8_t id[] = {0x0F, 0x33, 0x0F, 0x33, 0x3C, 0x55, 0x5A, 0x66};  // "12" "123456"
    for (int i = 0; i < 8; ++i)
      B1(image, i) = id[i];
    return image;
  }

  std::string WriteRilo(const std::string &name, const SettingsImage &image) const {
    std::ofstream(Path(name), std::ios::binary) << JoinCrLf(SettingsFileLines(image, CustomerRecord{}));
    return Path(name);
  }

  testing::ScratchFolder scratch_{"rilo-cli-test"};
};

TEST_F(CliTest, ShowPrintsModelIdAndEveryListInFormOrder) {
  const std::string file = WriteRilo("unit.rilo", Unit());
  const Result r = Run("show \"" + file + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  const auto lines = Lines(r.out);
  const Form form;
  ASSERT_EQ(lines.size(), 2 + form.Lists().size() + kCustomerFieldCount);
  EXPECT_EQ(lines[0], "MachineType=12");
  EXPECT_EQ(lines[1], "EEqupmentID=12123456");
  for (size_t i = 0; i < form.Lists().size(); ++i)
    EXPECT_TRUE(lines[2 + i].starts_with(form.Lists()[i]->name + "=")) << lines[2 + i];

  const std::string out = r.out;
  EXPECT_NE(out.find("\nCBTxEMSCont=13\t140   次\n"), std::string::npos);
  EXPECT_NE(out.find("\nCBEWAction=7\t三速加速                        三速加速\n"), std::string::npos);
  EXPECT_NE(out.find("\nCBR0Action=2\t寸 動/加速\n"), std::string::npos);
  EXPECT_NE(out.find("\nCBR0EMS=0\t受急停控制\tdisabled\n"), std::string::npos);
  EXPECT_NE(out.find("\nCBEWInterLock=0\t相   互   抑   制   延   遲      0    秒\n"), std::string::npos);
}

TEST_F(CliTest, ShowMarksListsWithoutChoiceAndHiddenLists) {
  SettingsImage zero{};
  std::ofstream(Path("zero.bin"), std::ios::binary).write(reinterpret_cast<const char *>(zero.data()), 256);
  const Result r = Run("show --raw \"" + Path("zero.bin") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("MachineType=\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBUDAction=-\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBR0InchTime=7\t4.0  秒\tdisabled\thidden\n"), std::string::npos);
}

TEST_F(CliTest, SetPicksAsAPersonDoesAndShowSeesTheResult) {
  const std::string file = WriteRilo("unit.rilo", Unit());
  // Leaving acceleration frees the start key; latch shows its EMS choice.
  Result r = Run("set \"" + file + "\" CBEWAction=1 CBR0Action=1 CBR0EMS=0 CBSNAction=15 -o \"" +
                 Path("out.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string written = ReadWholeFile(Path("out.rilo"));
  EXPECT_TRUE(written.starts_with("Setup\r\n"));
  EXPECT_NE(written.find("\r\nq\r\nCustomer No:\r\nCompany Name:\r\n"), std::string::npos);
  EXPECT_TRUE(written.ends_with("Frequency:\r\nEnd\r\n"));

  r = Run("show \"" + Path("out.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("\nCBEWAction=1\t"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBR0Action=1\t捺 跳\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBR0EMS=0\t受急停控制\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBSNAction=15\t"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBR12Action=17\t"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBR34Action=17\t"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBTxEMSCont=13\t"), std::string::npos);
}

TEST_F(CliTest, AnEarlierReleasesFileShowsItsCustomerAndSetKeepsItAsItWas) {
  std::ofstream(Path("old.rilo"), std::ios::binary) << testing::kEarlierReleaseFile;
  Result r = Run("show \"" + Path("old.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string::size_type customer = r.out.find("\nCUSTOMER.");
  ASSERT_NE(customer, std::string::npos);
  EXPECT_EQ(r.out.substr(customer + 1),
            "CUSTOMER.ECustomerNo=A-1024\n"
            "CUSTOMER.ECompanyName=台灣遙控股份有限公司\n"
            "CUSTOMER.ECompanyFax=02-2345-6789\n"
            "CUSTOMER.ECompanyTel=02-2345-6788\n"
            "CUSTOMER.ECompanyEmail=service@example.com.tw\n"
            "CUSTOMER.MCompanyAdd=台北市信義區\\n松仁路100號\n"
            "CUSTOMER.EContectName=陳大文\n"
            "CUSTOMER.EContectTel=02-2345-6700\n"
            "CUSTOMER.EContectMobil=0912-345-678\n"
            "CUSTOMER.EContectEmail=chen@example.com.tw\n"
            "CUSTOMER.MRemark=天車 3 號\n"
            "CUSTOMER.EChanel=5\n"
            "CUSTOMER.EFrequency=447.650\n");

  // The record goes with the settings, in the code page the earlier releases read.
  r = Run("set \"" + Path("old.rilo") + "\" -o \"" + Path("new.rilo") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string_view old = testing::kEarlierReleaseFile;
  const std::string written = ReadWholeFile(Path("new.rilo"));
  EXPECT_TRUE(written.ends_with(old.substr(old.find("\r\nq\r\n")))) << written;
}

TEST_F(CliTest, RawImagesInAndOut) {
  const SettingsImage unit = Unit();
  std::ofstream(Path("unit.bin"), std::ios::binary).write(reinterpret_cast<const char *>(unit.data()), 256);
  const Result r = Run("set --raw \"" + Path("unit.bin") + "\" CBTxEMSCont=0 -o \"" + Path("out.bin") + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  const std::string out = ReadWholeFile(Path("out.bin"));
  ASSERT_EQ(out.size(), 256u);
  for (int n = 0; n < 256; ++n)
    EXPECT_EQ(static_cast<uint8_t>(out[n]), n == kBlock1 + 21 ? 5 : unit[n]) << "offset " << n;
}

TEST_F(CliTest, ControlSetChosenOnTheCommandLine) {
  const std::string file = WriteRilo("unit.rilo", Unit());
  const Result r = Run("show --q10 \"" + file + "\"");
  ASSERT_EQ(r.exit, 0) << r.err;
  EXPECT_NE(r.out.find("MachineType=10\nEEqupmentID=10123456\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nCBEWAction=-\n"), std::string::npos);  // entry 7 is not in the Q10 list
  EXPECT_NE(r.out.find("\nCBR34Action=0\t普 通                                       普 通\tdisabled\n"),
            std::string::npos);
}

TEST_F(CliTest, RefusesWithAClearMessageAndWritesNothing) {
  const std::string file = WriteRilo("unit.rilo", Unit());
  std::ofstream(Path("short.bin"), std::ios::binary) << "too short";
  std::ofstream(Path("text.rilo"), std::ios::binary) << "Hello\r\n";
  std::ofstream(Path("cut.rilo"), std::ios::binary) << "Setup\r\n00 11 22\r\n";
  const std::string out = " -o \"" + Path("out.rilo") + "\"";
  struct Case {
    std::string args, message;
  } cases[] = {
      {"set \"" + file + "\" CBNoSuchList=1" + out, "CBNoSuchList"},
      {"set \"" + file + "\" CBUDAction=15" + out, "CBUDAction 沒有第 15 項 (可選 0 到 14)"},
      {"set \"" + file + "\" CBEastEMS=1" + out, "CBEastEMS 目前停用"},
      {"set \"" + file + "\" CBEWAction=0 CBR0Action=0 CBR0InchTime=1" + out, "CBR0InchTime 目前隱藏"},
      {"set \"" + file + "\" CBUDAction=one" + out, "CBUDAction=one"},
      {"set \"" + Path("missing.rilo") + "\" CBUDAction=1" + out, "無法讀取檔案"},
      {"set \"" + scratch_.path().string() + "\" CBUDAction=1" + out, "是資料夾"},
      {"set \"" + Path("text.rilo") + "\" CBUDAction=1" + out, "不是設定檔"},
      {"set \"" + Path("cut.rilo") + "\" CBUDAction=1" + out, "格式錯誤"},
      {"set --raw \"" + Path("short.bin") + "\" CBUDAction=1" + out, "256"},
      {"set \"" + file + "\" CBUDAction=1", "-o"},
      {"frobnicate", "frobnicate"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    const Result r = Run(c.args);
    EXPECT_NE(r.exit, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("out.rilo")));
  }
}

TEST_F(CliTest, HelpAndVersionAnswerOnStandardOutputAndAWrongLineOnStandardError) {
  const Result help = Run("--help");
  EXPECT_EQ(help.exit, 0);
  EXPECT_NE(
      help.out.find("rilo-cli read PORT[,PORT...] -o FILE.rilo [--log FILE.csv] [--ledger URL] [--finish]\n"),
      std::string::npos)
      << help.out;
  EXPECT_EQ(help.err, "");

  const Result version = Run("--version");
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out, "rilo-cli " RILO_VERSION "\n");

  const Result none = Run("");
  EXPECT_EQ(none.exit, 2);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, help.out);
}

}  // namespace
}  // namespace rilo
