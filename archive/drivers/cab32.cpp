#include "archive/drivers/cab32.h"

#include "archive/cmdopt.h"

namespace archive {

namespace {

enum Entry : std::size_t {
  eCab,
  eOpenArchive,
  eCloseArchive,
  eFindFirst,
  eFindNext,
  eCheckArchive,
  eSetOwnerWindowEx,
  eKillOwnerWindowEx,
};

TDriverLibrary<8> Lib("CAB32.DLL", "CAB 形式書庫を扱うには CAB32.DLL が 必要です。",
                      {"Cab", "CabOpenArchive", "CabCloseArchive", "CabFindFirst", "CabFindNext",
                       "CabCheckArchive", "CabSetOwnerWindowEx", "CabKillOwnerWindowEx"});

void LoadLib() { Lib.LoadLib(); }

HARC CabOpenArchive(HWND wnd, const std::string& fileName, DWORD mode) {
  return Lib.Entry<libapi::TOpenArchiveEntry>(eOpenArchive, true)(wnd, fileName.c_str(), mode);
}

int CabCloseArchive(HARC arc) {
  return Lib.Entry<libapi::TCloseArchiveEntry>(eCloseArchive, true)(arc);
}

std::string BuildCommandLine(const TArchiver& driver, const std::string& command,
                             const std::string& ArchiveName, const TArchiverOptions& Options,
                             const std::string& Dir, const TStrings* Files, bool UseResFile) {
  TCmdOpt opt;
  if (Options.c == 1) opt.Add("-o");
  if (Options.n > 0 || driver.OwnerWindow != 0) opt.Add("-i");
  if (Options.r > 0) opt.Add("-r");
  if (Options.x == 0) opt.Add("-j");
  if (Options.ji > 0) opt.Add("-q");
  opt.Add(Options.UserOptions);
  TArchiver::AddArchiveAndDir(opt, ArchiveName, Dir);
  TArchiver::AddFileArgs(opt, Options, UseResFile, Files);
  return command + opt.CmdLine;
}

}  // namespace

TDriverLibrary<8>& Cab32Library() { return Lib; }

TCab32::TCab32() : TArchiver(&LoadLib) {}

void TCab32::LoadDLL() { Lib.LoadLib(); }
void TCab32::FreeDLL() { Lib.FreeLib(); }

HARC TCab32::OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) {
  return CabOpenArchive(Wnd, platform::GetFullPathName(ArchiveName), Mode);
}

int TCab32::FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) {
  return Lib.Entry<libapi::TFindFirstEntry>(eFindFirst, true)(hArc, WildName.c_str(), Info);
}

int TCab32::FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) {
  return Lib.Entry<libapi::TFindNextEntry>(eFindNext, false)(hArc, Info);
}

int TCab32::CloseArchive(HARC hArc) { return CabCloseArchive(hArc); }

int TCab32::Run(HWND Wnd, const char* command, const std::string& ArchiveName,
                const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
                bool UseResFile, std::string& Output) {
  CommandLine = BuildCommandLine(*this, command, ArchiveName, Options, Dir, Files, UseResFile);
  return Lib.Entry<libapi::TCommandEntry>(eCab, true)(
      Wnd, CommandLine.c_str(), OutputBuffer(Output), static_cast<DWORD>(Output.size()));
}

int TCab32::Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  return Run(Wnd, "-x", platform::GetFullPathName(ArchiveName), Options, Dir, Files,
             Options.ResFileUsage.Contains(ruOnUnpack), Output);
}

int TCab32::Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                 const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  return Run(Wnd, "-a", ArchiveName, Options, Dir, Files, Options.ResFileUsage.Contains(ruOnPack),
             Output);
}

int TCab32::MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                    const std::string& Dir, std::string& Output) {
  return Run(Wnd, "-f", ArchiveName, Options, Dir, nullptr, false, Output);
}

int TCab32::CheckArchive(const std::string& ArchiveName, int Mode, int Flags) {
  return Lib.Entry<libapi::TCheckArchiveEntry>(eCheckArchive, true)(ArchiveName.c_str(),
                                                                    Mode + Flags);
}

bool TCab32::SetOwnerWindow(HWND Wnd, void* ArcProc) {
  const auto r = Lib.Entry<libapi::TSetOwnerWindowExEntry>(eSetOwnerWindowEx, false)(Wnd, ArcProc);
  OwnerWindow = Wnd;
  return r != 0;
}

bool TCab32::KillOwnerWindow(HWND Wnd) {
  const auto r = Lib.Entry<libapi::TKillOwnerWindowExEntry>(eKillOwnerWindowEx, false)(Wnd);
  OwnerWindow = 0;
  return r != 0;
}

bool IsCabArchive(const std::string& FileName) {
  try {
    LoadLib();
    const HARC h = CabOpenArchive(0, platform::GetFullPathName(FileName), libapi::kProbeOpenMode);
    if (h != 0) CabCloseArchive(h);
    return h != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace archive
