// The LHA driver against a recording UNLHA32.DLL: the command lines byte for byte, the
// library calls, the unit's library state.
#include "archive/drivers/lha32.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "tests/recording/recording.h"

namespace archive {
namespace {

class Lha32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    recording::UseFolder("full");
    lha = std::make_unique<TLha32>();
    Recorder().Clear();
  }
  void TearDown() override {
    lha.reset();
    Lha32Library().FreeLib();
    recording::UseFolder("full");
  }
  static recording::Client Recorder() { return recording::Client(Lha32Library().Handle()); }

  std::unique_ptr<TLha32> lha;
  TArchiverOptions options;
  std::string output = std::string(16, 'x');
};

using Op = std::function<int(TLha32&, TArchiverOptions&, std::string&)>;

struct LineCase {
  const char* what;
  std::function<void(TArchiverOptions&)> set;
  HWND owner;
  Op op;
  std::string line;
};

int UnpackData(TLha32& d, TArchiverOptions& o, std::string& out) {
  return d.Unpack(0, "/DATA/PACK.LZH", o, "/DATA/", nullptr, false, out);
}

TEST_F(Lha32Test, CommandLinesByteForByte) {
  const TStrings ab{"A.TXT", "B.TXT"};
  const LineCase cases[] = {
      {"as the tool unpacks",
       [](auto& o) { o.x = 1, o.n = 0; }, 77, UnpackData,
       R"(x -+ -n1 -x1  "/DATA/PACK.LZH" "/DATA/" )"},
      {"the same without an owner window",
       [](auto& o) { o.x = 1, o.n = 0; }, 0, UnpackData,
       R"(x -+ -n0 -x1  "/DATA/PACK.LZH" "/DATA/" )"},
      {"defaults", [](auto&) {}, 0, UnpackData, R"(x -+  "/DATA/PACK.LZH" "/DATA/" )"},
      {"n unset is still forced while an owner window is registered", [](auto&) {}, 5,
       UnpackData, R"(x -+ -n1  "/DATA/PACK.LZH" "/DATA/" )"},
      {"folder, empty jo and a jx list",
       [](auto& o) {
         o.w = "/WORK";
         o.jo = "";
         o.jx = {"*.BAK", "*.TMP"};
       },
       0, UnpackData,
       R"(x -+ "-w/WORK/" "-jo" "-jx*.BAK" "-jx*.TMP"  "/DATA/PACK.LZH" "/DATA/" )"},
      {"pack",
       [](auto&) {}, 0,
       [&](TLha32& d, TArchiverOptions& o, std::string& out) {
         return d.Pack(0, "/DATA/NEW.LZH", o, "/SRC", &ab, false, out);
       },
       R"(u -+  "/DATA/NEW.LZH" "/SRC/" "A.TXT" "B.TXT" )"},
      {"remove never passes a folder",
       [](auto&) {}, 0,
       [](TLha32& d, TArchiverOptions& o, std::string& out) {
         const TStrings a{"A.TXT"};
         return d.RemoveItem(0, "/DATA/PACK.LZH", o, "/ANY", &a, true, out);
       },
       R"(d -+  "/DATA/PACK.LZH" "A.TXT" )"},
      {"update keeps the names on the line: ruOnUpdate is not in the default set",
       [](auto& o) { o.ResFileName = "/nonexistent/LIST.TXT"; }, 0,
       [](TLha32& d, TArchiverOptions& o, std::string& out) {
         const TStrings a{"A.TXT"};
         return d.Update(0, "/DATA/PACK.LZH", o, "/SRC", &a, true, out);
       },
       R"(f -+  "/DATA/PACK.LZH" "/SRC/" "A.TXT" )"},
      {"self-extractor: no file arguments, still the blank of UserFileList",
       [](auto& o) { o.UserFileList = "L"; }, 0,
       [](TLha32& d, TArchiverOptions& o, std::string& out) {
         return d.MakeSFX(0, "/DATA/PACK.LZH", o, "/OUT", out);
       },
       R"(s -+  "/DATA/PACK.LZH" "/OUT/" L)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TArchiverOptions o;
    c.set(o);
    lha->OwnerWindow = c.owner;
    Recorder().Clear();
    c.op(*lha, o, output);
    EXPECT_EQ(lha->CommandLine, c.line);
    EXPECT_STREQ(Recorder().Last().entry, "Unlha");
    EXPECT_EQ(Recorder().Last().text, c.line);
  }
}

// Every switch property, set, in declaration order and under its own name.
TEST_F(Lha32Test, AllFiftyThreeSwitchesInDeclarationOrder) {
  for (const auto& p : TArchiverOptions::Properties())
    if (p.kind == TArchiverOptions::Kind::Shortint) options.*p.shortint = 1;
  options.w = "/W";
  options.jo = "O";
  options.job = "B";
  options.jz = "Z";
  options.gr = "R";
  options.jx = {"X"};
  options.UserOptions = "U";
  options.UserFileList = "L";
  lha->Unpack(0, "/A.LZH", options, "", nullptr, false, output);
  EXPECT_EQ(lha->CommandLine,
            "x -+ -a1 -c1 -e1 -f1 -h1 -i1 -l1 -m1 -n1 -o1 -p1 -r1 -s1 -t1 -u1 \"-w/W/\" -x1 "
            "-y1 -z1 -jc1 -jd1 -je1 -jf1 -jh1 -ji1 -jm1 -jn1 \"-joO\" \"-jobB\" -jp1 -jr1 "
            "-jss1 -jw1 \"-jxX\" -jyc1 -jyd1 -jyk1 -jyn1 -jyo1 \"-jzZ\" -ga1 -gd1 -ge1 -gf1 "
            "-gj1 -gm1 -gn1 -go1 -gp1 \"-grR\" -gs1 -gu1 -gw1 U \"/A.LZH\" L");
}

TEST_F(Lha32Test, PackWritesTheResponseFile) {
  char dir[] = "/tmp/lha32_testXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string list = std::string(dir) + "/LIST.TXT";
  options.ResFileName = list;
  const TStrings ab{"A.TXT", "B.TXT"};
  lha->Pack(0, "/DATA/NEW.LZH", options, "/SRC", &ab, false, output);
  EXPECT_EQ(lha->CommandLine, "u -+  \"/DATA/NEW.LZH\" \"/SRC/\" \"@" + list + "\" ");
  std::ifstream in(list, std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, "\"A.TXT\"\r\n\"B.TXT\"\r\n");
  std::remove(list.c_str());
  rmdir(dir);
}

TEST_F(Lha32Test, CommandEntryGetsWindowBufferAndResult) {
  Recorder().SetResult(0x8012);
  EXPECT_EQ(lha->Unpack(42, "/A.LZH", options, "/D", nullptr, false, output), 0x8012);
  EXPECT_EQ(Recorder().Last().wnd, 42u);
  EXPECT_EQ(Recorder().Last().bufferNull, 0);
  EXPECT_EQ(Recorder().Last().size, 16u);

  std::string none;
  lha->Unpack(42, "/A.LZH", options, "/D", nullptr, false, none);
  EXPECT_EQ(Recorder().Last().bufferNull, 1);
  EXPECT_EQ(Recorder().Last().size, 0u);
}

TEST_F(Lha32Test, InspectionCallsExpandOnlyWhereTheyShould) {
  const std::string cwd = platform::GetCurrentDirectory();
  lha->OpenArchive(3, "rel.lzh", 7);
  EXPECT_STREQ(Recorder().Last().entry, "UnlhaOpenArchive");
  EXPECT_EQ(Recorder().Last().text, platform::GetFullPathName("rel.lzh"));
  EXPECT_EQ(Recorder().Last().mode, 7);
  lha->CheckArchive("rel.lzh", 1, 2);
  EXPECT_STREQ(Recorder().Last().entry, "UnlhaCheckArchive");
  EXPECT_STREQ(Recorder().Last().text, "rel.lzh");
  EXPECT_EQ(Recorder().Last().mode, 3);
  libapi::INDIVIDUALINFO info{};
  lha->FindFirst(9, &info, "*.txt");
  EXPECT_STREQ(Recorder().Last().text, "*.txt");
  EXPECT_EQ(Recorder().Last().mode, 9);
  lha->FindNext(9, &info);
  EXPECT_STREQ(Recorder().Last().entry, "UnlhaFindNext");
  lha->CloseArchive(9);
  EXPECT_STREQ(Recorder().Last().entry, "UnlhaCloseArchive");
}

TEST_F(Lha32Test, OwnerWindowFollowsRegistration) {
  EXPECT_TRUE(lha->SetOwnerWindow(12, nullptr));
  EXPECT_EQ(lha->OwnerWindow, 12u);
  EXPECT_EQ(Recorder().Last().callbackNull, 1);
  EXPECT_TRUE(lha->KillOwnerWindow(12));
  EXPECT_EQ(lha->OwnerWindow, 0u);
}

TEST_F(Lha32Test, ProbeOpensTheFullPathAndAlwaysCloses) {
  EXPECT_FALSE(IsLhaArchive("some.exe"));
  ASSERT_EQ(Recorder().Count(), 2);
  EXPECT_EQ(Recorder().At(0).text, platform::GetFullPathName("some.exe"));
  EXPECT_EQ(Recorder().At(0).mode, 0x800002);
  EXPECT_EQ(Recorder().At(0).wnd, 0u);
  EXPECT_STREQ(Recorder().At(1).entry, "UnlhaCloseArchive");
  EXPECT_EQ(Recorder().At(1).mode, 0);

  Recorder().SetOpenHandle(5);
  EXPECT_TRUE(IsLhaArchive("some.exe"));
  EXPECT_EQ(Recorder().Last().mode, 5);
}

TEST_F(Lha32Test, EntriesAreLookedUpOnceAndOutliveTheDrivers) {
  lha->Unpack(0, "/A.LZH", options, "", nullptr, false, output);
  const HMODULE handle = Lha32Library().Handle();
  void* const entry = Lha32Library().Cached(0);
  ASSERT_NE(entry, nullptr);
  lha.reset();
  EXPECT_EQ(Lha32Library().Handle(), handle);
  TLha32 again;
  again.Unpack(0, "/A.LZH", options, "", nullptr, false, output);
  EXPECT_EQ(Lha32Library().Handle(), handle);
  EXPECT_EQ(Lha32Library().Cached(0), entry);
  EXPECT_EQ(Recorder().CountOf("Unlha"), 2);
}

TEST_F(Lha32Test, MissingLibraryRaisesAndIsRetried) {
  lha->FreeDLL();
  recording::UseFolder("empty");
  try {
    TLha32 d;
    FAIL() << "created without its library";
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。");
  }
  EXPECT_FALSE(IsLhaArchive("x.exe"));
  recording::UseFolder("full");
  EXPECT_NO_THROW(TLha32());
}

TEST_F(Lha32Test, MissingEntryNamesTheLibraryFile) {
  lha->FreeDLL();
  recording::UseFolder("lacking");
  TLha32 d;
  const std::string file = platform::GetModuleFileName(Lha32Library().Handle());
  ASSERT_NE(file.find("/lacking/"), std::string::npos);
  libapi::INDIVIDUALINFO info{};
  try {
    d.FindNext(1, &info);
    FAIL() << "no error for a missing entry";
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), file + " に UnlhaFindNext のエントリが見つかりません。");
  }
  EXPECT_EQ(Lha32Library().Cached(4), nullptr);
  EXPECT_THROW(d.SetOwnerWindow(9, nullptr), EArchiver);
  EXPECT_EQ(d.OwnerWindow, 0u);
}

}  // namespace
}  // namespace archive
