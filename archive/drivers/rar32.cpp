#include "archive/drivers/rar32.h"

#include "archive/cmdopt.h"

namespace archive {

namespace {

enum Entry : std::size_t {
  eUnrar,
  eOpenArchive,
  eCloseArchive,
  eFindFirst,
  eFindNext,
  eCheckArchive,
  eSetOwnerWindowEx,
  eKillOwnerWindowEx,
};

TDriverLibrary<8> Lib("UNRAR32.DLL", "この機能の使用には UNRAR32.DLL が 必要です。",
                      {"Unrar", "UnrarOpenArchive", "UnrarCloseArchive", "UnrarFindFirst",
                       "UnrarFindNext", "UnrarCheckArchive", "UnrarSetOwnerWindowEx",
                       "UnrarKillOwnerWindowEx"});

void LoadLib() { Lib.LoadLib(); }

HARC UnrarOpenArchive(HWND wnd, const std::string& fileName, DWORD mode) {
  return Lib.Entry<libapi::TOpenArchiveEntry>(eOpenArchive, true)(wnd, fileName.c_str(), mode);
}

int UnrarCloseArchive(HARC arc) {
  return Lib.Entry<libapi::TCloseArchiveEntry>(eCloseArchive, true)(arc);
}

std::string BuildCommandLine(const std::string& command, const std::string& ArchiveName,
                             const TArchiverOptions& Options, const std::string& Dir,
                             const TStrings* Files, bool UseResFile) {
  TCmdOpt opt;
  if (Options.c < 1) opt.Add("-u");
  if (Options.m > 0) opt.Add("-y");
  if (Options.p > 0) opt.Add("-s");
  opt.Add(Options.UserOptions);
  TArchiver::AddArchiveAndDir(opt, ArchiveName, Dir);
  TArchiver::AddFileArgs(opt, Options, UseResFile, Files);
  return command + opt.CmdLine;
}

}  // namespace

TDriverLibrary<8>& Rar32Library() { return Lib; }

TRar32::TRar32() : TArchiver(&LoadLib) {}

void TRar32::LoadDLL() { Lib.LoadLib(); }
void TRar32::FreeDLL() { Lib.FreeLib(); }

HARC TRar32::OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) {
  return UnrarOpenArchive(Wnd, platform::GetFullPathName(ArchiveName), Mode);
}

int TRar32::FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) {
  return Lib.Entry<libapi::TFindFirstEntry>(eFindFirst, true)(hArc, WildName.c_str(), Info);
}

int TRar32::FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) {
  return Lib.Entry<libapi::TFindNextEntry>(eFindNext, false)(hArc, Info);
}

int TRar32::CloseArchive(HARC hArc) { return UnrarCloseArchive(hArc); }

int TRar32::Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  CommandLine = BuildCommandLine(Options.x == 0 ? "-e" : "-x", ArchiveName, Options, Dir, Files,
                                 Options.ResFileUsage.Contains(ruOnUnpack));
  return Lib.Entry<libapi::TCommandEntry>(eUnrar, true)(
      Wnd, CommandLine.c_str(), OutputBuffer(Output), static_cast<DWORD>(Output.size()));
}

int TRar32::CheckArchive(const std::string& ArchiveName, int Mode, int Flags) {
  return Lib.Entry<libapi::TCheckArchiveEntry>(eCheckArchive, true)(ArchiveName.c_str(),
                                                                    Mode + Flags);
}

bool TRar32::SetOwnerWindow(HWND Wnd, void* ArcProc) {
  const auto r = Lib.Entry<libapi::TSetOwnerWindowExEntry>(eSetOwnerWindowEx, false)(Wnd, ArcProc);
  OwnerWindow = Wnd;
  return r != 0;
}

bool TRar32::KillOwnerWindow(HWND Wnd) {
  const auto r = Lib.Entry<libapi::TKillOwnerWindowExEntry>(eKillOwnerWindowEx, false)(Wnd);
  OwnerWindow = 0;
  return r != 0;
}

bool IsRarArchive(const std::string& FileName) {
  try {
    LoadLib();
    const HARC h = UnrarOpenArchive(0, platform::GetFullPathName(FileName), libapi::kProbeOpenMode);
    UnrarCloseArchive(h);
    return h != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace archive
