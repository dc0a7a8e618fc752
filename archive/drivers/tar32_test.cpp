// The TAR family against a recording tar32.dll: separate-value quoting, the subclasses'
// compression switch, the foreground call, the stub-based self-extractor and the type probe.
#include "archive/drivers/tar32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "tests/recording/recording.h"

namespace archive {
namespace {

class Tar32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    recording::UseFolder("full");
    tar = std::make_unique<TTar32>();
    Rec().Clear();
    platform::WindowHooks hooks;
    hooks.SetForegroundWindow = [this](HWND w) {
      foreground.push_back(w);
      return true;
    };
    platform::SetWindowHooks(hooks);
  }
  void TearDown() override {
    platform::SetWindowHooks({});
    tar.reset();
    Tar32Library().FreeLib();
    recording::UseFolder("full");
  }
  static recording::Client Rec() { return recording::Client(Tar32Library().Handle()); }

  std::unique_ptr<TTar32> tar;
  std::vector<HWND> foreground;
  std::string output = std::string(8, 'x');
};

struct LineCase {
  const char* what;
  std::unique_ptr<TTar32> (*make)();
  std::function<void(TArchiverOptions&)> set;
  HWND owner;
  const char* archive;
  const char* dir;
  std::vector<std::string> files;
  const char* line;
};

std::unique_ptr<TTar32> Tar() { return std::make_unique<TTar32>(); }
std::unique_ptr<TTar32> Tgz() { return std::make_unique<TTgz32>(); }
std::unique_ptr<TTar32> Bz2() { return std::make_unique<TBZ232>(); }

TEST_F(Tar32Test, UnpackLinesByteForByte) {
  const auto none = [](TArchiverOptions&) {};
  const LineCase cases[] = {
      {"tar defaults", Tar, none, 0, "/work/sample.tar", "/work/out", {},
       R"(x  -f "/work/sample.tar" -o "/work/out/" )"},
      {"tgz defaults", Tgz, none, 0, "/work/sample.tgz", "/work/out", {},
       R"(x -z  -f "/work/sample.tgz" -o "/work/out/" )"},
      {"bz2 defaults", Bz2, none, 0, "/work/sample.bz2", "/work/out", {},
       R"(x -B  -f "/work/sample.bz2" -o "/work/out/" )"},
      {"tgz as a caller with owner window and list",
       Tgz, [](auto& o) { o.x = 1, o.n = 0, o.jm = 9; }, 7, "/work/sample.tgz", "/work/out",
       {"docs\\a.txt", "b.txt"},
       R"(x --use-directory=1 -z9  -f "/work/sample.tgz" -o "/work/out/" "docs\a.txt" "b.txt" )"},
      {"a = 0, n = 1 without owner, o = 1, p = 0", Tar,
       [](auto& o) { o.a = 0, o.n = 1, o.o = 1, o.p = 0; }, 0, "/t.tar", "", {},
       R"(x -I --display-dialog=0 -g --check-all-path=0  -f "/t.tar" )"},
      {"a = 1, n = 1 with owner", Tar, [](auto& o) { o.a = 1, o.n = 1; }, 3, "/t.tar", "/o/", {},
       R"(x -AH  -f "/t.tar" -o "/o/" )"},
      {"jm = 0: bare -z on tgz", Tgz, [](auto& o) { o.jm = 0; }, 0, "", "", {}, "x -z  "},
      {"jm on plain tar writes nothing", Tar, [](auto& o) { o.jm = 5; }, 0, "", "", {}, "x  "},
      {"jm = 3 on bz2", Bz2, [](auto& o) { o.jm = 3; }, 0, "/t.bz2", "", {},
       R"(x -B3  -f "/t.bz2" )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto d = c.make();
    TArchiverOptions o;
    c.set(o);
    d->OwnerWindow = c.owner;
    d->Unpack(0, c.archive, o, c.dir, c.files.empty() ? nullptr : &c.files, false, output);
    EXPECT_EQ(d->CommandLine, c.line);
    EXPECT_STREQ(Rec().Last().entry, "Tar");
    EXPECT_STREQ(Rec().Last().text, c.line);
  }
}

TEST_F(Tar32Test, PackUsesLetterCAndTheResponseFileOfPacking) {
  recording::TempFolder temp;
  TArchiverOptions o;
  o.ResFileName = temp / "list.txt";
  const TStrings files{"a.txt"};
  tar->Pack(0, "/t.tar", o, "/src", &files, false, output);
  EXPECT_EQ(tar->CommandLine, "c  -f \"/t.tar\" -o \"/src/\" \"@" + o.ResFileName + "\" ");
  EXPECT_EQ(recording::ReadFile(o.ResFileName), "\"a.txt\"\r\n");
}

TEST_F(Tar32Test, ForegroundAfterEveryCommandWithAWindow) {
  TArchiverOptions o;
  Rec().SetResult(99);
  EXPECT_EQ(tar->Unpack(21, "/t.tar", o, "", nullptr, false, output), 99);
  EXPECT_EQ(tar->Pack(22, "/t.tar", o, "", nullptr, false, output), 99);
  tar->Unpack(0, "/t.tar", o, "", nullptr, false, output);
  EXPECT_EQ(foreground, (std::vector<HWND>{21, 22}));
  EXPECT_EQ(Rec().Last().wnd, 0u);

  std::string empty;
  tar->Unpack(0, "/t.tar", o, "", nullptr, false, empty);
  EXPECT_EQ(Rec().Last().bufferNull, 1);
  EXPECT_EQ(Rec().Last().size, 0u);
}

class TarSfxTest : public Tar32Test {
 protected:
  void SetUp() override {
    Tar32Test::SetUp();
    const char* path = std::getenv("PATH");
    oldPath = path ? path : "";
    setenv("PATH", (stubs.Path() + ":" + oldPath).c_str(), 1);
    recording::WriteFile(work / "sample.tar", "ARCHIVE");
    std::filesystem::create_directory(work / "sfx");
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    Tar32Test::TearDown();
  }
  recording::TempFolder stubs, work;
  std::string oldPath;
  TArchiverOptions o;
};

TEST_F(TarSfxTest, WritesStubThenArchiveWithoutCallingTheLibrary) {
  recording::WriteFile(stubs / "pxselfex.exe", "STUB");
  tar->CommandLine = "before";
  EXPECT_EQ(tar->MakeSFX(0, work / "sample.tar", o, work / "sfx", output), 0);
  EXPECT_EQ(recording::ReadFile(work / "sfx/sample.EXE"), "STUBARCHIVE");
  EXPECT_EQ(tar->MakeSFX(0, work / "sample.tar", o, "", output), 0);
  EXPECT_EQ(recording::ReadFile(work / "sample.EXE"), "STUBARCHIVE");
  EXPECT_EQ(tar->CommandLine, "before");
  EXPECT_EQ(Rec().Count(), 0);
  TTgz32 tgz;
  EXPECT_EQ(tgz.MakeSFX(0, work / "sample.tar", o, work / "sfx/", output), 0);
}

TEST_F(TarSfxTest, RefusalsAndMissingStub) {
  recording::WriteFile(stubs / "pxselfex.exe", "STUB");
  TBZ232 bz2;
  try {
    bz2.MakeSFX(0, work / "sample.tar", o, "", output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "BZ2 形式書庫は自己解凍形式にできません。");
  }
  std::filesystem::remove(stubs / "pxselfex.exe");
  try {
    tar->MakeSFX(0, work / "sample.tar", o, "", output);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "tar/tgz 書庫からの自己解凍書庫の作成には pxselfex.exe が必要です。");
  }
  EXPECT_FALSE(std::filesystem::exists(work / "sample.EXE"));
}

