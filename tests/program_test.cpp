// The built program run as a child process, headless, on real archives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/child_process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tests::ChildProcess;
using tests::ReadFile;

const fs::path kProgram = PUKONPA_PROGRAM;
const fs::path kFixtures = PUKONPA_FIXTURES;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int n = 0;
    root = fs::temp_directory_path() /
           ("program_test_" + std::to_string(getpid()) + "_" + std::to_string(n++));
    fs::create_directories(root);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path Copy(const std::string& fixture, const std::string& rel) {
    fs::create_directories((root / rel).parent_path());
    fs::copy_file(kFixtures / fixture, root / rel);
    return root / rel;
  }
  // Runs `program` headless in `root` with `args`; false when it did not end within 20 s.
  bool Run(const fs::path& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child(argv, root.string(), {"DISPLAY", "WAYLAND_DISPLAY"},
                       (root / "stdout").string(), (root / "stderr").string());
    if (!child.Wait(20s)) return false;
    exitCode = child.ExitCode();
    err = ReadFile((root / "stderr").string());
    return true;
  }
  // The members of the common set, extracted into `folder`.
  void ExpectExtracted(const std::string& folder) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(ReadFile((root / folder / "readme.txt").string()).size(), 3031u);
    EXPECT_EQ(fs::file_size(root / folder / "表示.txt"), 68u);
    EXPECT_EQ(fs::file_size(root / folder / "ソフト" / "能力.txt"), 19u);
  }
  void ExpectUntouched(const std::string& folder) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(std::distance(fs::directory_iterator(root / folder), fs::directory_iterator()), 1);
  }
  fs::path root;
  int exitCode = -1;
  std::string err;
};

TEST_F(ProgramTest, DroppedArchivesComeOutInTheirOwnFoldersAndTheProgramEnds) {
  Copy("lzh/lh5_level2.lzh", "lzh/pack.lzh");
  const fs::path zip = Copy("zip/cp932_deflate.zip", "zip/PACK.ZIP");
  const fs::path cab = Copy("cab/mszip_cp932.cab", "cab/pack.Cab");
  Copy("zip/cp932_deflate.zip", "sfx/pack.exe");
  fs::create_directories(root / "folder.zip");
  // A relative argument is taken against the folder the program starts in.
  ASSERT_TRUE(Run(kProgram, {"lzh/pack.lzh", (root / "missing.zip").string(),
                             (root / "folder.zip").string(), (root / "sfx/pack.exe").string(),
                             zip.string(), cab.string()}));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(err, "");
  ExpectExtracted("lzh");
  ExpectExtracted("zip");
  ExpectExtracted("cab");
  ExpectUntouched("sfx");
  EXPECT_TRUE(fs::is_empty(root / "folder.zip"));
}

// Hostile archives dropped beside a file of the user's: nothing lands outside the archives'
// folder, no link is made, broken members leave nothing, and the user's file is untouched.
TEST_F(ProgramTest, HostileArchivesStayInsideAndLeaveNothingPartial) {
  const std::vector<std::string> hostile{
      "dotdot.zip",    "absolute.zip",  "backslash.zip", "symlink.zip",   "truncated.zip",
      "crc_error.zip", "crc_error.lzh", "dotdot.lzh",    "truncated.lzh", "size_beyond.zip"};
  std::vector<std::string> args;
  for (const auto& name : hostile)
    args.push_back(Copy("hostile/" + name, "in/drop/" + name).string());
  std::ofstream(root / "in" / "keep.txt") << "keep";
  std::ofstream(root / "in" / "drop" / "readme.txt") << "user's own";
  const bool tmpEvilBefore = fs::exists("/tmp/evil.txt");

  ASSERT_TRUE(Run(kProgram, args));
  EXPECT_EQ(exitCode, 0);

  std::set<std::string> outside, inside;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string rel = fs::relative(e.path(), root).string();
    EXPECT_FALSE(e.is_symlink()) << rel;
    if (!e.is_regular_file()) continue;
    (rel.starts_with("in/drop/") ? inside : outside).insert(rel);
  }
  EXPECT_EQ(outside, (std::set<std::string>{"in/keep.txt", "stdout", "stderr"}));
  std::set<std::string> expected{"in/drop/ok.txt",         "in/drop/readme.txt",
                                 "in/drop/readme (2).txt", "in/drop/表示.txt",
                                 "in/drop/ソフト/能力.txt", "in/drop/tmp/evil.txt",
                                 "in/drop/up/evil.txt"};
  for (const auto& name : hostile) expected.insert("in/drop/" + name);
  EXPECT_EQ(inside, expected);
  EXPECT_EQ(ReadFile((root / "in/drop/readme.txt").string()), "user's own");
  // The one complete readme.txt (from the truncated ZIP) came out whole, beside the user's.
  EXPECT_EQ(fs::file_size(root / "in/drop/readme (2).txt"), 3031u);
  if (!tmpEvilBefore) {
    EXPECT_FALSE(fs::exists("/tmp/evil.txt"));
  }
}

