// The ARJ driver: UNARJ32J.DLL for unpacking and inspection, window 0 on every command, and
// the inherited LHA operations that still go to UNLHA32.DLL.
#include "archive/drivers/arj32.h"

#include <gtest/gtest.h>

#include "tests/recording/recording.h"

namespace archive {
namespace {

class Arj32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    recording::UseFolder("full");
    arj = std::make_unique<TArj32>();
    Arj().Clear();
  }
  void TearDown() override {
    arj.reset();
    Arj32Library().FreeLib();
    Lha32Library().FreeLib();
    recording::UseFolder("full");
  }
  static recording::Client Arj() { return recording::Client(Arj32Library().Handle()); }
  static recording::Client Lha() { return recording::Client(Lha32Library().Handle()); }

  std::unique_ptr<TArj32> arj;
  TArchiverOptions options;
  std::string output = std::string(8, 'x');
};

TEST_F(Arj32Test, UnpackLinesByteForByte) {
  struct Case {
    const char* what;
    HWND owner;
    std::int8_t x, n;
    const char* line;
  } const cases[] = {
      {"defaults", 0, -1, -1, R"(x -+  "/work/sample.arj" "/work/out/" )"},
      {"owner window registered", 9, -1, -1, R"(x -+ -n1  "/work/sample.arj" "/work/out/" )"},
      {"x = 1, n = 0", 0, 1, 0, R"(x -+ -n0 -x1  "/work/sample.arj" "/work/out/" )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TArchiverOptions o;
    o.x = c.x;
    o.n = c.n;
    arj->OwnerWindow = c.owner;
    arj->Unpack(0, "/work/sample.arj", o, "/work/out", nullptr, false, output);
    EXPECT_EQ(arj->CommandLine, c.line);
    EXPECT_STREQ(Arj().Last().entry, "Unarj");
    EXPECT_STREQ(Arj().Last().text, c.line);
  }
}

TEST_F(Arj32Test, UnarjAlwaysGetsWindowZero) {
  Arj().SetResult(7);
  EXPECT_EQ(arj->Unpack(1234, "/a.arj", options, "", nullptr, false, output), 7);
  EXPECT_EQ(Arj().Last().wnd, 0u);
  EXPECT_EQ(Arj().Last().size, 8u);
  std::string none;
  arj->Unpack(1234, "/a.arj", options, "", nullptr, false, none);
  EXPECT_EQ(Arj().Last().bufferNull, 1);
  EXPECT_EQ(Arj().Last().size, 0u);
}

// Unlike the LHA driver, the caller's UseResFile decides.
TEST_F(Arj32Test, UnpackPassesUseResFileThrough) {
  options.ResFileUsage = {};
  options.ResFileName = std::string(::testing::TempDir()) + "arj_list.txt";
  const TStrings a{"A.TXT"};
  arj->Unpack(0, "/a.arj", options, "", &a, true, output);
  EXPECT_EQ(arj->CommandLine, "x -+  \"/a.arj\" \"@" + options.ResFileName + "\" ");
  std::remove(options.ResFileName.c_str());
}

TEST_F(Arj32Test, InheritedOperationsGoToUnlha) {
  const TStrings a{"A.TXT"};
  arj->OwnerWindow = 3;
  arj->Pack(55, "/work/sample.arj", options, "/src", &a, false, output);
  EXPECT_EQ(arj->CommandLine, R"(u -+ -n1  "/work/sample.arj" "/src/" "A.TXT" )");
  EXPECT_STREQ(Lha().Last().entry, "Unlha");
  EXPECT_EQ(Lha().Last().wnd, 55u);
  arj->RemoveItem(0, "/work/sample.arj", options, "/src", &a, false, output);
  EXPECT_EQ(arj->CommandLine, R"(d -+ -n1  "/work/sample.arj" "A.TXT" )");
  EXPECT_EQ(Arj().CountOf("Unarj"), 0);

  arj->FreeDLL();
  EXPECT_NE(Lha32Library().Handle(), nullptr) << "FreeDLL of ARJ must leave UNLHA32.DLL";
}

TEST_F(Arj32Test, InspectionAndOwnerWindowUseUnarj) {
  arj->OpenArchive(0, "rel.arj", 1);
  EXPECT_STREQ(Arj().Last().entry, "UnarjOpenArchive");
  EXPECT_EQ(Arj().Last().text, platform::GetFullPathName("rel.arj"));
  arj->CheckArchive("rel.arj", 4, 1);
  EXPECT_STREQ(Arj().Last().text, "rel.arj");
  EXPECT_EQ(Arj().Last().mode, 5);
  EXPECT_TRUE(arj->SetOwnerWindow(8, nullptr));
  EXPECT_STREQ(Arj().Last().entry, "UnarjSetOwnerWindowEx");
  EXPECT_EQ(arj->OwnerWindow, 8u);
  EXPECT_TRUE(arj->KillOwnerWindow(8));
  EXPECT_EQ(arj->OwnerWindow, 0u);
}

TEST_F(Arj32Test, ProbeAndMissingLibraries) {
  EXPECT_FALSE(IsArjArchive("x.exe"));
  EXPECT_EQ(Arj().CountOf("UnarjCloseArchive"), 1);  // closed even for handle 0
  Arj().SetOpenHandle(3);
  EXPECT_TRUE(IsArjArchive("x.exe"));

  // Only UNARJ32J.DLL: the driver works, the inherited operations report UNLHA32.DLL.
  arj.reset();
  Arj32Library().FreeLib();
  Lha32Library().FreeLib();
  recording::UseFolder("arj_only");
  TArj32 d;
  try {
    d.Pack(0, "/a.arj", options, "", nullptr, false, output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。");
  }
  d.FreeDLL();
  recording::UseFolder("empty");
  try {
    TArj32 none;
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。");
  }
  EXPECT_FALSE(IsArjArchive("x.exe"));
}

}  // namespace
}  // namespace archive
