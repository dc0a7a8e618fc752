#include "archive/drivers/zip32.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "archive/cmdopt.h"
#include "archive/drivers/sfxfile.h"
#include "platform/mbcs.h"

namespace archive {

namespace {

enum Entry : std::size_t {
  eZip,
  eUnZip,
  eOpenArchive,
  eCloseArchive,
  eFindFirst,
  eFindNext,
  eCheckArchive,
  eSetOwnerWindowEx,
  eKillOwnerWindowEx,
  kEntryCount,
};

// The libraries are loaded and freed as a group; each entry is cached from whichever library
// answered first when it was looked up.
TDriverLibrary<0> UnzipLib("UNZIP32.DLL", "", {});
TDriverLibrary<0> ZipLib("ZIP32J.DLL", "", {});
TDriverLibrary<0> LmzipLib("LMZIP32.DLL", "", {});
std::array<void*, kEntryCount> Cache{};

const char* const kNoLibrary =
    "ZIP 形式書庫を解凍するには UNZIP32.DLL が、作成するには ZIP32J.DLL が必要です。";
const char* const kNoPacker = "ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。";
const char* const kNoUnpacker =
    "ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。";

void LoadLib() {
  UnzipLib.TryLoadLib();
  ZipLib.TryLoadLib();
  LmzipLib.TryLoadLib();
  if (!UnzipLib.Loaded() && !ZipLib.Loaded() && !LmzipLib.Loaded()) throw EArchiver(kNoLibrary);
}

void FreeLib() {
  UnzipLib.FreeLib();
  LmzipLib.FreeLib();
  ZipLib.FreeLib();
  Cache.fill(nullptr);
}

// The first of the given libraries that exports `name`; LMZIP32.DLL spells the prefix
// "Unzip" where the others spell "UnZip".
void* FindZipEntry(const char* name, std::array<const TDriverLibrary<0>*, 3> libraries) {
  for (const auto* lib : libraries) {
    if (!lib || !lib->Loaded()) continue;
    std::string copy = name;
    if (lib == &LmzipLib && copy.size() > 2 && copy[2] == 'Z') copy[2] = 'z';
    if (void* p = platform::GetProcAddress(lib->Handle(), copy.c_str())) return p;
  }
  throw EArchiver(std::string(name) + " のエントリが見つかりません。");
}

template <class Fn>
Fn ZipEntry(Entry index, const char* name, bool load,
            std::array<const TDriverLibrary<0>*, 3> libraries) {
  if (load) LoadLib();
  if (!Cache[index]) Cache[index] = FindZipEntry(name, libraries);
  return reinterpret_cast<Fn>(Cache[index]);
}

constexpr std::array<const TDriverLibrary<0>*, 3> kInspectOrder{&LmzipLib, &ZipLib, &UnzipLib};

int Zip(HWND wnd, const std::string& cmdLine, std::string& output) {
  LoadLib();
  if (!ZipLib.Loaded() && !LmzipLib.Loaded()) throw EArchiver(kNoPacker);
  auto fn = ZipEntry<libapi::TCommandEntry>(eZip, "Zip", false, {&ZipLib, &LmzipLib, nullptr});
  return fn(wnd, cmdLine.c_str(), OutputBuffer(output), static_cast<DWORD>(output.size()));
}

int UnZip(HWND wnd, const std::string& cmdLine, std::string& output) {
  LoadLib();
  if (!UnzipLib.Loaded() && !LmzipLib.Loaded()) throw EArchiver(kNoUnpacker);
  auto fn =
      ZipEntry<libapi::TCommandEntry>(eUnZip, "UnZip", false, {&UnzipLib, &LmzipLib, nullptr});
  return fn(wnd, cmdLine.c_str(), OutputBuffer(output), static_cast<DWORD>(output.size()));
}

HARC UnZipOpenArchive(HWND wnd, const std::string& fileName, DWORD mode) {
  return ZipEntry<libapi::TOpenArchiveEntry>(eOpenArchive, "UnZipOpenArchive", true,
                                             kInspectOrder)(wnd, fileName.c_str(), mode);
}

int UnZipCloseArchive(HARC arc) {
  return ZipEntry<libapi::TCloseArchiveEntry>(eCloseArchive, "UnZipCloseArchive", true,
                                              kInspectOrder)(arc);
}

// The owner-window entries come from UNZIP32.DLL alone, and a lookup failure is reported.
template <class Fn>
Fn OwnerEntry(Entry index, const char* name) {
  if (!Cache[index]) Cache[index] = GetDLLEntry(UnzipLib.Handle(), name);
  return reinterpret_cast<Fn>(Cache[index]);
}

std::string BuildUnZipCommandLine(const TArchiver& driver, const std::string& command,
                                  const std::string& ArchiveName,
                                  const TArchiverOptions& Options, const std::string& Dir,
                                  const TStrings* Files, bool UseResFile) {
  TCmdOpt opt;
  opt.FileNameFilter = &ZipFileNameFilter;
  if (Options.c == 1) opt.Add("-o");
  if (Options.n > 0 || driver.OwnerWindow != 0) opt.Add("--i");
  if (Options.x == 0) opt.Add("-j");
  opt.Add(Options.UserOptions);
  TArchiver::AddArchiveAndDir(opt, ArchiveName, Dir);
  TArchiver::AddFileArgs(opt, Options, UseResFile, Files);
  return command + opt.CmdLine;
}

std::string BuildZipCommandLine(const std::string& command, const std::string& ArchiveName,
                                const TArchiverOptions& Options, const std::string& Dir,
                                const TStrings* Files, bool UseResFile) {
  TCmdOpt opt;
  opt.FileNameFilter = &ZipFileNameFilter;
  if (Options.a > 0) opt.Add("-S");
  if (Options.a < 2) opt.Add("-D");
  if (Options.l > 0) opt.Add("-v");
  if (Options.n > 0) opt.Add("-q");
  if (Options.r > 0) opt.Add("-r");
  if (Options.n > 0) opt.Add("-o");
  if (Options.u > 0) opt.Add("-u");
  if (Options.x == 0) opt.Add("-j");
  if (Options.jc > 0) opt.Add("-FF");
  if (Options.ji > 0) opt.Add("-k");
  if (Options.jm != -1) opt.AddInt("", Options.jm);
  if (Options.gd > 0) opt.Add("-J");
  opt.Add(Options.UserOptions);
  TArchiver::AddArchiveAndDir(opt, ArchiveName, Dir);
  TArchiver::AddFileArgs(opt, Options, UseResFile, Files);
  return command + opt.CmdLine;
}

std::string BuildLmZipCommandLine(const std::string& command, const std::string& ArchiveName,
                                  const TArchiverOptions& Options, const std::string& Dir,
                                  const TStrings* Files, bool UseResFile) {
  TCmdOpt opt;
  if (Options.c == 1) opt.Add("-o");
  if (Options.x == 0) opt.Add("-j");
  opt.Add(Options.UserOptions);
  TArchiver::AddArchiveAndDir(opt, ArchiveName, Dir);
  TArchiver::AddFileArgs(opt, Options, UseResFile, Files);
  return command + opt.CmdLine;
}

// LMZIP32.DLL writes a new archive in place of an existing one. The old one is moved to a
// free name beside it rather than deleted, so that a failed pack does not lose it.
class MovedAside {
 public:
  explicit MovedAside(const std::string& path) : path_(path) {
    if (!platform::FileExists(path)) return;
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return;
    ::close(fd);
    if (std::rename(path.c_str(), temp.c_str()) != 0) {
      ::unlink(temp.c_str());
      return;
    }
    temp_ = temp;
  }
  ~MovedAside() { Restore(); }
  MovedAside(const MovedAside&) = delete;
  MovedAside& operator=(const MovedAside&) = delete;
  /// The pack succeeded: the old archive is no longer needed.
  void Discard() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
  }
  /// The pack failed: the old archive goes back, over whatever the library left.
  void Restore() {
    if (!temp_.empty()) std::rename(temp_.c_str(), path_.c_str());
    temp_.clear();
  }

