// The library files end to end: each loaded the way the drivers load it, its entries called
// with the lines the drivers send, on real archives from tests/fixtures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "archive/libapi.h"
#include "libraries/engine/engine.h"
#include "platform/winapi.h"
#include "rarwriter.h"

namespace {

namespace fs = std::filesystem;
using Files = std::vector<std::string>;

const std::string kFixtures = PUKONPA_TEST_SOURCE_DIR "/tests/fixtures/";

std::string Fixture(const std::string& name) { return kFixtures + name; }

// A RAR archive made for the test, as no Debian tool writes RAR; removed when the test
// program ends.
std::string RarFixture() {
  struct Made {
    std::string path = (fs::temp_directory_path() /
                        ("pukonpa_fe_" + std::to_string(::getpid()) + ".rar")).string();
    Made() {
      std::vector<rarwriter::Entry> entries(2);
      entries[0].name = "readme.txt";
      entries[0].data = std::string(3031, 'r');
      entries[1].name = "sub/a.txt";
      entries[1].data = "a";
      std::ofstream(path, std::ios::binary) << rarwriter::WriteRar5(entries);
    }
    ~Made() { fs::remove(path); }
  };
  static const Made made;
  return made.path;
}

template <typename F>
F Entry(const std::string& file, const std::string& name) {
  platform::HMODULE module = platform::LoadLibrary(file);
  if (!module) return nullptr;
  return reinterpret_cast<F>(platform::GetProcAddress(module, name.c_str()));
}

class Libraries : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { platform::SetTrustedLibraryFolders({PUKONPA_TEST_BIN_DIR}); }

  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pukonpa_fe_" + std::to_string(::getpid()) + "_" + std::to_string(++serial_));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    message_ = platform::RegisterWindowMessage(libapi::kArcExtractMessage);
    wnd_ = platform::AllocateHWnd([this](platform::UINT msg, platform::WPARAM state,
                                         platform::LPARAM lParam) -> platform::LRESULT {
      if (msg != message_) return 0;
      // The name the component reads: NUL-ended text within 513 bytes from offset 8.
      const char* name = reinterpret_cast<const char*>(lParam) + 8;
      seen_.push_back({static_cast<int>(state), std::string(name, strnlen(name, 513))});
      if (state == libapi::kStateBegin && ++begins_ == abortAtBegin_) return 1;
      return 0;
    });
  }

  void TearDown() override {
    platform::DeallocateHWnd(wnd_);
    fs::remove_all(dir_);
  }

  std::string Dest() const { return dir_.string() + "/"; }

  // Every file below the destination, relative, sorted.
  Files Extracted() const {
    Files out;
    for (const auto& e : fs::recursive_directory_iterator(dir_)) {
      if (e.is_regular_file()) out.push_back(fs::relative(e.path(), dir_).string());
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  int Run(const std::string& file, const std::string& entry, const std::string& line,
          std::string* text = nullptr) {
    auto command = Entry<libapi::TCommandEntry>(file, entry);
    if (!command) return -12345;
    char buffer[8192];
    std::memset(buffer, 'X', sizeof buffer);
    int code = command(0, line.c_str(), buffer, sizeof buffer);
    if (text) *text = buffer;
    return code;
  }

  // Registers the test window as owner of `file`'s library (prefix P).
  bool Own(const std::string& file, const std::string& prefix) {
    auto set = Entry<libapi::TSetOwnerWindowExEntry>(file, prefix + "SetOwnerWindowEx");
    return set && set(wnd_, nullptr) != 0;
  }
  bool Disown(const std::string& file, const std::string& prefix) {
    auto kill = Entry<libapi::TKillOwnerWindowExEntry>(file, prefix + "KillOwnerWindowEx");
    return kill && kill(wnd_) != 0;
  }

  struct Seen {
    int state;
    std::string name;
  };
  fs::path dir_;
  platform::UINT message_ = 0;
  platform::HWND wnd_ = 0;
  std::vector<Seen> seen_;
  int begins_ = 0;
  int abortAtBegin_ = 0;
  static inline int serial_ = 0;
};

std::string Expand(std::string line, const std::string& archive, const std::string& dest) {
  for (auto [key, value] : {std::pair<std::string, std::string>{"{A}", archive}, {"{D}", dest}}) {
    for (std::size_t at; (at = line.find(key)) != std::string::npos;) {
      line.replace(at, key.size(), value);
    }
  }
  return line;
}

struct ExtractCase {
  const char* file;
  const char* prefix;  // entry prefix; the command entry is the prefix itself
  std::string archive;
  const char* line;
  Files files;
};

const Files kCommonSet{"readme.txt", "ソフト/能力.txt", "表示.txt"};

TEST_F(Libraries, EachLibraryExtractsWithTheLinesItsDriverSends) {
  const ExtractCase cases[] = {
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level2.lzh"),
       R"(x -+ -n1 -x1  "{A}" "{D}" )", kCommonSet},
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level0.lzh"), R"(e -+  "{A}" "{D}" )",
       {"readme.txt", "能力.txt", "表示.txt"}},
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh7_level2.lzh"),
       R"(x -+ -n1 "-jx表示*" -x1  "{A}" "{D}" )", {"readme.txt", "ソフト/能力.txt"}},
      // The folder's own entry is selected too, which must not bring the excluded file back.
      {"UNLHA32.DLL", "Unlha", PUKONPA_TEST_SOURCE_DIR "/libraries/frontends/testdata/folder_entry.lzh",
       R"(x -+ -n1 "-jxdocs/secret.txt" -x1  "{A}" "{D}" )", {"docs/keep.txt"}},
      {"UNARJ32J.DLL", "Unarj", Fixture("arj/method0.arj"), R"(x -+ -n1 -x1  "{A}" "{D}" )",
       kCommonSet},
      {"UNZIP32.DLL", "UnZip", Fixture("zip/utf8_flag_7zz.zip"), R"(-x --i  "{A}" "{D}" )",
       kCommonSet},
      {"UNZIP32.DLL", "UnZip", Fixture("zip/cp932_deflate.zip"),
       R"(-x --i -j  "{A}" "{D}" "ソフト/*" )", {"能力.txt"}},
      {"UNZIP32.DLL", "UnZip", Fixture("zip/cp932_deflate.zip"),
       R"(-x --i  "{A}" "{D}" "[a-s]*" )", {"readme.txt"}},
      {"LMZIP32.DLL", "Unzip", Fixture("zip/cp932_stored.zip"), R"(-x  "{A}" "{D}" )",
       kCommonSet},
      {"CAB32.DLL", "Cab", Fixture("cab/mszip_cp932.cab"), R"(-x -i  "{A}" "{D}" )",
       kCommonSet},
      {"tar32.dll", "Tar", Fixture("tar/utf8.tar.gz"),
       R"(x --use-directory=1 -z9  -f "{A}" -o "{D}" )", kCommonSet},
      {"tar32.dll", "Tar", Fixture("tar/utf8.tar.bz2"),
       R"(x --use-directory=0 -B  -f "{A}" -o "{D}" "ソフト/能力.txt" )", {"能力.txt"}},
      {"tar32.dll", "Tar", Fixture("tar/readme.txt.gz"), R"(x -z  -f "{A}" -o "{D}" )",
       {"readme.txt"}},
      {"UNRAR32.DLL", "Unrar", RarFixture(), R"(-x -u  "{A}" "{D}" )",
       {"readme.txt", "sub/a.txt"}},
      {"UNRAR32.DLL", "Unrar", RarFixture(), R"(-e -u  "{A}" "{D}" )", {"a.txt", "readme.txt"}},
  };
  for (const ExtractCase& c : cases) {
    std::string line = Expand(c.line, c.archive, Dest());
    SCOPED_TRACE(std::string(c.file) + ": " + line);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    seen_.clear();
    // LMZIP32.DLL has no owner-window entries: its driver asks UNZIP32.DLL for them.
    const bool reports = std::string(c.file) != "LMZIP32.DLL";
    EXPECT_EQ(Own(c.file, c.prefix), reports);
    std::string text;
    EXPECT_EQ(Run(c.file, c.prefix, line, &text), engine::kOk) << text;
    EXPECT_EQ(Disown(c.file, c.prefix), reports);
    EXPECT_EQ(Extracted(), c.files);
    if (fs::exists(dir_ / "readme.txt")) {
      EXPECT_EQ(fs::file_size(dir_ / "readme.txt"), 3031u);
    }
    // Progress: an item's state 0 comes first, and every begun item ends.
    if (!reports) continue;
    ASSERT_FALSE(seen_.empty());
    EXPECT_EQ(seen_.front().state, libapi::kStateBegin);
    auto count = [&](int state) {
      return std::count_if(seen_.begin(), seen_.end(),
                           [&](const Seen& s) { return s.state == state; });
    };
    EXPECT_GE(count(libapi::kStateBegin), static_cast<long>(c.files.size()));
    EXPECT_EQ(count(libapi::kStateBegin), count(libapi::kStateEnd));
  }
}

TEST_F(Libraries, ProgressNamesTheItemsAndStopsWhenTheOwnerIsForgotten) {
  const std::string line = Expand(R"(x -+ -n1 -x1  "{A}" "{D}" )",
                                  Fixture("lzh/lh5_level2.lzh"), Dest());
  ASSERT_TRUE(Own("UNLHA32.DLL", "Unlha"));
  ASSERT_EQ(Run("UNLHA32.DLL", "Unlha", line), engine::kOk);
  Files begun;
  for (const Seen& s : seen_) {
    if (s.state == libapi::kStateBegin) begun.push_back(s.name);
  }
  std::sort(begun.begin(), begun.end());
  EXPECT_EQ(begun, kCommonSet);

  ASSERT_TRUE(Disown("UNLHA32.DLL", "Unlha"));
  EXPECT_FALSE(Disown("UNLHA32.DLL", "Unlha"));
  seen_.clear();
  fs::remove_all(dir_);
  fs::create_directories(dir_);
  EXPECT_EQ(Run("UNLHA32.DLL", "Unlha", line), engine::kOk);
  EXPECT_TRUE(seen_.empty());
  // A handle that names no window, and a callback, are refused.
  auto set = Entry<libapi::TSetOwnerWindowExEntry>("UNLHA32.DLL", "UnlhaSetOwnerWindowEx");
  EXPECT_EQ(set(0, nullptr), 0);
  int callback = 0;
  EXPECT_EQ(set(wnd_, &callback), 0);
}

TEST_F(Libraries, ANonZeroReplyStopsWithNothingPartialLeft) {
  const struct {
    const char* file;
    const char* prefix;
    std::string archive;
    const char* line;
    int abortAt;
    Files left;
  } cases[] = {
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level2.lzh"), R"(x -+ -n1 -x1  "{A}" "{D}" )",
       1, {}},
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level2.lzh"), R"(x -+ -n1 -x1  "{A}" "{D}" )",
       2, {"readme.txt"}},
      {"UNZIP32.DLL", "UnZip", Fixture("zip/utf8_flag_7zz.zip"), R"(-x --i  "{A}" "{D}" )", 2,
       {"readme.txt"}},
      {"tar32.dll", "Tar", Fixture("tar/utf8.tar.xz"), R"(x  -f "{A}" -o "{D}" )", 1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " abort at " + std::to_string(c.abortAt));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    begins_ = 0;
    abortAtBegin_ = c.abortAt;
    ASSERT_TRUE(Own(c.file, c.prefix));
    std::string text;
    EXPECT_EQ(Run(c.file, c.prefix, Expand(c.line, c.archive, Dest()), &text),
              engine::kErrAborted);
    EXPECT_NE(text, "");
    Disown(c.file, c.prefix);
    EXPECT_EQ(Extracted(), c.left);
    EXPECT_EQ(begins_, c.abortAt);  // nothing more begins after the reply
  }
}

TEST_F(Libraries, OverwritingOnlyWhenTheLineAsksForIt) {
  const struct {
    const char* file;
    const char* prefix;
    std::string archive;
    const char* keep;
    const char* replace;
  } cases[] = {
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level1.lzh"), R"(x -+ -x1  "{A}" "{D}" )",
       R"(x -+ -c1 -x1  "{A}" "{D}" )"},
      {"UNZIP32.DLL", "UnZip", Fixture("zip/utf8_noflag.zip"), R"(-x  "{A}" "{D}" )",
       R"(-x -o  "{A}" "{D}" )"},
      {"CAB32.DLL", "Cab", Fixture("cab/stored_cp932.cab"), R"(-x  "{A}" "{D}" )",
       R"(-x -o  "{A}" "{D}" )"},
      {"tar32.dll", "Tar", Fixture("tar/utf8.tar"), R"(x  -f "{A}" -o "{D}" )",
       R"(x --overwrite  -f "{A}" -o "{D}" )"},
      {"UNRAR32.DLL", "Unrar", RarFixture(), R"(-x -u  "{A}" "{D}" )", R"(-x  "{A}" "{D}" )"},
  };
  const fs::path readme = dir_ / "readme.txt";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::ofstream(readme, std::ios::trunc) << "old";
    int keep = Run(c.file, c.prefix, Expand(c.keep, c.archive, Dest()));
    EXPECT_TRUE(keep == engine::kOk || keep == engine::kWarnSkipped ||
                keep == engine::kWarnRenamed)
        << keep;
    EXPECT_EQ(fs::file_size(readme), 3u);
    EXPECT_EQ(Run(c.file, c.prefix, Expand(c.replace, c.archive, Dest())), engine::kOk);
    EXPECT_EQ(fs::file_size(readme), 3031u);
  }
}

TEST_F(Libraries, TestAndListCommandsReportWithoutWriting) {
  const struct {
    const char* file;
    const char* prefix;
    std::string archive;
    const char* line;
    bool sound;
    const char* mentions;  // expected in the output text
  } cases[] = {
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level2.lzh"), R"(t -+  "{A}" )", true, ""},
      {"UNLHA32.DLL", "Unlha", Fixture("hostile/crc_error.lzh"), R"(t -+  "{A}" )", false, ""},
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level1.lzh"), R"(l  "{A}" "ソフト")", true,
       "ソフト/能力.txt"},
      {"UNZIP32.DLL", "UnZip", Fixture("hostile/crc_error.zip"), R"(-t  "{A}" )", false, ""},
      {"CAB32.DLL", "Cab", Fixture("cab/stored_cp932.cab"), R"(-l  "{A}" )", true, "表示.txt"},
      {"tar32.dll", "Tar", Fixture("tar/utf8.tar.bz2"), R"(t  -f "{A}" )", true, "readme.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.archive);
    std::string text;
    int code = Run(c.file, c.prefix, Expand(c.line, c.archive, Dest()), &text);
    EXPECT_EQ(code == engine::kOk, c.sound) << code << " " << text;
    EXPECT_NE(text.find(c.mentions), std::string::npos) << text;
    EXPECT_EQ(Extracted(), Files{});
  }
}

TEST_F(Libraries, HostileArchivesWriteNothingOutsideTheFolder) {
  const struct {
    const char* file;
    const char* prefix;
    const char* archive;
    const char* line;
  } cases[] = {
      {"UNLHA32.DLL", "Unlha", "hostile/dotdot.lzh", R"(x -+ -n1 -x1  "{A}" "{D}" )"},
      {"UNARJ32J.DLL", "Unarj", "hostile/dotdot.arj", R"(x -+ -n1 -x1  "{A}" "{D}" )"},
      {"UNZIP32.DLL", "UnZip", "hostile/dotdot.zip", R"(-x --i  "{A}" "{D}" )"},
      {"UNZIP32.DLL", "UnZip", "hostile/backslash.zip", R"(-x -o --i  "{A}" "{D}" )"},
      {"UNZIP32.DLL", "UnZip", "hostile/symlink.zip", R"(-x -o --i  "{A}" "{D}" )"},
      {"tar32.dll", "Tar", "hostile/symlink_dotdot.tar", R"(x --overwrite  -f "{A}" -o "{D}" )"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "out");
    std::string text;
    int code = Run(c.file, c.prefix, Expand(c.line, Fixture(c.archive), Dest() + "out/"), &text);
    EXPECT_NE(code, engine::kOk) << text;
    EXPECT_NE(text, "");
    for (const std::string& f : Extracted()) EXPECT_EQ(f.rfind("out/", 0), 0u) << f;
  }
}

TEST_F(Libraries, BadOrUnsupportedLinesAnswerACodeAndAReason) {
  const std::string zip = Fixture("zip/utf8_flag_7zz.zip");
  const struct {
    const char* file;
    const char* entry;
    std::string line;
    int code;
  } cases[] = {
      {"UNLHA32.DLL", "Unlha", R"(x -+ "/a.lzh)", engine::kErrCommand},
      {"UNLHA32.DLL", "Unlha", "", engine::kErrCommand},
      {"UNARJ32J.DLL", "Unarj", R"(q "/a.arj")", engine::kErrCommand},
      {"UNZIP32.DLL", "UnZip", R"(x "/a.zip")", engine::kErrCommand},
      {"tar32.dll", "Tar", R"(x -o "/d/")", engine::kErrCommand},
      {"UNLHA32.DLL", "Unlha", R"(u -+  "/tmp/x.lzh" "/tmp/" "a.txt" )", engine::kErrNotSupported},
      {"CAB32.DLL", "Cab", R"(-a  "/tmp/x.cab" "a.txt" )", engine::kErrNotSupported},
      {"tar32.dll", "Tar", R"(c  -f "/tmp/x.tar" "a.txt" )", engine::kErrNotSupported},
      {"ZIP32J.DLL", "Zip", R"( -D  "/tmp/x.zip" "/tmp/" "a.txt" )", engine::kErrNotSupported},
      {"ZIP32J.DLL", "Zip", R"(-A /tmp/x.EXE)", engine::kErrNotSupported},
      {"LMZIP32.DLL", "Zip", R"(-ru  "/tmp/x.zip" "a.txt" )", engine::kErrNotSupported},
      {"ZIP32J.DLL", "Zip", R"(-d "/tmp/x.zip)", engine::kErrCommand},
      // An archive of another family, or none at all.
      {"UNLHA32.DLL", "Unlha", "x  \"" + zip + "\" \"/tmp/\"", engine::kErrOpen},
      {"UNRAR32.DLL", "Unrar", R"(-x  "/no/such.rar" "/tmp/" )", engine::kErrOpen},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.line);
    std::string text;
    EXPECT_EQ(Run(c.file, c.entry, c.line, &text), c.code);
    EXPECT_NE(text, "");
    EXPECT_EQ(text.find('X'), std::string::npos) << "unterminated output";
  }
}

TEST_F(Libraries, OutputBufferIsRespected) {
  auto unlha = Entry<libapi::TCommandEntry>("UNLHA32.DLL", "Unlha");
  ASSERT_NE(unlha, nullptr);
  EXPECT_EQ(unlha(0, nullptr, nullptr, 0), engine::kErrCommand);
  EXPECT_EQ(unlha(0, "q", nullptr, 100), engine::kErrCommand);
  char buffer[16];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(unlha(0, "q", buffer, 0), engine::kErrCommand);
  EXPECT_EQ(buffer[0], 'X');
  EXPECT_EQ(unlha(0, "q", buffer, 8), engine::kErrCommand);
  EXPECT_EQ(std::strlen(buffer), 7u);
  EXPECT_EQ(buffer[8], 'X');
}

TEST_F(Libraries, OpenArchiveAnswersOnlyForItsOwnFamily) {
  const struct {
    const char* file;
    const char* prefix;
    std::string archive;
    bool opens;
  } cases[] = {
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh6_level1.lzh"), true},
      {"UNLHA32.DLL", "Unlha", Fixture("zip/zip64.zip"), false},
      {"UNLHA32.DLL", "Unlha", Fixture("README.md"), false},
      {"UNLHA32.DLL", "Unlha", "/no/such/file.lzh", false},
      {"UNARJ32J.DLL", "Unarj", Fixture("arj/method4.arj"), true},
      {"UNARJ32J.DLL", "Unarj", Fixture("lzh/lh6_level1.lzh"), false},
      {"UNZIP32.DLL", "UnZip", Fixture("zip/zip64.zip"), true},
      {"LMZIP32.DLL", "Unzip", Fixture("zip/zip64.zip"), true},
      {"LMZIP32.DLL", "Unzip", Fixture("cab/mszip_utf8.cab"), false},
      {"CAB32.DLL", "Cab", Fixture("cab/mszip_utf8.cab"), true},
      {"tar32.dll", "Tar", Fixture("tar/utf8.tar.Z"), true},
      {"tar32.dll", "Tar", Fixture("tar/readme.txt.bz2"), true},
      {"tar32.dll", "Tar", Fixture("zip/zip64.zip"), false},
      {"UNRAR32.DLL", "Unrar", RarFixture(), true},
      {"UNRAR32.DLL", "Unrar", Fixture("tar/utf8.tar"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.archive);
    auto open = Entry<libapi::TOpenArchiveEntry>(c.file, std::string(c.prefix) + "OpenArchive");
    auto close = Entry<libapi::TCloseArchiveEntry>(c.file, std::string(c.prefix) + "CloseArchive");
    ASSERT_TRUE(open && close);
    libapi::HARC probe = open(0, c.archive.c_str(), libapi::kProbeOpenMode);
    EXPECT_EQ(probe != 0, c.opens);
    EXPECT_EQ(close(probe), probe ? 0 : -1);
    libapi::HARC listed = open(0, c.archive.c_str(), 0);
    EXPECT_EQ(listed != 0, c.opens);
    if (listed) {
      EXPECT_EQ(close(listed), 0);
    }
  }
}

TEST_F(Libraries, FindFirstAndFindNextWalkTheMatchingItems) {
  auto open = Entry<libapi::TOpenArchiveEntry>("UNLHA32.DLL", "UnlhaOpenArchive");
  auto close = Entry<libapi::TCloseArchiveEntry>("UNLHA32.DLL", "UnlhaCloseArchive");
  auto first = Entry<libapi::TFindFirstEntry>("UNLHA32.DLL", "UnlhaFindFirst");
  auto next = Entry<libapi::TFindNextEntry>("UNLHA32.DLL", "UnlhaFindNext");
  ASSERT_TRUE(open && close && first && next);
  const std::string lzh = Fixture("lzh/lh5_level2.lzh");
  // Opened in the probe mode: the items are listed at the first search.
  for (platform::DWORD mode : {platform::DWORD{0}, libapi::kProbeOpenMode}) {
    libapi::HARC arc = open(0, lzh.c_str(), mode);
    ASSERT_NE(arc, 0u);
    const std::map<std::string, Files> searches{
        {"*", kCommonSet}, {"*.txt", kCommonSet}, {"ソフト", {"ソフト/能力.txt"}},
        {"readme.txt", {"readme.txt"}}, {"*.lzh", {}}};
    for (const auto& [wild, expected] : searches) {
      SCOPED_TRACE(wild);
      libapi::INDIVIDUALINFO info;
      Files found;
      for (int r = first(arc, wild.c_str(), &info); r == 0; r = next(arc, &info)) {
        found.push_back(info.szFileName);
        if (found.back() == "readme.txt") {
          EXPECT_EQ(info.llOriginalSize, 3031u);
          EXPECT_NE(std::string(info.szMode).find("-lh5-"), std::string::npos) << info.szMode;
        }
      }
      std::sort(found.begin(), found.end());
      EXPECT_EQ(found, expected);
      EXPECT_EQ(next(arc, &info), libapi::kFindEnd);
    }
    EXPECT_EQ(close(arc), 0);
    libapi::INDIVIDUALINFO info;
    EXPECT_LT(first(arc, "*", &info), -1);  // a closed handle is no handle
    EXPECT_LT(next(arc, &info), -1);
  }
}

TEST_F(Libraries, CheckArchiveIsTrueForASoundArchiveOfItsFamily) {
  const struct {
    const char* file;
    const char* prefix;
    std::string archive;
    int answer;
  } cases[] = {
      {"UNLHA32.DLL", "Unlha", Fixture("lzh/lh5_level2.lzh"), 1},
      {"UNLHA32.DLL", "Unlha", Fixture("hostile/crc_error.lzh"), 0},
      {"UNLHA32.DLL", "Unlha", Fixture("hostile/truncated.lzh"), 0},
      {"UNLHA32.DLL", "Unlha", Fixture("zip/zip64.zip"), 0},
      {"UNZIP32.DLL", "UnZip", Fixture("zip/cp932_deflate.zip"), 1},
      {"UNZIP32.DLL", "UnZip", Fixture("hostile/crc_error.zip"), 0},
      {"CAB32.DLL", "Cab", Fixture("cab/mszip_cp932.cab"), 1},
      {"tar32.dll", "Tar", Fixture("tar/utf8.tar.xz"), 1},
      {"tar32.dll", "Tar", Fixture("hostile/truncated.tar.gz"), 0},
      {"UNARJ32J.DLL", "Unarj", Fixture("arj/method3.arj"), 1},
      {"UNRAR32.DLL", "Unrar", RarFixture(), 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.archive);
    auto check = Entry<libapi::TCheckArchiveEntry>(c.file, std::string(c.prefix) + "CheckArchive");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check(c.archive.c_str(), 0), c.answer);
  }
}

TEST_F(Libraries, TarGetArchiveTypeJudgesTheContent) {
  auto type = Entry<libapi::TGetArchiveTypeEntry>("tar32.dll", "TarGetArchiveType");
  ASSERT_NE(type, nullptr);
  const std::map<std::string, int> cases{
      {"tar/utf8.tar", 1},        {"tar/utf8.tar.gz", 2},    {"tar/pax.tgz", 2},
      {"tar/utf8.tar.Z", 3},      {"tar/readme.txt.gz", 4},  {"tar/utf8.tar.xz", 5},
      {"tar/utf8.tar.bz2", 6},    {"tar/readme.txt.bz2", 7}, {"zip/zip64.zip", 0},
      {"lzh/lh5_level2.lzh", 0},  {"README.md", 0},          {"no/such/file", 0},
  };
  for (const auto& [name, code] : cases) EXPECT_EQ(type(Fixture(name).c_str()), code) << name;
  EXPECT_EQ(type(nullptr), 0);
}

TEST_F(Libraries, EachFileExportsExactlyItsDriversEntries) {
  const std::map<std::string, Files> exports{
      {"UNLHA32.DLL", {"Unlha"}}, {"UNARJ32J.DLL", {"Unarj"}}, {"UNZIP32.DLL", {"UnZip"}},
      {"CAB32.DLL", {"Cab"}},     {"tar32.dll", {"Tar"}},      {"UNRAR32.DLL", {"Unrar"}},
  };
  const Files suffixes{"",          "OpenArchive",  "CloseArchive",      "FindFirst",
                       "FindNext",  "CheckArchive", "SetOwnerWindowEx", "KillOwnerWindowEx"};
  for (const auto& [file, prefixes] : exports) {
    platform::HMODULE module = platform::LoadLibrary(file);
    ASSERT_NE(module, nullptr) << file;
    for (const std::string& suffix : suffixes) {
      EXPECT_NE(platform::GetProcAddress(module, (prefixes[0] + suffix).c_str()), nullptr)
          << file << " " << prefixes[0] + suffix;
    }
  }
  platform::HMODULE lmzip = platform::LoadLibrary("LMZIP32.DLL");
  ASSERT_NE(lmzip, nullptr);
  for (const char* name : {"Zip", "Unzip", "UnzipOpenArchive", "UnzipCloseArchive",
                           "UnzipFindFirst", "UnzipFindNext", "UnzipCheckArchive"}) {
    EXPECT_NE(platform::GetProcAddress(lmzip, name), nullptr) << name;
  }
  EXPECT_EQ(platform::GetProcAddress(lmzip, "UnZip"), nullptr);
  platform::HMODULE zip32j = platform::LoadLibrary("ZIP32J.DLL");
  ASSERT_NE(zip32j, nullptr);
  EXPECT_NE(platform::GetProcAddress(zip32j, "Zip"), nullptr);
  EXPECT_EQ(platform::GetProcAddress(zip32j, "UnZip"), nullptr);
}

}  // namespace