TEST_F(ProgramTest, NoExistingArgumentEndsAtOnce) {
  ASSERT_TRUE(Run(kProgram, {(root / "missing.lzh").string(), root.string()}));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(err, "");
}

// The about window cannot be shown or closed without a display: the program says so and ends.
TEST_F(ProgramTest, WithoutArgumentsOrDisplayItEndsAtOnce) {
  ASSERT_TRUE(Run(kProgram, {}));
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(err, "ぷこんぱ: 画面を開けないため、バージョン情報を表示できません。\n");
}

// A copy of the program whose folder lacks CAB32.DLL: the library-missing message, with the
// added ".", and the arguments after the cabinet are not processed.
TEST_F(ProgramTest, MissingLibraryStopsTheBatchWithItsMessage) {
  if (fs::exists(fs::path(PUKONPA_INSTALLED_LIBDIR) / "CAB32.DLL"))
    GTEST_SKIP() << "an installed CAB32.DLL would be found";
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  fs::copy_file(kProgram, bin / "pukonpa");
  for (const auto& entry : fs::directory_iterator(kProgram.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name != "pukonpa" && name != "CAB32.DLL") fs::create_symlink(entry.path(), bin / name);
  }
  const fs::path zip = Copy("zip/cp932_deflate.zip", "1/a.zip");
  const fs::path cab = Copy("cab/mszip_cp932.cab", "2/b.cab");
  const fs::path lzh = Copy("lzh/lh5_level1.lzh", "3/c.lzh");
  ASSERT_TRUE(Run(bin / "pukonpa", {zip.string(), cab.string(), lzh.string()}));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(err, "ぷこんぱ: CAB 形式書庫を扱うには CAB32.DLL が 必要です。.\n");
  ExpectExtracted("1");
  ExpectUntouched("2");
  ExpectUntouched("3");
}

// A staged install holds the program, the libraries, the desktop entry and the icons.
TEST_F(ProgramTest, InstallsIntoADestdir) {
  bool ok = false;
  ChildProcess install({"cmake", "--install", PUKONPA_BUILD_DIR, "--prefix", "/usr"}, "",
                       {"DESTDIR=" + (root / "stage").string()}, (root / "stdout").string(),
                       (root / "stderr").string());
  ok = install.Wait(60s) && install.ExitCode() == 0;
  ASSERT_TRUE(ok) << ReadFile((root / "stderr").string());
  const fs::path usr = root / "stage" / "usr";
  EXPECT_TRUE(fs::is_regular_file(usr / "bin" / "pukonpa"));
  for (const char* lib : {"UNLHA32.DLL", "UNZIP32.DLL", "CAB32.DLL", "ZIP32J.DLL", "LMZIP32.DLL",
                          "UNARJ32J.DLL", "tar32.dll", "UNRAR32.DLL"})
    EXPECT_TRUE(fs::is_regular_file(usr / "lib" / "pukonpa" / lib)) << lib;

  const std::string entry = ReadFile((usr / "share/applications/pukonpa.desktop").string());
  EXPECT_NE(entry.find("\nExec=pukonpa %F\n"), std::string::npos);
  EXPECT_NE(entry.find("\nMimeType=application/x-lzh-compressed;application/x-lha;"
                       "application/zip;application/vnd.ms-cab-compressed;\n"),
            std::string::npos);
  EXPECT_NE(entry.find("\nIcon=pukonpa\n"), std::string::npos);
  for (int size : {16, 32}) {
    const std::string dim = std::to_string(size) + "x" + std::to_string(size);
    const std::string png = ReadFile((usr / "share/icons/hicolor" / dim / "apps/pukonpa.png").string());
    ASSERT_GT(png.size(), 24u) << dim;
    // The PNG header's width and height, big-endian at offsets 16 and 20.
    EXPECT_EQ(static_cast<unsigned char>(png[19]), size);
    EXPECT_EQ(static_cast<unsigned char>(png[23]), size);
  }
  // The installed program finds its shared objects beside the libraries.
  ASSERT_TRUE(Run(usr / "bin" / "pukonpa", {(root / "missing.zip").string()}));
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(err, "");
}

}  // namespace
