// The archive component: type detection, driver selection, Unpack as the program uses it and
// the progress relay, against the recording libraries.
#include "archive/archives.h"

#include <gtest/gtest.h>

#include <vector>

#include "archive/drivers/arj32.h"
#include "archive/drivers/cab32.h"
#include "archive/drivers/lha32.h"
#include "archive/drivers/rar32.h"
#include "archive/drivers/tar32.h"
#include "archive/drivers/zip32.h"
#include "tests/recording/recording.h"

namespace archive {
namespace {

void FreeAllLibraries() {
  Lha32Library().FreeLib();
  Arj32Library().FreeLib();
  Cab32Library().FreeLib();
  Tar32Library().FreeLib();
  Rar32Library().FreeLib();
  if (Zip32Library("UNZIP32.DLL") || Zip32Library("ZIP32J.DLL") || Zip32Library("LMZIP32.DLL")) {
    recording::UseFolder("full");
    TZip32 z;
    z.FreeDLL();
  }
}

recording::Client Lha() { return recording::Client(Lha32Library().Handle()); }

class ArchiveFileTest : public ::testing::Test {
 protected:
  void SetUp() override { recording::UseFolder("full"); }
  void TearDown() override {
    FreeAllLibraries();
    recording::UseFolder("full");
  }
};

TEST(DetectArchiverType, ByTheLastExtension) {
  const struct {
    const char* name;
    TArchiverType type;
  } cases[] = {
      {"a.lzh", atLha},          {"A.LZH", atLha},       {"/d/a.zip", atZip},
      {"a.Cab", atCab},          {"a.arj", atArj},       {"a.tar", atTar},
      {"a.z", atTgz},            {"a.Z", atTgz},         {"a.gz", atTgz},
      {"a.tgz", atTgz},          {"a.taz", atTgz},       {"a.bz2", atBZ2},
      {"a.rar", atRar},          {"pack.tar.gz", atTgz}, {"a.", atNone},
      {"a", atNone},             {"x.dat", atNone},      {"/d.lzh/file", atNone},
      {"a.ｌｚｈ", atNone},       {"", atNone},           {"a.lzh.bak", atNone},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectArchiverType(c.name, true), c.type) << c.name;
}

// An ".exe" asks every library once, in a fixed order; a later positive answer wins.
TEST_F(ArchiveFileTest, ExeProbesEveryLibraryOnceInOrder) {
  DetectArchiverType("/x/a.exe", true);  // loads every library
  const std::vector<std::pair<recording::Client, const char*>> probes{
      {recording::Client(Tar32Library().Handle()), "TarGetArchiveType"},
      {recording::Client(Rar32Library().Handle()), "UnrarOpenArchive"},
      {recording::Client(Arj32Library().Handle()), "UnarjOpenArchive"},
      {recording::Client(Cab32Library().Handle()), "CabOpenArchive"},
      {recording::Client(Zip32Library("LMZIP32.DLL")), "UnzipOpenArchive"},
      {Lha(), "UnlhaOpenArchive"},
  };
  for (auto& [rec, entry] : probes) rec.Clear();
  EXPECT_EQ(DetectArchiverType("/x/A.EXE", true), atNone);
  long previous = 0;
  for (auto& [rec, entry] : probes) {
    SCOPED_TRACE(entry);
    EXPECT_EQ(rec.CountOf(entry), 1);
    EXPECT_GT(rec.At(0).sequence, previous);
    previous = rec.At(0).sequence;
  }

  enum { kTar, kRar, kArj, kCab, kZip, kLha };
  const struct {
    std::vector<int> positive;
    TArchiverType type;
  } priority[] = {
      {{kTar}, atTgz},       {{kTar, kRar}, atRar}, {{kRar, kArj}, atArj},
      {{kArj, kCab}, atCab}, {{kCab, kZip}, atZip}, {{kZip, kLha}, atLha},
      {{kTar, kRar, kArj, kCab, kZip, kLha}, atLha},
  };
  for (const auto& p : priority) {
    for (auto& [rec, entry] : probes) rec.Clear();
    for (int i : p.positive) {
      if (i == kTar)
        probes[kTar].first.SetArchiveType(3);
      else
        probes[static_cast<std::size_t>(i)].first.SetOpenHandle(1);
    }
    EXPECT_EQ(DetectArchiverType("/x/a.exe", false), p.type) << p.positive.size();
  }
}

TEST_F(ArchiveFileTest, FileNameSelectsAndReplacesDrivers) {
  TArchiveFile f(nullptr);
  EXPECT_EQ(f.ArchiverType(), atAutoDetect);
  f.SetFileName("x.dat");
  EXPECT_EQ(f.ArchiverType(), atAutoDetect);
  EXPECT_EQ(f.Archiver(), nullptr);
  try {
    f.Unpack(0, nullptr, "/d", nullptr);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "書庫の形式を判別できません。");
  }