 private:
  std::string path_;
  std::string temp_;
};

}  // namespace

HMODULE Zip32Library(const std::string& libraryFileName) {
  for (const auto* lib : {&UnzipLib, &ZipLib, &LmzipLib})
    if (lib->FileName() == libraryFileName) return lib->Handle();
  return nullptr;
}

TZip32::TZip32() : TArchiver(&LoadLib) {}

void TZip32::LoadDLL() { LoadLib(); }
void TZip32::FreeDLL() { FreeLib(); }

HARC TZip32::OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) {
  return UnZipOpenArchive(Wnd, platform::GetFullPathName(ArchiveName), Mode);
}

int TZip32::FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) {
  return ZipEntry<libapi::TFindFirstEntry>(eFindFirst, "UnZipFindFirst", true, kInspectOrder)(
      hArc, WildName.c_str(), Info);
}

int TZip32::FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) {
  return ZipEntry<libapi::TFindNextEntry>(eFindNext, "UnZipFindNext", false, kInspectOrder)(hArc,
                                                                                           Info);
}

int TZip32::CloseArchive(HARC hArc) { return UnZipCloseArchive(hArc); }

int TZip32::Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool UseResFile,
                   std::string& Output) {
  CommandLine = BuildUnZipCommandLine(*this, "-x", ArchiveName, Options, Dir, Files, UseResFile);
  return UnZip(Wnd, CommandLine, Output);
}

