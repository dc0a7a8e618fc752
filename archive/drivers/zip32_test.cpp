// The ZIP driver against recording UNZIP32.DLL, ZIP32J.DLL and LMZIP32.DLL: the three
// syntaxes, the library choice with one, two or three libraries present, the file-name
// filter and the self-extractor.
#include "archive/drivers/zip32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/mbcs.h"
#include "tests/recording/recording.h"

namespace archive {
namespace {

const char* const kNoPacker = "ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。";

// Frees every ZIP library, whichever folder it came from.
void FreeZipLibraries() {
  recording::UseFolder("full");
  TZip32 z;
  z.FreeDLL();
}

class Zip32Test : public ::testing::Test {
 protected:
  void SetUp() override { Use("full"); }
  void TearDown() override {
    zip.reset();
    FreeZipLibraries();
  }
  // Starts over with the libraries of one folder; the driver when they allow one.
  void Use(const std::string& variant) {
    zip.reset();
    FreeZipLibraries();
    recording::UseFolder(variant);
    try {
      zip = std::make_unique<TZip32>();
    } catch (const EArchiver&) {
    }
    for (const char* f : {"UNZIP32.DLL", "ZIP32J.DLL", "LMZIP32.DLL"})
      if (Zip32Library(f)) Rec(f).Clear();
  }
  static recording::Client Rec(const char* file) { return recording::Client(Zip32Library(file)); }

