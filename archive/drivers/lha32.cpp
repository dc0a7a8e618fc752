#include "archive/drivers/lha32.h"

#include "archive/cmdopt.h"

namespace archive {

namespace {

enum Entry : std::size_t {
  eUnlha,
  eOpenArchive,
  eCloseArchive,
  eFindFirst,
  eFindNext,
  eCheckArchive,
  eSetOwnerWindowEx,
  eKillOwnerWindowEx,
};

TDriverLibrary<8> Lib("UNLHA32.DLL", "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。",
                      {"Unlha", "UnlhaOpenArchive", "UnlhaCloseArchive", "UnlhaFindFirst",
                       "UnlhaFindNext", "UnlhaCheckArchive", "UnlhaSetOwnerWindowEx",
                       "UnlhaKillOwnerWindowEx"});

void LoadLib() { Lib.LoadLib(); }

int Unlha(HWND wnd, const std::string& cmdLine, std::string& output) {
  return Lib.Entry<libapi::TCommandEntry>(eUnlha, true)(
      wnd, cmdLine.c_str(), OutputBuffer(output), static_cast<DWORD>(output.size()));
}

HARC UnlhaOpenArchive(HWND wnd, const std::string& fileName, DWORD mode) {
  return Lib.Entry<libapi::TOpenArchiveEntry>(eOpenArchive, true)(wnd, fileName.c_str(), mode);
}

int UnlhaCloseArchive(HARC arc) {
  return Lib.Entry<libapi::TCloseArchiveEntry>(eCloseArchive, true)(arc);
}

}  // namespace

TDriverLibrary<8>& Lha32Library() { return Lib; }

TLha32::TLha32() : TArchiver(&LoadLib) {}
TLha32::TLha32(ClassLoader loadDLL) : TArchiver(loadDLL) {}

void TLha32::LoadDLL() { Lib.LoadLib(); }
void TLha32::FreeDLL() { Lib.FreeLib(); }

HARC TLha32::OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) {
  return UnlhaOpenArchive(Wnd, platform::GetFullPathName(ArchiveName), Mode);
}

int TLha32::FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) {
  return Lib.Entry<libapi::TFindFirstEntry>(eFindFirst, true)(hArc, WildName.c_str(), Info);
}

int TLha32::FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) {
  return Lib.Entry<libapi::TFindNextEntry>(eFindNext, false)(hArc, Info);
}

int TLha32::CloseArchive(HARC hArc) { return UnlhaCloseArchive(hArc); }

int TLha32::Run(HWND Wnd, const char* command, const std::string& ArchiveName,
                const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
                bool UseResFile, std::string& Output) {
  CommandLine = BuildCommandLine(*this, command, ArchiveName, Options, Dir, Files, UseResFile);
  return Unlha(Wnd, CommandLine, Output);
}

int TLha32::Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  return Run(Wnd, "x", ArchiveName, Options, Dir, Files,
             Options.ResFileUsage.Contains(ruOnUnpack), Output);
}

int TLha32::Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                 const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  return Run(Wnd, "u", ArchiveName, Options, Dir, Files, Options.ResFileUsage.Contains(ruOnPack),
             Output);
}

int TLha32::RemoveItem(HWND Wnd, const std::string& ArchiveName,
                       const TArchiverOptions& Options, const std::string&,
                       const TStrings* Files, bool, std::string& Output) {
  return Run(Wnd, "d", ArchiveName, Options, "", Files,
             Options.ResFileUsage.Contains(ruOnRemoveItem), Output);
}

int TLha32::Update(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  return Run(Wnd, "f", ArchiveName, Options, Dir, Files,
             Options.ResFileUsage.Contains(ruOnUpdate), Output);
}

int TLha32::MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                    const std::string& Dir, std::string& Output) {
  return Run(Wnd, "s", ArchiveName, Options, Dir, nullptr, false, Output);
}

int TLha32::CheckArchive(const std::string& ArchiveName, int Mode, int Flags) {
  return Lib.Entry<libapi::TCheckArchiveEntry>(eCheckArchive, true)(ArchiveName.c_str(),
                                                                    Mode + Flags);
}

bool TLha32::SetOwnerWindow(HWND Wnd, void* ArcProc) {
  const auto r = Lib.Entry<libapi::TSetOwnerWindowExEntry>(eSetOwnerWindowEx, false)(Wnd, ArcProc);
  OwnerWindow = Wnd;
  return r != 0;
}

bool TLha32::KillOwnerWindow(HWND Wnd) {
  const auto r = Lib.Entry<libapi::TKillOwnerWindowExEntry>(eKillOwnerWindowEx, false)(Wnd);
  OwnerWindow = 0;
  return r != 0;
}

std::string TLha32::BuildCommandLine(const TArchiver& driver, const std::string& command,
                                     const std::string& ArchiveName,
                                     const TArchiverOptions& Options, const std::string& Dir,
                                     const TStrings* Files, bool UseResFile) {
  using Kind = TArchiverOptions::Kind;
  TCmdOpt opt;
  opt.Add("-+");
  for (const auto& p : TArchiverOptions::Properties()) {
    const std::string name = p.name;
    switch (p.kind) {
      case Kind::Shortint:
        // While a window receives progress messages the library must not ask questions.
        if (name == "n" && driver.OwnerWindow != 0)
          opt.AddInt(name, 1);
        else
          opt.AddInt(name, Options.*p.shortint);
        break;
      case Kind::Folder:
        opt.AddDir(name, Options.*p.str);
        break;
      case Kind::Str:
        opt.AddStr(name, Options.*p.str);
        break;
      case Kind::List:
        opt.AddFiles(name, Options.*p.list);
        break;
      case Kind::Text:
      case Kind::PackFilter:
      case Kind::ResFileUsage:
        break;  // not switches
    }
  }
  opt.Add(Options.UserOptions);
  AddArchiveAndDir(opt, ArchiveName, Dir);
  AddFileArgs(opt, Options, UseResFile, Files);
  return command + opt.CmdLine;
}

bool IsLhaArchive(const std::string& FileName) {
  try {
    LoadLib();
    const HARC h = UnlhaOpenArchive(0, platform::GetFullPathName(FileName), libapi::kProbeOpenMode);
    UnlhaCloseArchive(h);
    return h != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace archive
