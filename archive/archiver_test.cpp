#include "archive/archiver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <unistd.h>

#include "platform/winapi.h"

namespace archive {
namespace {

namespace fs = std::filesystem;

// The test library's real path and folder (built beside the tests).
const fs::path kTestLib = ARCHIVE_CORE_TESTLIB;
const char* const kMissingMessage = "CORETEST 形式書庫を扱うには CORETEST.DLL が 必要です。";

using AnswerFn = int (*)();
using TwiceFn = int (*)(int);

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

template <class F>
std::string MessageOf(F&& call) {
  try {
    call();
  } catch (const EArchiver& e) {
    return e.Message();
  }
  return "(no EArchiver)";
}

// A driver that keeps every base slot but the pure Unpack; its class loader only counts.
int bareLoads = 0;
class TBare : public TArchiver {
 public:
  TBare() : TArchiver([] { ++bareLoads; }) {}
  int Unpack(HWND, const std::string&, const TArchiverOptions&, const std::string&,
             const TStrings*, bool, std::string&) override {
    return 0;
  }
};

class TArchiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("archiver_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(TArchiverTest, ConstructionClearsFieldsAndCallsTheClassLoaderOnce) {
  bareLoads = 0;
  TBare driver;
  EXPECT_EQ(bareLoads, 1);
  EXPECT_EQ(driver.CommandLine, "");
  EXPECT_EQ(driver.OwnerWindow, 0u);
}

// A loader that raises ends construction: the exception reaches the creator, no object.
int trackersDestroyed = 0;
struct Tracker {
  ~Tracker() { ++trackersDestroyed; }
};
struct TThrowing : TArchiver {
  TThrowing() : TArchiver([] { throw EArchiver("missing library"); }) {}
  Tracker tracker;
  int Unpack(HWND, const std::string&, const TArchiverOptions&, const std::string&,
             const TStrings*, bool, std::string&) override {
    return 0;
  }
};
struct TNoLoader : TArchiver {
  TNoLoader() : TArchiver(nullptr) {}
  Tracker tracker;
  int Unpack(HWND, const std::string&, const TArchiverOptions&, const std::string&,
             const TStrings*, bool, std::string&) override {
    return 0;
  }
};

TEST_F(TArchiverTest, LoaderExceptionEndsConstruction) {
  trackersDestroyed = 0;
  std::unique_ptr<TArchiver> driver;
  EXPECT_EQ(MessageOf([&] { driver.reset(new TThrowing); }), "missing library");
  EXPECT_EQ(driver, nullptr);
  // A class without a loader of its own gets the base one, which raises.
  EXPECT_EQ(MessageOf([&] { driver.reset(new TNoLoader); }),
            "Abstract method 'TArchiver.LoadDLL' was called");
  EXPECT_EQ(driver, nullptr);
  EXPECT_EQ(trackersDestroyed, 0);  // the members after the base were never built
}

// Unsupported operations raise their exact message whatever the arguments, and build nothing.
TEST_F(TArchiverTest, BaseSlotsRaiseTheirMessages) {
  TBare driver;
  driver.CommandLine = "kept";
  TArchiverOptions options;
  const TStrings files = {"A.TXT"};
  const TStrings empty;
  std::string output(16, 'o');
  std::string noOutput;
  const struct {
    const char* message;
    std::function<void()> call;
  } cases[] = {
      {"Abstract method 'TArchiver.LoadDLL' was called", [&] { driver.LoadDLL(); }},
      {"Abstract method 'TArchiver.FreeDLL' was called", [&] { driver.FreeDLL(); }},
      {"この形式では書庫ファイルの作成をサポートしておりません。",
       [&] { driver.Pack(1, "/DATA/NEW.LZH", options, "/SRC", &files, true, output); }},
      {"この形式では書庫ファイルの作成をサポートしておりません。",
       [&] { driver.Pack(0, NoValue, options, NoValue, nullptr, false, noOutput); }},
      {"この形式の書庫ではファイルの削除をサポートしておりません。",
       [&] { driver.RemoveItem(1, "/DATA/PACK.LZH", options, "", &files, true, output); }},
      {"この形式の書庫ではファイルの削除をサポートしておりません。",
       [&] { driver.RemoveItem(0, "", options, "", &empty, false, noOutput); }},
      {"この形式の書庫では書庫の更新をサポートしておりません。",
       [&] { driver.Update(1, "/DATA/PACK.LZH", options, "/SRC", &files, true, output); }},
      {"この形式では自己解凍書庫の作成をサポートしておりません。",
       [&] { driver.MakeSFX(1, "/DATA/PACK.LZH", options, "/OUT", output); }},
      {"この形式では書庫チェック機能をサポートしておりません。",
       [&] { driver.CheckArchive("/DATA/PACK.LZH", 0, 0); }},
      {"この形式では書庫チェック機能をサポートしておりません。",
       [&] { driver.CheckArchive(NoValue, -1, 0x7fffffff); }},
  };
  for (const auto& c : cases) EXPECT_EQ(MessageOf(c.call), c.message);
  EXPECT_EQ(driver.CommandLine, "kept");
  EXPECT_EQ(output, std::string(16, 'o'));
}

TEST_F(TArchiverTest, BaseInspectionSlotsAnswerNeutrally) {
  TBare driver;
  libapi::INDIVIDUALINFO info{};
  EXPECT_EQ(driver.OpenArchive(1, "/DATA/PACK.LZH", 0x800002), 0u);
  EXPECT_EQ(driver.FindFirst(5, &info, "*"), -1);
  EXPECT_EQ(driver.FindNext(5, &info), -1);
  EXPECT_EQ(driver.CloseArchive(5), 0);
  driver.OwnerWindow = 7;
  EXPECT_FALSE(driver.SetOwnerWindow(9, nullptr));
  EXPECT_EQ(driver.OwnerWindow, 7u);
  EXPECT_FALSE(driver.KillOwnerWindow(7));
  EXPECT_EQ(driver.OwnerWindow, 7u);
}

TEST_F(TArchiverTest, AddArchiveAndDirQuotesBothAndEndsTheFolder) {
  const struct {
    std::string archive, dir, expected;
  } cases[] = {
      {"/DATA/PACK.LZH", "/DATA", " \"/DATA/PACK.LZH\" \"/DATA/\""},
      {"/DATA/PACK.LZH", "/DATA/", " \"/DATA/PACK.LZH\" \"/DATA/\""},
      {"/DATA/PACK.LZH", "", " \"/DATA/PACK.LZH\""},
      {"/DATA/PACK.LZH", NoValue, " \"/DATA/PACK.LZH\""},
      {NoValue, "/DATA", " \"/DATA/\""},
      {"", "", " \"\""},
  };
  for (const auto& c : cases) {
    TCmdOpt opt;
    TArchiver::AddArchiveAndDir(opt, c.archive, c.dir);
    EXPECT_EQ(opt.CmdLine, c.expected) << c.archive << " | " << c.dir;
  }
}

// Names go directly unless a response file is asked for and named; UserFileList always ends.
TEST_F(TArchiverTest, AddFileArgsChoosesNamesOrResponseFile) {
  const std::string list = (dir_ / "LIST.TXT").string();
  const TStrings files = {"A.TXT", "B.TXT"};
  const TStrings empty;
  const struct {
    const char* what;
    const TStrings* files;
    bool useResFile;
    std::string resFileName;
    std::string expected;
    const char* fileContent;  // nullptr: no response file written
  } cases[] = {
      {"no list", nullptr, true, list, " extra", nullptr},
      {"names", &files, false, list, " \"A.TXT\" \"B.TXT\" extra", nullptr},
      {"no response file name", &files, true, "", " \"A.TXT\" \"B.TXT\" extra", nullptr},
      {"NoValue response file", &files, true, NoValue, " \"A.TXT\" \"B.TXT\" extra", nullptr},
      {"response file", &files, true, list, " \"@" + list + "\" extra",
       "\"A.TXT\"\r\n\"B.TXT\"\r\n"},
      {"empty list, response file", &empty, true, list, " \"@" + list + "\" extra", ""},
      {"empty list, names", &empty, false, list, " extra", nullptr},
  };
  for (const auto& c : cases) {
    fs::remove(list);
    TArchiverOptions options;
    options.UserFileList = "extra";
    options.ResFileName = c.resFileName;
    TCmdOpt opt;
    TArchiver::AddFileArgs(opt, options, c.useResFile, c.files);
    EXPECT_EQ(opt.CmdLine, c.expected) << c.what;
    EXPECT_EQ(fs::exists(list), c.fileContent != nullptr) << c.what;
    if (c.fileContent) {
      EXPECT_EQ(ReadFile(list), c.fileContent) << c.what;
    }
  }
  TArchiverOptions defaults;
  TCmdOpt opt;
  TArchiver::AddFileArgs(opt, defaults, false, nullptr);
  EXPECT_EQ(opt.CmdLine, " ");  // the empty UserFileList still adds its blank
}

TEST_F(TArchiverTest, GetDLLEntryFindsEntriesAndNamesTheFileOfAMissingOne) {
  platform::SetTrustedLibraryFolders({kTestLib.parent_path().string()});
  HMODULE module = platform::LoadLibrary("CORETEST.DLL");
  ASSERT_NE(module, nullptr);
  auto answer = reinterpret_cast<AnswerFn>(GetDLLEntry(module, "CoreTestAnswer"));
  EXPECT_EQ(answer(), 42);

  EXPECT_EQ(MessageOf([&] { GetDLLEntry(module, "UnlhaFindNext"); }),
            kTestLib.string() + " に UnlhaFindNext のエントリが見つかりません。");
  const std::string longName(5000, 'E');
  EXPECT_EQ(MessageOf([&] { GetDLLEntry(module, longName.c_str()); }),
            kTestLib.string() + " に " + longName + " のエントリが見つかりません。");
  EXPECT_EQ(MessageOf([&] { GetDLLEntry(module, ""); }),
            kTestLib.string() + " に  のエントリが見つかりません。");
  // No module: the program's own file is named.
  EXPECT_EQ(MessageOf([&] { GetDLLEntry(nullptr, "CoreTestAnswer"); }),
            fs::read_symlink("/proc/self/exe").string() + " に CoreTestAnswer のエントリが見つかりません。");
}

TEST_F(TArchiverTest, DriverLibraryLoadsOnceAndCachesEntries) {
  platform::SetTrustedLibraryFolders({kTestLib.parent_path().string()});
  TDriverLibrary<2> lib("CORETEST.DLL", kMissingMessage, {"CoreTestAnswer", "CoreTestTwice"});
  EXPECT_FALSE(lib.Loaded());
  lib.LoadLib();
  HMODULE handle = lib.Handle();
  ASSERT_NE(handle, nullptr);
  lib.LoadLib();
  EXPECT_TRUE(lib.TryLoadLib());
  EXPECT_EQ(lib.Handle(), handle);
  EXPECT_EQ(platform::GetModuleFileName(handle), kTestLib.string());

  EXPECT_EQ(lib.Cached(0), nullptr);
  EXPECT_EQ(lib.Entry<AnswerFn>(0, false)(), 42);
  void* cached = lib.Cached(0);
  EXPECT_NE(cached, nullptr);
  EXPECT_EQ(lib.Cached(1), nullptr);  // looked up only when first used
  EXPECT_EQ(lib.Entry<TwiceFn>(1, true)(21), 42);
  EXPECT_EQ(lib.Cached(0), cached);

  lib.FreeLib();
  EXPECT_FALSE(lib.Loaded());
  EXPECT_EQ(lib.Cached(0), nullptr);
  EXPECT_EQ(lib.Cached(1), nullptr);
  EXPECT_EQ(lib.Entry<AnswerFn>(0, true)(), 42);  // loads again on demand
}

// A missing library raises the family's message each time and is found once it appears.
TEST_F(TArchiverTest, DriverLibraryRetriesAFailedLoad) {
  platform::SetTrustedLibraryFolders({dir_.string()});
  TDriverLibrary<1> lib("RETRY.DLL", kMissingMessage, {"CoreTestAnswer"});
  EXPECT_EQ(MessageOf([&] { lib.LoadLib(); }), kMissingMessage);
  EXPECT_FALSE(lib.TryLoadLib());
  EXPECT_EQ(MessageOf([&] { lib.Entry<AnswerFn>(0, true); }), kMissingMessage);
  EXPECT_EQ(lib.Cached(0), nullptr);

  fs::copy_file(kTestLib, dir_ / "RETRY.DLL");
  lib.LoadLib();
  EXPECT_TRUE(lib.Loaded());
  EXPECT_EQ(platform::GetModuleFileName(lib.Handle()), (dir_ / "RETRY.DLL").string());
  EXPECT_EQ(lib.Entry<AnswerFn>(0, true)(), 42);
}

// A failed lookup leaves nothing cached, so every later call looks again and raises again.
TEST_F(TArchiverTest, DriverLibraryRetriesAFailedLookup) {
  platform::SetTrustedLibraryFolders({kTestLib.parent_path().string()});
  TDriverLibrary<2> lib("CORETEST.DLL", kMissingMessage, {"CoreTestAnswer", "CoreTestGone"});
  const std::string message = kTestLib.string() + " に CoreTestGone のエントリが見つかりません。";
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(MessageOf([&] { lib.Entry<AnswerFn>(1, true); }), message) << attempt;
    EXPECT_EQ(lib.Cached(1), nullptr) << attempt;
  }
  EXPECT_EQ(lib.Entry<AnswerFn>(0, false)(), 42);  // the other entries are unaffected
}

// Drivers of one family share one library: creation fails while it is missing, and later
// drivers reuse the handle and the cached entries that earlier ones left behind.
TDriverLibrary<1>* familyLib = nullptr;
class TFamily : public TArchiver {
 public:
  TFamily() : TArchiver([] { familyLib->LoadLib(); }) {}
  void LoadDLL() override { familyLib->LoadLib(); }
  void FreeDLL() override { familyLib->FreeLib(); }
  int Unpack(HWND, const std::string&, const TArchiverOptions&, const std::string&,
             const TStrings*, bool, std::string&) override {
    return familyLib->Entry<AnswerFn>(0, true)();
  }
};

TEST_F(TArchiverTest, DriversShareTheirFamilyLibrary) {
  platform::SetTrustedLibraryFolders({dir_.string()});
  TDriverLibrary<1> lib("FAMILY.DLL", kMissingMessage, {"CoreTestAnswer"});
  familyLib = &lib;
  std::unique_ptr<TFamily> driver;
  EXPECT_EQ(MessageOf([&] { driver = std::make_unique<TFamily>(); }), kMissingMessage);
  EXPECT_EQ(driver, nullptr);

  fs::copy_file(kTestLib, dir_ / "FAMILY.DLL");
  driver = std::make_unique<TFamily>();
  TArchiverOptions options;
  std::string output;
  EXPECT_EQ(driver->Unpack(0, "", options, "", nullptr, false, output), 42);
  HMODULE handle = lib.Handle();
  void* entry = lib.Cached(0);
  driver.reset();
  EXPECT_TRUE(lib.Loaded());  // destroying a driver frees nothing

  driver = std::make_unique<TFamily>();
  EXPECT_EQ(lib.Handle(), handle);
  EXPECT_EQ(lib.Cached(0), entry);
  familyLib = nullptr;
}

}  // namespace
}  // namespace archive