  std::unique_ptr<TZip32> zip;
  TArchiverOptions options;
  std::string output = std::string(8, 'x');
};

using Op = std::function<int(TZip32&, TArchiverOptions&, std::string&)>;

TEST_F(Zip32Test, CommandLinesByteForByte) {
  const Op unpack = [](TZip32& d, TArchiverOptions& o, std::string& out) {
    return d.Unpack(0, "/Data/sample.zip", o, "/Data/", nullptr, false, out);
  };
  const Op pack = [](TZip32& d, TArchiverOptions& o, std::string& out) {
    const TStrings files{"dir\\[a].txt"};
    return d.Pack(0, "/Data/a.zip", o, "/Src", &files, false, out);
  };
  const auto none = [](TArchiverOptions&) {};
  struct Case {
    const char* what;
    std::function<void(TArchiverOptions&)> set;
    HWND owner;
    Op op;
    const char* entry;
    std::string line;
  } const cases[] = {
      {"unpack defaults", none, 0, unpack, "UnZip", R"(-x  "/Data/sample.zip" "/Data/" )"},
      {"unpack as the tool does", [](auto& o) { o.x = 1, o.n = 0; }, 5, unpack, "UnZip",
       R"(-x --i  "/Data/sample.zip" "/Data/" )"},
      {"unpack c = 1, n = 1, x = 0", [](auto& o) { o.c = 1, o.n = 1, o.x = 0; }, 0, unpack,
       "UnZip", R"(-x -o --i -j  "/Data/sample.zip" "/Data/" )"},
      {"unpack filters the listed names",
       none, 0,
       [](TZip32& d, TArchiverOptions& o, std::string& out) {
         const TStrings files{"dir\\[a].txt"};
         return d.Unpack(0, "/[x]/a.zip", o, "", &files, false, out);
       },
       "UnZip", R"(-x  "/[x]/a.zip" "dir/[[]a].txt" )"},
      {"pack defaults: only -D", none, 0, pack, "Zip",
       R"( -D  "/Data/a.zip" "/Src/" "dir/[[]a].txt" )"},
      {"pack n = 1 gives -q and -o", [](auto& o) { o.n = 1; }, 0, pack, "Zip",
       R"( -D -q -o  "/Data/a.zip" "/Src/" "dir/[[]a].txt" )"},
      {"pack a = 1, jm = 0", [](auto& o) { o.a = 1, o.jm = 0; }, 0, pack, "Zip",
       R"( -S -D -0  "/Data/a.zip" "/Src/" "dir/[[]a].txt" )"},
      {"pack every switch",
       [](auto& o) {
         o.a = 2, o.l = 1, o.r = 1, o.u = 1, o.x = 0, o.jc = 1, o.ji = 1, o.jm = 9, o.gd = 1;
       },
       0, pack, "Zip", R"( -S -v -r -u -j -FF -k -9 -J  "/Data/a.zip" "/Src/" "dir/[[]a].txt" )"},
      {"remove never passes the folder", none, 0,
       [](TZip32& d, TArchiverOptions& o, std::string& out) {
         const TStrings files{"x"};
         return d.RemoveItem(0, "/Data/a.zip", o, "/Src", &files, false, out);
       },
       "Zip", R"(-d -D  "/Data/a.zip" "x" )"},
      {"update passes it", none, 0,
       [](TZip32& d, TArchiverOptions& o, std::string& out) {
         return d.Update(0, "/Data/a.zip", o, "/Src", nullptr, false, out);
       },
       "Zip", R"(-f -D  "/Data/a.zip" "/Src/" )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TArchiverOptions o;
    c.set(o);
    zip->OwnerWindow = c.owner;
    c.op(*zip, o, output);
    EXPECT_EQ(zip->CommandLine, c.line);
    const char* lib = std::string(c.entry) == "Zip" ? "ZIP32J.DLL" : "UNZIP32.DLL";
    EXPECT_STREQ(Rec(lib).Last().entry, c.entry);
    EXPECT_EQ(Rec(lib).Last().text, c.line);
  }
}

TEST_F(Zip32Test, CheckArchivePassesModeAloneAndOwnerWindowAnswersTrue) {
  zip->CheckArchive("rel.zip", 1, 2);
  EXPECT_STREQ(Rec("UNZIP32.DLL").Last().entry, "UnZipCheckArchive");
  EXPECT_STREQ(Rec("UNZIP32.DLL").Last().text, "rel.zip");
  EXPECT_EQ(Rec("UNZIP32.DLL").Last().mode, 1);
  EXPECT_TRUE(zip->SetOwnerWindow(4, nullptr));
  EXPECT_EQ(zip->OwnerWindow, 4u);
  EXPECT_TRUE(zip->KillOwnerWindow(4));
  EXPECT_EQ(zip->OwnerWindow, 0u);
}

// Inspection asks LMZIP32.DLL first (as "Unzip..."), checking asks UNZIP32.DLL first.
TEST_F(Zip32Test, LookupOrderWithTwoLibraries) {
  Use("unzip_lmzip");
  ASSERT_TRUE(zip);
  zip->OpenArchive(0, "a.zip", 0);
  EXPECT_STREQ(Rec("LMZIP32.DLL").Last().entry, "UnzipOpenArchive");
  zip->CheckArchive("a.zip", 0, 0);
  EXPECT_STREQ(Rec("UNZIP32.DLL").Last().entry, "UnZipCheckArchive");
  zip->Unpack(0, "/a.zip", options, "", nullptr, false, output);
  EXPECT_STREQ(Rec("UNZIP32.DLL").Last().entry, "UnZip");
  EXPECT_EQ(Rec("LMZIP32.DLL").CountOf("Unzip"), 0);
}

TEST_F(Zip32Test, OnlyLmzip) {
  Use("lmzip_only");
  ASSERT_TRUE(zip);
  EXPECT_THROW(zip->SetOwnerWindow(3, nullptr), EArchiver);
  EXPECT_EQ(zip->OwnerWindow, 0u);
  options.x = 1, options.n = 0;
  zip->Unpack(0, "/Data/sample.zip", options, "/Data", nullptr, false, output);
  EXPECT_EQ(zip->CommandLine, R"(-x  "/Data/sample.zip" "/Data/" )");
  EXPECT_STREQ(Rec("LMZIP32.DLL").Last().entry, "Unzip");

  recording::TempFolder temp;
  const TStrings files{"[a].txt"};
  options.c = 1;
  zip->Pack(0, temp / "new.zip", options, "/ignored", &files, false, output);
  EXPECT_EQ(zip->CommandLine, "-ru -o  \"" + (temp / "new.zip") + "\" \"[a].txt\" ");
  EXPECT_STREQ(Rec("LMZIP32.DLL").Last().entry, "Zip");
}

// LMZIP32.DLL writes a new archive: the old one is kept aside until the library succeeds.
TEST_F(Zip32Test, LmzipPackKeepsTheOldArchiveUntilTheLibrarySucceeds) {
  Use("lmzip_only");
  recording::TempFolder temp;
  const std::string archive = temp / "a.zip";
  auto entries = [&] {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(temp.Path())) ++n;
    return n;
  };

  recording::WriteFile(archive, "OLD");
  Rec("LMZIP32.DLL").SetResult(1);
  EXPECT_EQ(zip->Pack(0, archive, options, "", nullptr, false, output), 1);
  EXPECT_EQ(recording::ReadFile(archive), "OLD");
  EXPECT_EQ(entries(), 1u);

  Rec("LMZIP32.DLL").SetResult(0);
  EXPECT_EQ(zip->Pack(0, archive, options, "", nullptr, false, output), 0);
  EXPECT_FALSE(std::filesystem::exists(archive)) << "the recording library writes nothing";
  EXPECT_EQ(entries(), 0u);
}

TEST_F(Zip32Test, OnlyUnzip) {
  Use("unzip_only");
  ASSERT_TRUE(zip);
  zip->Unpack(0, "/a.zip", options, "", nullptr, false, output);
  EXPECT_STREQ(Rec("UNZIP32.DLL").Last().entry, "UnZip");
  try {
    zip->Pack(0, "/a.zip", options, "", nullptr, false, output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), kNoPacker);
  }
  try {
    zip->MakeSFX(0, "/a.zip", options, "", output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "ZIP 形式書庫からの自己解凍書庫作成には ZIP32J.DLL が必要です。");
  }
  try {
    zip->RemoveItem(0, "/a.zip", options, "", nullptr, false, output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), kNoPacker);
  }
}