  f.SetFileName("a.lzh");
  TArchiver* const lha = f.Archiver();
  EXPECT_NE(dynamic_cast<TLha32*>(lha), nullptr);
  f.SetFileName("b.dat");
  EXPECT_EQ(f.Archiver(), lha);
  EXPECT_EQ(f.ArchiverType(), atLha);
  EXPECT_EQ(f.FileName(), "b.dat");
  f.SetFileName("a.LZH");
  EXPECT_NE(f.Archiver(), lha) << "a new driver even for the same type";
  f.SetFileName("b.zip");
  EXPECT_NE(dynamic_cast<TZip32*>(f.Archiver()), nullptr);
  EXPECT_EQ(f.ArchiverType(), atZip);

  TArchiver* const zip = f.Archiver();
  f.SetArchiverType(atNone);
  EXPECT_EQ(f.ArchiverType(), atZip);
  f.SetArchiverType(atAutoDetect);
  EXPECT_EQ(f.ArchiverType(), atAutoDetect);
  EXPECT_EQ(f.Archiver(), zip);

  const struct {
    TArchiverType type;
    bool tgz, bz2;
  } tars[] = {{atTar, false, false}, {atTgz, true, false}, {atBZ2, false, true}};
  for (const auto& t : tars) {
    f.SetArchiverType(t.type);
    EXPECT_NE(dynamic_cast<TTar32*>(f.Archiver()), nullptr);
    EXPECT_EQ(dynamic_cast<TTgz32*>(f.Archiver()) != nullptr, t.tgz);
    EXPECT_EQ(dynamic_cast<TBZ232*>(f.Archiver()) != nullptr, t.bz2);
  }
  f.SetArchiverType(atArj);
  EXPECT_NE(dynamic_cast<TArj32*>(f.Archiver()), nullptr);
  f.SetArchiverType(atCab);
  EXPECT_NE(dynamic_cast<TCab32*>(f.Archiver()), nullptr);
  f.SetArchiverType(atRar);
  EXPECT_NE(dynamic_cast<TRar32*>(f.Archiver()), nullptr);
}

TEST_F(ArchiveFileTest, TypeOutsideTheEnumerationOnlyWhileReading) {
  TArchiveFile f(nullptr);
  f.SetFileName("a.cab");
  TArchiver* const cab = f.Archiver();
  const auto bad = static_cast<TArchiverType>(10);
  try {
    f.SetArchiverType(bad);
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "現在のバージョンではこの形式の書庫をサポートしていません。");
  }
  EXPECT_EQ(f.ArchiverType(), atCab);
  f.SetComponentState(platform::csReading, true);
  f.SetArchiverType(bad);
  EXPECT_EQ(f.ArchiverType(), bad);
  EXPECT_EQ(f.Archiver(), cab);
}

TEST_F(ArchiveFileTest, MissingLibraryChangesNothing) {
  TArchiveFile f(nullptr);
  f.SetFileName("/a.zip");
  TArchiver* const zip = f.Archiver();
  Lha32Library().FreeLib();
  recording::UseFolder("empty");
  try {
    f.SetFileName("/b.lzh");
    FAIL();
  } catch (const EArchiver& e) {
    EXPECT_EQ(e.Message(), "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。");
  }
  EXPECT_EQ(f.FileName(), "/a.zip");
  EXPECT_EQ(f.ArchiverType(), atZip);
  EXPECT_EQ(f.Archiver(), zip);
}

TEST(ArchiveFile, OutputSize) {
  TArchiveFile f(nullptr);
  f.SetOutputSize(8192);
  EXPECT_EQ(f.OutputSize(), 8192);
  EXPECT_EQ(f.Output().size(), 8192u);
  EXPECT_EQ(f.Output()[0], '\0');
  f.SetOutputSize(0);
  EXPECT_EQ(f.OutputSize(), 0);
  EXPECT_THROW(f.SetOutputSize(-1), EArchiver);
}

