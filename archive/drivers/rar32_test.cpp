// The RAR driver against a recording UNRAR32.DLL.
#include "archive/drivers/rar32.h"

#include <gtest/gtest.h>

#include "tests/recording/recording.h"

namespace archive {
namespace {

class Rar32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    recording::UseFolder("full");
    rar = std::make_unique<TRar32>();
    Rec().Clear();
  }
  void TearDown() override {
    rar.reset();
    Rar32Library().FreeLib();
    recording::UseFolder("full");
  }
  static recording::Client Rec() { return recording::Client(Rar32Library().Handle()); }

  std::unique_ptr<TRar32> rar;
  std::string output = std::string(8, 'x');
};

TEST_F(Rar32Test, UnpackLinesByteForByte) {
  struct Case {
    const char* what;
    std::int8_t x, c, m, p;
    bool list;
    const char* line;
  } const cases[] = {
      {"defaults", -1, -1, -1, -1, false, R"(-x -u  "/work/sample.rar" "/work/out/" )"},
      {"x = 0", 0, -1, -1, -1, false, R"(-e -u  "/work/sample.rar" "/work/out/" )"},
      {"x, c, m, p = 1 and a list", 1, 1, 1, 1, true,
       R"(-x -y -s  "/work/sample.rar" "/work/out/" "a.txt" )"},
      {"x = 2 still -x; c = 0 writes -u", 2, 0, -1, -1, false,
       R"(-x -u  "/work/sample.rar" "/work/out/" )"},
      {"m = 0 and p = 0 write nothing", -1, 1, 0, 0, false,
       R"(-x  "/work/sample.rar" "/work/out/" )"},
  };
  const TStrings list{"a.txt"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TArchiverOptions o;
    o.x = c.x, o.c = c.c, o.m = c.m, o.p = c.p;
    rar->Unpack(0, "/work/sample.rar", o, "/work/out", c.list ? &list : nullptr, false, output);
    EXPECT_EQ(rar->CommandLine, c.line);
    EXPECT_STREQ(Rec().Last().entry, "Unrar");
    EXPECT_STREQ(Rec().Last().text, c.line);
  }
}

TEST_F(Rar32Test, CommandCallAndUnsupportedOperations) {
  TArchiverOptions o;
  std::string none;
  rar->Unpack(31, "/a.rar", o, "", nullptr, false, none);
  EXPECT_EQ(Rec().Last().wnd, 31u);
  EXPECT_EQ(Rec().Last().bufferNull, 1);
  EXPECT_EQ(Rec().Last().size, 0u);

  Rec().Clear();
  try {
    rar->Pack(0, "/a.rar", o, "", nullptr, false, output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "この形式では書庫ファイルの作成をサポートしておりません。");
  }
  EXPECT_EQ(Rec().Count(), 0);
}

TEST_F(Rar32Test, ProbeAndMissingLibrary) {
  EXPECT_FALSE(IsRarArchive("x.exe"));
  EXPECT_EQ(Rec().CountOf("UnrarCloseArchive"), 1);
  Rec().SetOpenHandle(2);
  EXPECT_TRUE(IsRarArchive("x.exe"));
  EXPECT_EQ(Rec().At(Rec().Count() - 2).text, platform::GetFullPathName("x.exe"));

  rar->FreeDLL();
  recording::UseFolder("empty");
  EXPECT_FALSE(IsRarArchive("x.exe"));
  try {
    TRar32 d;
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "この機能の使用には UNRAR32.DLL が 必要です。");
  }
}

}  // namespace
}  // namespace archive
