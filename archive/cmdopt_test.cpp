#include "archive/cmdopt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "platform/mbcs.h"
#include "platform/sysutils.h"

namespace archive {
namespace {

namespace fs = std::filesystem;

std::string Upper(const std::string& name) {
  std::string out = name;
  for (auto& ch : out)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  return out;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// One builder carried through the worked example, checking CmdLine after each call.
TEST(TCmdOptTest, WorkedExampleBuildsUpStepByStep) {
  TCmdOpt opt;
  struct Step {
    std::function<void(TCmdOpt&)> call;
    const char* expected;
  };
  const Step steps[] = {
      {[](TCmdOpt& o) { o.Add("-+"); }, " -+"},
      {[](TCmdOpt& o) { o.AddInt("a", -1); }, " -+"},
      {[](TCmdOpt& o) { o.AddInt("x", 1); }, " -+ -x1"},
      {[](TCmdOpt& o) { o.AddStr("jo", "TMP"); }, " -+ -x1 \"-joTMP\""},
      {[](TCmdOpt& o) { o.Add(""); }, " -+ -x1 \"-joTMP\" "},
      {[](TCmdOpt& o) { o.AddPath("", "/DATA/PACK.LZH"); },
       " -+ -x1 \"-joTMP\"  \"/DATA/PACK.LZH\""},
      {[](TCmdOpt& o) { o.AddDir("", "/DATA"); },
       " -+ -x1 \"-joTMP\"  \"/DATA/PACK.LZH\" \"/DATA/\""},
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    steps[i].call(opt);
    EXPECT_EQ(opt.CmdLine, steps[i].expected) << "after step " << i;
  }
}

struct OneCall {
  const char* what;
  bool separateValue;
  std::function<void(TCmdOpt&)> call;
  std::string expected;
};

// Each call on a fresh builder, with the CmdLine it leaves.
TEST(TCmdOptTest, SingleCallsOnAFreshBuilder) {
  const std::string longName(100000, 'n');
  const OneCall cases[] = {
      {"Add text", false, [](TCmdOpt& o) { o.Add("a b"); }, " a b"},
      {"Add empty twice", false, [](TCmdOpt& o) { o.Add(""), o.Add(""); }, "  "},
      {"Add NoValue adds only its blank", false, [](TCmdOpt& o) { o.Add(NoValue); }, " "},

      {"AddStr NoValue", false, [](TCmdOpt& o) { o.AddStr("jo", NoValue); }, ""},
      {"AddStr NoValue no name", false, [](TCmdOpt& o) { o.AddStr("", NoValue); }, ""},
      {"AddStr empty value", false, [](TCmdOpt& o) { o.AddStr("jo", ""); }, " \"-jo\""},
      {"AddStr empty both", false, [](TCmdOpt& o) { o.AddStr("", ""); }, " \"\""},
      {"AddStr joined", false, [](TCmdOpt& o) { o.AddStr("jo", "TMP"); }, " \"-joTMP\""},
      {"AddStr separate", true, [](TCmdOpt& o) { o.AddStr("jo", "TMP"); }, " -jo \"TMP\""},
      {"AddStr separate empty", true, [](TCmdOpt& o) { o.AddStr("jo", ""); }, " -jo \"\""},
      {"AddStr separate no name", true, [](TCmdOpt& o) { o.AddStr("", "A B"); }, " \"A B\""},
      {"AddStr blank name", false, [](TCmdOpt& o) { o.AddStr(" x", "Y"); }, " \"xY\""},
      {"AddStr blank name separate", true, [](TCmdOpt& o) { o.AddStr(" x", "Y"); },
       " x \"Y\""},
      {"AddStr name only a blank", false, [](TCmdOpt& o) { o.AddStr(" ", "Y"); }, " \"Y\""},
      {"AddStr quote and backslash kept", false,
       [](TCmdOpt& o) { o.AddStr("", "a\"b\\"); }, " \"a\"b\\\""},

      {"AddInt -1", false, [](TCmdOpt& o) { o.AddInt("a", -1); }, ""},
      {"AddInt 0", false, [](TCmdOpt& o) { o.AddInt("a", 0); }, " -a0"},
      {"AddInt -2", false, [](TCmdOpt& o) { o.AddInt("a", -2); }, " -a-2"},
      {"AddInt extremes", false, [](TCmdOpt& o) { o.AddInt("a", 127), o.AddInt("b", -128); },
       " -a127 -b-128"},
      {"AddInt separate unquoted", true, [](TCmdOpt& o) { o.AddInt("x", 1); }, " -x1"},
      {"AddInt no blank rule", false, [](TCmdOpt& o) { o.AddInt(" x", 1); }, " - x1"},
      {"AddInt empty name", false, [](TCmdOpt& o) { o.AddInt("", 5); }, " -5"},

      {"AddPath", false, [](TCmdOpt& o) { o.AddPath("", "/DATA/PACK.LZH"); },
       " \"/DATA/PACK.LZH\""},
      {"AddPath NoValue", false, [](TCmdOpt& o) { o.AddPath("", NoValue); }, ""},

      {"AddDir adds separator", false, [](TCmdOpt& o) { o.AddDir("", "/DATA"); },
       " \"/DATA/\""},
      {"AddDir keeps separator", false, [](TCmdOpt& o) { o.AddDir("", "/DATA/"); },
       " \"/DATA/\""},
      {"AddDir root", false, [](TCmdOpt& o) { o.AddDir("", "/"); }, " \"/\""},
      {"AddDir relative one char", false, [](TCmdOpt& o) { o.AddDir("", "a"); }, " \"a/\""},
      {"AddDir backslash is not ours", false, [](TCmdOpt& o) { o.AddDir("", "C:\\DATA\\"); },
       " \"C:\\DATA\\/\""},
      {"AddDir UTF-8 name", false, [](TCmdOpt& o) { o.AddDir("", "/表"); }, " \"/表/\""},
      {"AddDir empty", false, [](TCmdOpt& o) { o.AddDir("o", ""); }, ""},
      {"AddDir NoValue", false, [](TCmdOpt& o) { o.AddDir("o", NoValue); }, ""},
      {"AddDir switch", false, [](TCmdOpt& o) { o.AddDir("w", "/WORK"); }, " \"-w/WORK/\""},
      {"AddDir separate", true, [](TCmdOpt& o) { o.AddDir("o", "/OUT"); }, " -o \"/OUT/\""},

      {"AddFile", false, [](TCmdOpt& o) { o.AddFile("", "A.TXT"); }, " \"A.TXT\""},
      {"AddFiles empty list", false, [](TCmdOpt& o) { o.AddFiles("", {}); }, ""},
      {"AddFiles in order", false, [](TCmdOpt& o) { o.AddFiles("", {"A.TXT", "SUB/B.TXT"}); },
       " \"A.TXT\" \"SUB/B.TXT\""},
      {"AddFiles switch", false, [](TCmdOpt& o) { o.AddFiles("jx", {"*.BAK", "*.TMP"}); },
       " \"-jx*.BAK\" \"-jx*.TMP\""},
      {"AddFiles NoValue entry skipped", false,
       [](TCmdOpt& o) { o.AddFiles("", {"A", NoValue, ""}); }, " \"A\" \"\""},

      {"long name", false, [&](TCmdOpt& o) { o.AddDir(longName, longName); },
       " \"-" + longName + longName + "/\""},
  };
  for (const auto& c : cases) {
    TCmdOpt opt;
    opt.SeparateValue = c.separateValue;
    c.call(opt);
    EXPECT_EQ(opt.CmdLine, c.expected) << c.what;
  }
}

// The filter rewrites the names of file arguments only, never paths, strings or folders.
TEST(TCmdOptTest, FilterAppliesToFileArgumentsOnly) {
  const OneCall cases[] = {
      {"AddFile", false, [](TCmdOpt& o) { o.AddFile("", "a.txt"); }, " \"A.TXT\""},
      {"AddFiles", false, [](TCmdOpt& o) { o.AddFiles("jx", {"a", "b"}); },
       " \"-jxA\" \"-jxB\""},
      {"AddPath", false, [](TCmdOpt& o) { o.AddPath("", "a.txt"); }, " \"a.txt\""},
      {"AddStr", false, [](TCmdOpt& o) { o.AddStr("jo", "a"); }, " \"-joa\""},
      {"AddDir", false, [](TCmdOpt& o) { o.AddDir("", "/a"); }, " \"/a/\""},
      {"Add", false, [](TCmdOpt& o) { o.Add("a"); }, " a"},
  };
  for (const auto& c : cases) {
    TCmdOpt opt;
    opt.FileNameFilter = Upper;
    c.call(opt);
    EXPECT_EQ(opt.CmdLine, c.expected) << c.what;
  }
}

class TCmdOptCodePageTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = mbcs::SystemCodePage(); }
  void TearDown() override { mbcs::SetSystemCodePage(saved_); }
  int saved_ = 0;
};

// In CP932 a trail byte is never a separator: 表 ends in 0x5C, and the folder still gets one;
// a real final separator after a double-byte character is recognised.
TEST_F(TCmdOptCodePageTest, FinalSeparatorIsFoundCharacterWise) {
  mbcs::SetSystemCodePage(932);
  const std::string hyou = "\x95\x5C";  // 表 in CP932
  const struct {
    std::string dir, expected;
  } cases[] = {
      {"/DATA/" + hyou, " \"/DATA/" + hyou + "/\""},
      {"/DATA/" + hyou + "/", " \"/DATA/" + hyou + "/\""},
      {hyou, " \"" + hyou + "/\""},
      {"\x95", " \"\x95/\""},  // a lone lead byte at the end
      {"/DATA/", " \"/DATA/\""},
  };
  for (const auto& c : cases) {
    TCmdOpt opt;
    opt.AddDir("", c.dir);
    EXPECT_EQ(opt.CmdLine, c.expected) << c.dir;
  }
}

class TCmdOptListFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("cmdopt_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(TCmdOptListFileTest, WritesQuotedLinesAndAppendsTheAtArgument) {
  const std::string name = (dir_ / "LIST.TXT").string();
  struct Case {
    const char* what;
    TStrings list;
    TFileNameFilter filter;
    std::string content;
  };
  const Case cases[] = {
      {"worked example", {"A.TXT", "SUB/B.TXT"}, nullptr, "\"A.TXT\"\r\n\"SUB/B.TXT\"\r\n"},
      {"empty list, empty file", {}, nullptr, ""},
      {"filtered", {"a.txt", "b"}, Upper, "\"A.TXT\"\r\n\"B\"\r\n"},
      {"empty entry", {""}, nullptr, "\"\"\r\n"},
  };
  for (const auto& c : cases) {
    // A longer file of the same name must be replaced, not overwritten in place.
    std::ofstream(name, std::ios::binary) << std::string(500, 'x');
    TCmdOpt opt;
    opt.FileNameFilter = c.filter;
    opt.Add("-+");
    opt.AddListFile(c.list, name);
    EXPECT_EQ(ReadFile(name), c.content) << c.what;
    EXPECT_EQ(opt.CmdLine, " -+ \"@" + name + "\"") << c.what;
  }
}

TEST_F(TCmdOptListFileTest, WorkedExampleIsTwentyTwoBytes) {
  const std::string name = (dir_ / "LIST.TXT").string();
  TCmdOpt opt;
  opt.AddListFile({"A.TXT", "SUB\\B.TXT"}, name);
  EXPECT_EQ(fs::file_size(name), 22u);
  EXPECT_EQ(ReadFile(name), "\"A.TXT\"\r\n\"SUB\\B.TXT\"\r\n");
  EXPECT_EQ(opt.CmdLine, " \"@" + name + "\"");
}

// A response file that cannot be made raises the stream error and adds nothing to CmdLine.
TEST_F(TCmdOptListFileTest, FailureRaisesAndLeavesCmdLineUnchanged) {
  const TStrings list = {"A.TXT"};
  {
    TCmdOpt opt;
    opt.Add("-+");
    EXPECT_THROW(opt.AddListFile(list, (dir_ / "missing" / "LIST.TXT").string()),
                 platform::EFCreateError);
    EXPECT_THROW(opt.AddListFile(list, dir_.string()), platform::EFCreateError);
    EXPECT_THROW(opt.AddListFile(list, ""), platform::EFCreateError);
    EXPECT_THROW(opt.AddListFile(list, NoValue), platform::EFCreateError);
    EXPECT_EQ(opt.CmdLine, " -+");
  }
  {
    TCmdOpt opt;
    opt.Add("-+");
    EXPECT_THROW(opt.AddListFile(list, "/dev/full"), platform::EWriteError);
    EXPECT_EQ(opt.CmdLine, " -+");
  }
}

}  // namespace
}  // namespace archive
