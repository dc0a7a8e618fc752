#include "winapi.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace platform;

namespace {

const char* const kTestLibName = "PTEST32.DLL";

void WriteFile(const fs::path& p, const std::string& text = "data") {
  std::ofstream(p, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A fresh temporary folder as the current folder; the current folder, the trusted library
// folders and PATH come back afterwards.
class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldCwd_ = fs::current_path();
    oldFolders_ = TrustedLibraryFolders();
    if (const char* p = std::getenv("PATH")) oldPath_ = p;
    std::string tmpl = (fs::temp_directory_path() / "platform_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = fs::canonical(tmpl);
    ASSERT_TRUE(SetCurrentDirectory(dir_.string()));
  }
  void TearDown() override {
    fs::current_path(oldCwd_);
    SetTrustedLibraryFolders(oldFolders_);
    setenv("PATH", oldPath_.c_str(), 1);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path MakeFolder(const std::string& name) {
    fs::create_directories(dir_ / name);
    return dir_ / name;
  }

  fs::path dir_;

 private:
  fs::path oldCwd_;
  std::vector<std::string> oldFolders_;
  std::string oldPath_;
};

// ---- Libraries ----

TEST_F(PlatformTest, LibraryIsLoadedOnlyFromTrustedFolders) {
  // The library sits in the current folder, as one planted beside an archive would.
  fs::copy_file(PLATFORM_TESTLIB, dir_ / kTestLibName);
  fs::path trusted = MakeFolder("trusted");
  SetTrustedLibraryFolders({ProgramFolder(), trusted.string()});

  for (std::string name : {std::string(kTestLibName), "./" + std::string(kTestLibName),
                           "../" + std::string(kTestLibName),  // from "trusted" up to here
                           "../" + dir_.filename().string() + "/" + kTestLibName,
                           (dir_ / kTestLibName).string()}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadLibrary(name), nullptr);
  }

  fs::copy_file(PLATFORM_TESTLIB, trusted / kTestLibName);
  HMODULE lib = LoadLibrary(kTestLibName);
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(GetModuleFileName(lib), (trusted / kTestLibName).string());
  EXPECT_NE(GetProcAddress(lib, "SendFromLibrary"), nullptr);
  // Only the library's own exports count, not those of the libraries it needs.
  EXPECT_EQ(GetProcAddress(lib, "malloc"), nullptr);
  EXPECT_EQ(LoadLibrary("ptest32.dll"), nullptr) << "file names are exact";
  EXPECT_EQ(LoadLibrary(""), nullptr);
  EXPECT_TRUE(FreeLibrary(lib));
}

TEST_F(PlatformTest, FirstTrustedFolderWinsAndHandlesAreCounted) {
  fs::path first = MakeFolder("first"), second = MakeFolder("second");
  fs::copy_file(PLATFORM_TESTLIB, first / kTestLibName);
  fs::copy_file(PLATFORM_TESTLIB, second / kTestLibName);
  // A relative trusted folder is pinned when set, so later changes of folder do not move it.
  SetTrustedLibraryFolders({"missing", "first", second.string()});
  ASSERT_TRUE(SetCurrentDirectory(second.string()));

  HMODULE a = LoadLibrary(kTestLibName);
  HMODULE b = LoadLibrary(kTestLibName);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(GetModuleFileName(a), (first / kTestLibName).string());
  EXPECT_NE(GetProcAddress(a, "SendFromLibrary"), nullptr);
  EXPECT_EQ(GetProcAddress(a, "NoSuchEntry"), nullptr);
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(GetModuleFileName(b), (first / kTestLibName).string()) << "still loaded once";
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_FALSE(FreeLibrary(b));
  EXPECT_EQ(GetModuleFileName(b), "");
}

TEST_F(PlatformTest, ModuleFileNameOfTheProgram) {
  std::string self = GetModuleFileName(nullptr);
  EXPECT_EQ(self, fs::canonical("/proc/self/exe").string());
  EXPECT_EQ(ProgramFolder(), self.substr(0, self.rfind('/') + 1));
  EXPECT_EQ(TrustedLibraryFolders().front(), ProgramFolder());
}

// ---- Messages and windows ----

TEST(Messages, SameNameSameIdFromTheRegisteredRange) {
  UINT a = RegisterWindowMessage("platform_test_a");
  UINT b = RegisterWindowMessage("platform_test_b");
  EXPECT_GE(a, 0xC000u);
  EXPECT_GE(b, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterWindowMessage("platform_test_a"), a);
  EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST_F(PlatformTest, MessageSentFromLibraryReachesTheProgramsWindow) {
  fs::copy_file(PLATFORM_TESTLIB, dir_ / kTestLibName);
  SetTrustedLibraryFolders({dir_.string()});
  HMODULE lib = LoadLibrary(kTestLibName);
  ASSERT_NE(lib, nullptr);
  using SendFn = long (*)(std::uintptr_t, std::uintptr_t, std::intptr_t);
  using RegisterFn = unsigned (*)(const char*);
  auto send = reinterpret_cast<SendFn>(GetProcAddress(lib, "SendFromLibrary"));
  auto reg = reinterpret_cast<RegisterFn>(GetProcAddress(lib, "RegisteredFromLibrary"));
  ASSERT_NE(send, nullptr);
  ASSERT_NE(reg, nullptr);

  const UINT wmArcExtract = RegisterWindowMessage("wm_arcextract");
  EXPECT_EQ(reg("wm_arcextract"), wmArcExtract) << "one table for program and libraries";

  UINT gotMsg = 0;
  WPARAM gotW = 0;
  LPARAM gotL = 0;
  HWND wnd = AllocateHWnd([&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    gotMsg = msg;
    gotW = w;
    gotL = l;
    return 77;
  });
  int record = 0;
  EXPECT_EQ(send(wnd, 3, reinterpret_cast<std::intptr_t>(&record)), 77);
  EXPECT_EQ(gotMsg, wmArcExtract);
  EXPECT_EQ(gotW, 3u);
  EXPECT_EQ(gotL, reinterpret_cast<LPARAM>(&record));

  DeallocateHWnd(wnd);
  EXPECT_EQ(send(wnd, 0, 0), 0);
  EXPECT_TRUE(FreeLibrary(lib));
}

TEST(Windows, LifeCycle) {
  HWND a = AllocateHWnd([](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    return static_cast<LRESULT>(msg + w + static_cast<WPARAM>(l));
  });
  HWND b = AllocateHWnd([](UINT, WPARAM, LPARAM) -> LRESULT { return -1; });
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_TRUE(IsWindow(a));
  EXPECT_EQ(SendMessage(a, 1, 2, 3), 6);
  EXPECT_EQ(SendMessage(b, 1, 2, 3), -1);
  DeallocateHWnd(a);
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(SendMessage(a, 1, 2, 3), 0);
  EXPECT_TRUE(IsWindow(b));
  DeallocateHWnd(b);
  DeallocateHWnd(b);  // twice is harmless
  EXPECT_FALSE(IsWindow(0));
  EXPECT_EQ(SendMessage(0, 1, 2, 3), 0);
}

TEST(Windows, ProcedureMayReleaseItsOwnWindow) {
  // The relay window can be released from inside its own message; the running procedure
  // and what it captured must survive until it returns.
  HWND self = 0;
  auto marker = std::make_shared<int>(5);
  self = AllocateHWnd([&self, marker](UINT, WPARAM, LPARAM) -> LRESULT {
    DeallocateHWnd(self);
    return *marker + 1;
  });
  marker.reset();
  EXPECT_EQ(SendMessage(self, 0, 0, 0), 6);
  EXPECT_FALSE(IsWindow(self));
  EXPECT_EQ(SendMessage(self, 0, 0, 0), 0);
}

// ---- Files and folders ----

std::vector<std::string> FindAll(const std::string& path, DWORD attr) {
  std::vector<std::string> names;
  TSearchRec rec;
  for (int r = FindFirst(path, attr, rec); r == 0; r = FindNext(rec)) names.push_back(rec.Name);
  FindClose(rec);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(PlatformTest, FindFirstWildcardsAndAttributes) {
  WriteFile(dir_ / "a.lzh");
  WriteFile(dir_ / "b.LZH");
  WriteFile(dir_ / "ab.lzh");
  WriteFile(dir_ / ".hidden.lzh");
  WriteFile(dir_ / "[a].lzh");
  WriteFile(dir_ / "表示.lzh");
  WriteFile(dir_ / "ro.lzh");
  chmod((dir_ / "ro.lzh").c_str(), 0444);
  MakeFolder("sub.lzh");
  const std::string d = dir_.string() + "/";
  using V = std::vector<std::string>;

  struct Case {
    std::string path;
    DWORD attr;
    V expected;
  } cases[] = {
      {d + "*.lzh", faAnyFile, V{".hidden.lzh", "[a].lzh", "a.lzh", "ab.lzh", "ro.lzh", "sub.lzh", "表示.lzh"}},
      {d + "*.lzh", 0, V{"[a].lzh", "a.lzh", "ab.lzh", "ro.lzh", "表示.lzh"}},
      {d + "*.lzh", faDirectory, V{"[a].lzh", "a.lzh", "ab.lzh", "ro.lzh", "sub.lzh", "表示.lzh"}},
      {d + "*.lzh", faHidden, V{".hidden.lzh", "[a].lzh", "a.lzh", "ab.lzh", "ro.lzh", "表示.lzh"}},
      {d + "?.lzh", faAnyFile, V{"a.lzh"}},
      {d + "*.LZH", faAnyFile, V{"b.LZH"}},  // case sensitive
      {d + "[a]*", faAnyFile, V{"[a].lzh"}},  // brackets are literal
      {d + "a*", faAnyFile, V{"a.lzh", "ab.lzh"}},
      {d + "*", faAnyFile, V{".hidden.lzh", "[a].lzh", "a.lzh", "ab.lzh", "b.LZH", "ro.lzh", "sub.lzh", "表示.lzh"}},
      {d + ".*", faAnyFile, V{".hidden.lzh"}},  // never "." or ".."
      {d + "表示.lzh", 0, V{"表示.lzh"}},
      {d + "[a].lzh", 0, V{"[a].lzh"}},
      {d + "sub.lzh", faDirectory, V{"sub.lzh"}},
      {d + "sub.lzh", 0, V{}},
      {"*.LZH", faAnyFile, V{"b.LZH"}},  // relative to the current folder
      {d + "none*", faAnyFile, V{}},
      {d + "missing/*", faAnyFile, V{}},
      {d + ".", faAnyFile, V{}},
      {d + "..", faAnyFile, V{}},
      {d, faAnyFile, V{}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " attr " + std::to_string(c.attr));
    EXPECT_EQ(FindAll(c.path, c.attr), c.expected);
  }
}

TEST_F(PlatformTest, FindFirstReportsAttributesSizeAndTime) {
  WriteFile(dir_ / "five.txt", "12345");
  WriteFile(dir_ / ".dot");
  WriteFile(dir_ / "ro.txt");
  chmod((dir_ / "ro.txt").c_str(), 0444);
  MakeFolder("folder");
  struct Case {
    std::string name;
    DWORD set, clear;
  } cases[] = {
      {"five.txt", 0, faDirectory | faHidden | faReadOnly},
      {".dot", faHidden, faDirectory | faReadOnly},
      {"ro.txt", faReadOnly, faDirectory | faHidden},
      {"folder", faDirectory, faHidden | faReadOnly},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TSearchRec rec;
    ASSERT_EQ(FindFirst((dir_ / c.name).string(), faAnyFile, rec), 0);
    EXPECT_EQ(rec.Name, c.name);
    EXPECT_EQ(rec.Attr & c.set, c.set);
    EXPECT_EQ(rec.Attr & c.clear, 0u);
    EXPECT_NE(FindNext(rec), 0);
    FindClose(rec);
  }
  TSearchRec rec;
  ASSERT_EQ(FindFirst((dir_ / "five.txt").string(), faAnyFile, rec), 0);
  EXPECT_EQ(rec.Size, 5);
  struct stat st {};
  stat((dir_ / "five.txt").c_str(), &st);
  EXPECT_EQ(rec.Time, st.st_mtime);
  FindClose(rec);
  FindClose(rec);  // twice is harmless
  EXPECT_NE(FindNext(rec), 0);

  TSearchRec failed;
  EXPECT_NE(FindFirst((dir_ / "absent").string(), faAnyFile, failed), 0);
  FindClose(failed);
}

TEST_F(PlatformTest, CurrentDirectory) {
  EXPECT_EQ(GetCurrentDirectory(), dir_.string());
  fs::path sub = MakeFolder("表示");
  EXPECT_TRUE(SetCurrentDirectory(sub.string() + "/"));
  EXPECT_EQ(GetCurrentDirectory(), sub.string());
  EXPECT_FALSE(SetCurrentDirectory((dir_ / "missing").string()));
  EXPECT_FALSE(SetCurrentDirectory(""));
  EXPECT_EQ(GetCurrentDirectory(), sub.string());
}

TEST_F(PlatformTest, FullPathName) {
  const std::string cwd = dir_.string();
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a.lzh", cwd + "/a.lzh"},
      {"./x/../b.zip", cwd + "/b.zip"},
      {"x/y/..", cwd + "/x"},
      {"sub/", cwd + "/sub/"},
      {".", cwd},
      {"/DATA/PACK.LZH", "/DATA/PACK.LZH"},
      {"/DATA/", "/DATA/"},
      {"/DATA//./x/../PACK.LZH", "/DATA/PACK.LZH"},
      {"/../../etc", "/etc"},
      {"/", "/"},
      {"/a/..", "/"},
      {"/ソフト/能力.txt", "/ソフト/能力.txt"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(GetFullPathName(c.in), c.out) << c.in;
}

TEST_F(PlatformTest, SearchPathNeverLooksInTheCurrentFolder) {
  const std::string name = "sfx_" + std::to_string(getpid()) + ".dat";
  WriteFile(dir_ / name);  // the current folder holds it
  fs::path onPath = MakeFolder("onpath");
  fs::path later = MakeFolder("later");
  fs::create_directories(later / name);  // a folder of that name does not count

  setenv("PATH", ("::.:onpath:" + later.string()).c_str(), 1);
  EXPECT_EQ(SearchPath(name), "");

  WriteFile(onPath / name);
  setenv("PATH", (":" + later.string() + ":" + onPath.string()).c_str(), 1);
  EXPECT_EQ(SearchPath(name), (onPath / name).string());

  // The program's own folder comes before PATH.
  fs::path own = fs::path(ProgramFolder()) / name;
  WriteFile(own);
  EXPECT_EQ(SearchPath(name), own.string());
  fs::remove(own);

  for (std::string bad : {std::string(), "./" + name, "onpath/" + name, std::string(".")})
    EXPECT_EQ(SearchPath(bad), "") << bad;
}

TEST_F(PlatformTest, FileExistsAndDeleteFile) {
  WriteFile(dir_ / "file");
  MakeFolder("folder");
  fs::create_symlink(dir_ / "file", dir_ / "link-file");
  fs::create_directory_symlink(dir_ / "folder", dir_ / "link-folder");
  fs::create_symlink(dir_ / "absent", dir_ / "link-dangling");
  struct Case {
    std::string name;
    bool exists;
  } cases[] = {
      {"file", true},          {"link-file", true},      {"folder", false},
      {"link-folder", false},  {"link-dangling", false}, {"absent", false},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExists((dir_ / c.name).string()), c.exists) << c.name;
  EXPECT_FALSE(FileExists(""));

  EXPECT_FALSE(DeleteFile((dir_ / "folder").string()));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
  EXPECT_FALSE(DeleteFile((dir_ / "absent").string()));
  EXPECT_TRUE(DeleteFile((dir_ / "link-file").string()));
  EXPECT_TRUE(fs::exists(dir_ / "file")) << "a link is deleted, not what it leads to";
  EXPECT_TRUE(DeleteFile("file"));
  EXPECT_FALSE(fs::exists(dir_ / "file"));
}

// ---- Calls that need the window layer ----

TEST(Hooks, DefaultsAndInstalledHooks) {
  SetWindowHooks({});
  TPoint p{3, 4};
  EXPECT_FALSE(SetForegroundWindow(1));
  EXPECT_FALSE(GetCursorPos(p));
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBox(0, "書庫が壊れています。", "ぷこんぱ", MB_OK | MB_ICONSTOP), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ぷこんぱ: 書庫が壊れています。\n");

  HWND foreground = 0;
  std::string shown;
  WindowHooks hooks;
  hooks.SetForegroundWindow = [&](HWND w) {
    foreground = w;
    return true;
  };
  hooks.GetCursorPos = [](TPoint& pt) {
    pt = {10, 20};
    return true;
  };
  hooks.MessageBox = [&](HWND, const std::string& text, const std::string& caption, UINT flags) {
    shown = caption + "|" + text + "|" + std::to_string(flags);
    return 7;
  };
  SetWindowHooks(hooks);
  EXPECT_TRUE(SetForegroundWindow(42));
  EXPECT_EQ(foreground, 42u);
  EXPECT_TRUE(GetCursorPos(p));
  EXPECT_EQ(p.X, 10);
  EXPECT_EQ(p.Y, 20);
  EXPECT_EQ(MessageBox(0, "t", "c", MB_ICONSTOP), 7);
  EXPECT_EQ(shown, "c|t|16");
  SetWindowHooks({});
}

TEST_F(PlatformTest, ShellExecuteRunsXdgOpenWithoutAShell) {
  // A stand-in xdg-open on PATH records the one argument it was given.
  fs::path bin = MakeFolder("bin");
  fs::path out = dir_ / "opened";
  WriteFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > " + out.string() + ".tmp\nmv " +
                                  out.string() + ".tmp " + out.string() + "\n");
  chmod((bin / "xdg-open").c_str(), 0755);
  setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);

  // What the stand-in recorded, once it has finished writing.
  auto opened = [&] {
    for (int i = 0; i < 200 && !fs::exists(out); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::string got = ReadFile(out);
    fs::remove(out);
    return got;
  };
  const std::string url = "https://example.invalid/a b;$(touch pwned)'\"";
  EXPECT_EQ(ShellExecute(0, "OPEN", url, "", "", SW_SHOW), 42);
  EXPECT_EQ(opened(), "1|" + url);
  EXPECT_FALSE(fs::exists(dir_ / "pwned"));
  // A file name starting with a dash reaches xdg-open as a file, not as one of its options.
  EXPECT_EQ(ShellExecute(0, "open", "--help", "", "", SW_SHOW), 42);
  EXPECT_EQ(opened(), "1|./--help");

  setenv("PATH", (dir_ / "empty").c_str(), 1);
  EXPECT_EQ(ShellExecute(0, "OPEN", url, "", "", SW_SHOW), 2);
}

}  // namespace