// What the program sends: x = 1, n = 0, an 8192-byte buffer and a progress handler.
TEST_F(ArchiveFileTest, UnpackAsTheProgramUsesIt) {
  const struct {
    const char* file;
    recording::Client (*rec)();
    const char* entry;
    const char* line;
  } cases[] = {
      {"/DATA/PACK.LZH", Lha, "Unlha", R"(x -+ -n1 -x1  "/DATA/PACK.LZH" "/DATA/" )"},
      {"/DATA/PACK.ZIP", [] { return recording::Client(Zip32Library("UNZIP32.DLL")); }, "UnZip",
       R"(-x --i  "/DATA/PACK.ZIP" "/DATA/" )"},
      {"/DATA/PACK.CAB", [] { return recording::Client(Cab32Library().Handle()); }, "Cab",
       R"(-x -i  "/DATA/PACK.CAB" "/DATA/" )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    TArchiveFile f(nullptr);
    f.SetFileName(c.file);
    f.Options().x = 1;
    f.Options().n = 0;
    f.SetOutputSize(8192);
    f.SetOnProgress([](platform::TComponent*, int, libapi::LPEXTRACTINGINFOEX, bool&) {});
    const auto rec = c.rec();
    rec.Clear();
    rec.SetResult(0x8020);
    EXPECT_EQ(f.Unpack(0, nullptr, "/DATA/", nullptr), 0x8020);
    EXPECT_EQ(f.CommandLine(), c.line);
    const recording::Call& call = rec.At(rec.Count() - 2);
    EXPECT_STREQ(call.entry, c.entry);
    EXPECT_STREQ(call.text, c.line);
    EXPECT_EQ(call.bufferNull, 0);
    EXPECT_EQ(call.size, 8192u);
    EXPECT_EQ(rec.At(0).wnd, f.RelayWindow());  // SetOwnerWindowEx first
    EXPECT_EQ(rec.At(0).callbackNull, 1);
    EXPECT_NE(std::string(rec.Last().entry).find("KillOwnerWindowEx"), std::string::npos);
    EXPECT_EQ(f.Archiver()->OwnerWindow, 0u);
  }
}

TEST_F(ArchiveFileTest, ProgressReachesTheHandlerAndAbortIsAnswered) {
  TArchiveFile f(nullptr);
  f.SetFileName("/d/a.lzh");
  struct Seen {
    platform::TComponent* sender;
    int state;
    std::string name;
  };
  std::vector<Seen> seen;
  bool abort = false;
  f.SetOnProgress([&](platform::TComponent* s, int state, libapi::LPEXTRACTINGINFOEX info,
                      bool& a) {
    seen.push_back({s, state, info ? info->szSourceFileName : "(none)"});
    a = abort;
  });
  Lha().Clear();
  Lha().SetProgressItem("docs/表.txt");
  f.Unpack(0, nullptr, "/d", nullptr);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].sender, &f);
  EXPECT_EQ(seen[0].state, 0);
  EXPECT_EQ(seen[0].name, "docs/表.txt");
  EXPECT_EQ(Lha().LastReply(), 0);

  const HWND window = f.RelayWindow();
  abort = true;
  f.Unpack(0, nullptr, "/d", nullptr);
  EXPECT_EQ(Lha().LastReply(), 1);
  EXPECT_EQ(f.RelayWindow(), window) << "one window per component, kept";

  EXPECT_EQ(platform::SendMessage(window, 0x0010, 0, 0), 0);  // not the registered message
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(ArchiveFileTest, WithoutHandlerNoWindowAndNoRegistration) {
  TArchiveFile f(nullptr);
  f.SetFileName("/d/a.lzh");
  Lha().Clear();
  f.Unpack(0, nullptr, "/d", nullptr);
  EXPECT_EQ(f.RelayWindow(), 0u);
  EXPECT_EQ(Lha().Count(), 1);
  EXPECT_STREQ(Lha().Last().entry, "Unlha");
  EXPECT_EQ(Lha().Last().bufferNull, 1) << "OutputSize 0 gives no buffer";
  EXPECT_EQ(Lha().Last().size, 0u);
}

TEST_F(ArchiveFileTest, GivenOptionsAndFileListAreUsed) {
  TArchiveFile f(nullptr);
  f.SetFileName("/d/a.lzh");
  TArchiverOptions mine;
  mine.x = 0;
  const TStrings files{"one.txt"};
  f.Unpack(0, &mine, "/d", &files);
  EXPECT_EQ(f.CommandLine(), R"(x -+ -x0  "/d/a.lzh" "/d/" "one.txt" )");
}

// A library without the owner-window entries: the run goes on without progress, and the
// line carries n as the options hold it.
TEST_F(ArchiveFileTest, OwnerWindowFailureIsSwallowed) {
  Lha32Library().FreeLib();
  recording::UseFolder("lacking");
  TArchiveFile f(nullptr);
  f.SetFileName("/DATA/PACK.LZH");
  f.Options().x = 1;
  f.Options().n = 0;
  int calls = 0;
  f.SetOnProgress([&](platform::TComponent*, int, libapi::LPEXTRACTINGINFOEX, bool&) { ++calls; });
  Lha().SetProgressItem("a.txt");
  f.Unpack(0, nullptr, "/DATA/", nullptr);
  EXPECT_EQ(f.CommandLine(), R"(x -+ -n0 -x1  "/DATA/PACK.LZH" "/DATA/" )");
  EXPECT_EQ(calls, 0);
  EXPECT_NE(f.RelayWindow(), 0u);
}

TEST_F(ArchiveFileTest, DestructorReleasesTheWindow) {
  HWND window = 0;
  {
    TArchiveFile f(nullptr);
    f.SetFileName("/d/a.cab");
    f.SetOnProgress([](platform::TComponent*, int, libapi::LPEXTRACTINGINFOEX, bool&) {});
    f.Unpack(0, nullptr, "/d", nullptr);
    window = f.RelayWindow();
    EXPECT_TRUE(platform::IsWindow(window));
  }
  EXPECT_FALSE(platform::IsWindow(window));
}

}  // namespace
}  // namespace archive