TEST_F(Zip32Test, OnlyZip32jAndNone) {
  Use("zip32j_only");
  ASSERT_TRUE(zip);
  try {
    zip->Unpack(0, "/a.zip", options, "", nullptr, false, output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。");
  }
  try {
    zip->OpenArchive(0, "/a.zip", 0);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "UnZipOpenArchive のエントリが見つかりません。");
  }
  EXPECT_FALSE(IsZipArchive("/a.exe"));

  Use("empty");
  EXPECT_FALSE(zip);
  try {
    TZip32 d;
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(),
              "ZIP 形式書庫を解凍するには UNZIP32.DLL が、作成するには ZIP32J.DLL が必要です。");
  }
  EXPECT_FALSE(IsZipArchive("/a.exe"));
}

TEST_F(Zip32Test, ProbeAsksLmzipFirstAndClosesOnlyARealHandle) {
  EXPECT_FALSE(IsZipArchive("a.exe"));
  EXPECT_EQ(Rec("LMZIP32.DLL").At(0).text, platform::GetFullPathName("a.exe"));
  EXPECT_EQ(Rec("LMZIP32.DLL").At(0).mode, 0x800002);
  EXPECT_EQ(Rec("LMZIP32.DLL").CountOf("UnzipCloseArchive"), 0);
  Rec("LMZIP32.DLL").SetOpenHandle(1);
  EXPECT_TRUE(IsZipArchive("a.exe"));
  EXPECT_EQ(Rec("LMZIP32.DLL").CountOf("UnzipCloseArchive"), 1);
}

