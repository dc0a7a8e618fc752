#include "archive/drivers/arj32.h"

namespace archive {

namespace {

enum Entry : std::size_t {
  eUnarj,
  eOpenArchive,
  eCloseArchive,
  eFindFirst,
  eFindNext,
  eCheckArchive,
  eSetOwnerWindowEx,
  eKillOwnerWindowEx,
};

TDriverLibrary<8> Lib("UNARJ32J.DLL", "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。",
                      {"Unarj", "UnarjOpenArchive", "UnarjCloseArchive", "UnarjFindFirst",
                       "UnarjFindNext", "UnarjCheckArchive", "UnarjSetOwnerWindowEx",
                       "UnarjKillOwnerWindowEx"});

void LoadLib() { Lib.LoadLib(); }

HARC UnarjOpenArchive(HWND wnd, const std::string& fileName, DWORD mode) {
  return Lib.Entry<libapi::TOpenArchiveEntry>(eOpenArchive, true)(wnd, fileName.c_str(), mode);
}

int UnarjCloseArchive(HARC arc) {
  return Lib.Entry<libapi::TCloseArchiveEntry>(eCloseArchive, true)(arc);
}

}  // namespace

TDriverLibrary<8>& Arj32Library() { return Lib; }

TArj32::TArj32() : TLha32(&LoadLib) {}

void TArj32::LoadDLL() { Lib.LoadLib(); }
void TArj32::FreeDLL() { Lib.FreeLib(); }

HARC TArj32::OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) {
  return UnarjOpenArchive(Wnd, platform::GetFullPathName(ArchiveName), Mode);
}

int TArj32::FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) {
  return Lib.Entry<libapi::TFindFirstEntry>(eFindFirst, true)(hArc, WildName.c_str(), Info);
}

int TArj32::FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) {
  return Lib.Entry<libapi::TFindNextEntry>(eFindNext, false)(hArc, Info);
}

int TArj32::CloseArchive(HARC hArc) { return UnarjCloseArchive(hArc); }

int TArj32::Unpack(HWND, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool UseResFile,
                   std::string& Output) {
  CommandLine = BuildCommandLine(*this, "x", ArchiveName, Options, Dir, Files, UseResFile);
  // The ARJ library is never given the caller's window.
  return Lib.Entry<libapi::TCommandEntry>(eUnarj, true)(
      0, CommandLine.c_str(), OutputBuffer(Output), static_cast<DWORD>(Output.size()));
}

int TArj32::CheckArchive(const std::string& ArchiveName, int Mode, int Flags) {
  return Lib.Entry<libapi::TCheckArchiveEntry>(eCheckArchive, true)(ArchiveName.c_str(),
                                                                    Mode + Flags);
}

bool TArj32::SetOwnerWindow(HWND Wnd, void* ArcProc) {
  const auto r = Lib.Entry<libapi::TSetOwnerWindowExEntry>(eSetOwnerWindowEx, false)(Wnd, ArcProc);
  OwnerWindow = Wnd;
  return r != 0;
}

bool TArj32::KillOwnerWindow(HWND Wnd) {
  const auto r = Lib.Entry<libapi::TKillOwnerWindowExEntry>(eKillOwnerWindowEx, false)(Wnd);
  OwnerWindow = 0;
  return r != 0;
}

bool IsArjArchive(const std::string& FileName) {
  try {
    LoadLib();
    const HARC h = UnarjOpenArchive(0, platform::GetFullPathName(FileName), libapi::kProbeOpenMode);
    UnarjCloseArchive(h);
    return h != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace archive