int TZip32::Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                 const std::string& Dir, const TStrings* Files, bool UseResFile,
                 std::string& Output) {
  if (ZipLib.Loaded()) {
    CommandLine = BuildZipCommandLine("", ArchiveName, Options, Dir, Files, UseResFile);
    return Zip(Wnd, CommandLine, Output);
  }
  if (LmzipLib.Loaded()) {
    CommandLine = BuildLmZipCommandLine("-ru", ArchiveName, Options, "", Files, UseResFile);
    MovedAside old(ArchiveName);
    const int result = Zip(Wnd, CommandLine, Output);
    if (result == 0) old.Discard();
    return result;
  }
  throw EArchiver(kNoPacker);
}

int TZip32::RemoveItem(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                       const std::string&, const TStrings* Files, bool UseResFile,
                       std::string& Output) {
  CommandLine = BuildZipCommandLine("-d", ArchiveName, Options, "", Files, UseResFile);
  return Zip(Wnd, CommandLine, Output);
}

int TZip32::Update(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool UseResFile,
                   std::string& Output) {
  CommandLine = BuildZipCommandLine("-f", ArchiveName, Options, Dir, Files, UseResFile);
  return Zip(Wnd, CommandLine, Output);
}

int TZip32::MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                    const std::string& Dir, std::string& Output) {
  if (!ZipLib.Loaded())
    throw EArchiver("ZIP 形式書庫からの自己解凍書庫作成には ZIP32J.DLL が必要です。");
  const bool win32 = Options.gw > 0;
  const std::string stub = FindSelfExtractorStub(win32 ? "sfx32gui.dat" : "sfx16.dat");
  if (stub.empty())
    throw EArchiver(win32 ? "zip 書庫からのWin32自己解凍書庫の作成には sfx32gui.dat が必要です。"
                          : "zip 書庫からのDOS自己解凍書庫の作成には sfx16.dat が必要です。");
  const std::string output = SelfExtractorName(ArchiveName, Dir);
  WriteSelfExtractor(stub, ArchiveName, output);
  CommandLine = "-A " + output;
  return Zip(Wnd, CommandLine, Output);
}

int TZip32::CheckArchive(const std::string& ArchiveName, int Mode, int) {
  return ZipEntry<libapi::TCheckArchiveEntry>(eCheckArchive, "UnZipCheckArchive", true,
                                              {&UnzipLib, &LmzipLib, &ZipLib})(
      ArchiveName.c_str(), Mode);
}

bool TZip32::SetOwnerWindow(HWND Wnd, void* ArcProc) {
  OwnerEntry<libapi::TSetOwnerWindowExEntry>(eSetOwnerWindowEx, "UnZipSetOwnerWindowEx")(Wnd,
                                                                                       ArcProc);
  OwnerWindow = Wnd;
  return true;
}

bool TZip32::KillOwnerWindow(HWND Wnd) {
  OwnerEntry<libapi::TKillOwnerWindowExEntry>(eKillOwnerWindowEx, "UnZipKillOwnerWindowEx")(Wnd);
  OwnerWindow = 0;
  return true;
}

std::string ZipFileNameFilter(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t len = mbcs::CharLength(name, i);
    if (len == 1 && name[i] == '\\')
      out += '/';
    else if (len == 1 && name[i] == '[')
      out += "[[]";
    else
      out.append(name, i, len);
    i += len;
  }
  return out;
}

bool IsZipArchive(const std::string& FileName) {
  try {
    LoadLib();
    const HARC h = UnZipOpenArchive(0, platform::GetFullPathName(FileName), libapi::kProbeOpenMode);
    if (h != 0) UnZipCloseArchive(h);
    return h != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace archive