// A copy that fails half way leaves an existing output as it was and no partial file.
TEST_F(TarSfxTest, FailedCopyKeepsTheOldOutput) {
  recording::WriteFile(stubs / "pxselfex.exe", "STUB");
  std::filesystem::create_directory(work / "broken.tar");  // opens, but cannot be read
  recording::WriteFile(work / "broken.EXE", "OLD");
  EXPECT_ANY_THROW(tar->MakeSFX(0, work / "broken.tar", o, "", output));
  EXPECT_EQ(recording::ReadFile(work / "broken.EXE"), "OLD");
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(work.Path()))
    ++entries;
  EXPECT_EQ(entries, 4u);  // sample.tar, sfx, broken.tar, broken.EXE
}

TEST_F(Tar32Test, ArchiverTypeFromTheLibraryCode) {
  const struct {
    int code;
    TArchiverType type;
  } cases[] = {{0, atNone}, {-1, atNone}, {1, atTar}, {2, atTgz}, {3, atTgz}, {4, atTgz},
               {5, atTgz},  {6, atBZ2},   {7, atBZ2}, {8, atNone}};
  for (const auto& c : cases) {
    Rec().SetArchiveType(c.code);
    EXPECT_EQ(GetTarArchiverType("rel.exe"), c.type) << c.code;
  }
  EXPECT_STREQ(Rec().Last().text, "rel.exe");  // not expanded

  tar->FreeDLL();
  recording::UseFolder("empty");
  EXPECT_EQ(GetTarArchiverType("rel.exe"), atNone);
  try {
    TTgz32 d;
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "tar/tgz/taz/bz2 形式書庫を扱うには tar32.dll が 必要です。");
  }
}

TEST_F(Tar32Test, InspectionAndOwnerWindow) {
  tar->OpenArchive(2, "rel.tar", 3);
  EXPECT_EQ(Rec().Last().text, platform::GetFullPathName("rel.tar"));
  EXPECT_EQ(tar->CheckArchive("rel.tar", 2, 2), 1);
  EXPECT_EQ(Rec().Last().mode, 4);
  EXPECT_TRUE(tar->SetOwnerWindow(6, nullptr));
  EXPECT_EQ(tar->OwnerWindow, 6u);
  EXPECT_TRUE(tar->KillOwnerWindow(6));
  EXPECT_EQ(tar->OwnerWindow, 0u);
  TArchiverOptions o;
  EXPECT_THROW(tar->RemoveItem(0, "/t.tar", o, "", nullptr, false, output), EArchiver);
}

}  // namespace
}  // namespace archive