TEST(ZipFileNameFilter, EscapesBackslashAndBracketOnly) {
  EXPECT_EQ(ZipFileNameFilter("dir\\[a].txt"), "dir/[[]a].txt");
  EXPECT_EQ(ZipFileNameFilter(""), "");
  EXPECT_EQ(ZipFileNameFilter("表/a]"), "表/a]");
  mbcs::SetSystemCodePage(mbcs::CP_932);
  // 表 (trail byte 0x5C), a backslash, then a double-byte character whose trail byte is "[".
  EXPECT_EQ(ZipFileNameFilter("\x95\x5C\\\x83["), "\x95\x5C/\x83[");
  mbcs::SetSystemCodePage(mbcs::CP_UTF8);
}

class ZipSfxTest : public Zip32Test {
 protected:
  void SetUp() override {
    Zip32Test::SetUp();
    const char* path = std::getenv("PATH");
    oldPath = path ? path : "";
    setenv("PATH", (stubs.Path() + ":" + oldPath).c_str(), 1);
    recording::WriteFile(work / "sample.zip", "ZIPDATA");
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    Zip32Test::TearDown();
  }
  recording::TempFolder stubs, work;
  std::string oldPath;
};

TEST_F(ZipSfxTest, StubChosenByGwThenArchiveThenLibraryCall) {
  recording::WriteFile(stubs / "sfx16.dat", "DOS");
  recording::WriteFile(stubs / "sfx32gui.dat", "WIN");
  options.gw = 0;
  zip->MakeSFX(3, work / "sample.zip", options, "", output);
  EXPECT_EQ(recording::ReadFile(work / "sample.EXE"), "DOSZIPDATA");
  EXPECT_EQ(zip->CommandLine, "-A " + (work / "sample.EXE"));
  EXPECT_STREQ(Rec("ZIP32J.DLL").Last().entry, "Zip");
  EXPECT_EQ(Rec("ZIP32J.DLL").Last().text, zip->CommandLine);
  EXPECT_EQ(Rec("ZIP32J.DLL").Last().wnd, 3u);

  options.gw = 1;
  std::filesystem::create_directory(work / "out dir");
  zip->MakeSFX(0, work / "sample.zip", options, work / "out dir", output);
  EXPECT_EQ(recording::ReadFile(work / "out dir/sample.EXE"), "WINZIPDATA");
  EXPECT_EQ(zip->CommandLine, "-A " + (work / "out dir/sample.EXE"));  // unquoted
}

TEST_F(ZipSfxTest, MissingStubsAndFailedCopy) {
  const struct {
    std::int8_t gw;
    const char* message;
  } cases[] = {
      {-1, "zip 書庫からのDOS自己解凍書庫の作成には sfx16.dat が必要です。"},
      {0, "zip 書庫からのDOS自己解凍書庫の作成には sfx16.dat が必要です。"},
      {1, "zip 書庫からのWin32自己解凍書庫の作成には sfx32gui.dat が必要です。"},
  };
  for (const auto& c : cases) {
    options.gw = c.gw;
    try {
      zip->MakeSFX(0, work / "sample.zip", options, "", output);
      ADD_FAILURE() << c.message;
    } catch (const EArchiver& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }

  // A copy that fails half way leaves the existing output alone and calls no library.
  recording::WriteFile(stubs / "sfx16.dat", "DOS");
  options.gw = -1;
  std::filesystem::create_directory(work / "broken.zip");
  recording::WriteFile(work / "broken.EXE", "OLD");
  EXPECT_ANY_THROW(zip->MakeSFX(0, work / "broken.zip", options, "", output));
  EXPECT_EQ(recording::ReadFile(work / "broken.EXE"), "OLD");
  EXPECT_EQ(Rec("ZIP32J.DLL").CountOf("Zip"), 0);
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(work.Path())) ++n;
  EXPECT_EQ(n, 3u);  // sample.zip, broken.zip, broken.EXE
}

}  // namespace
}  // namespace archive
