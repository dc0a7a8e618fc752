#include "archive/drivers/lha32.h"

#include "archive/cmdopt.h"

namespace archive {

namespace {

TDriverLibrary<8> Lib("UNLHA32.DLL", "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。",
                      {"Unlha", "UnlhaOpenArchive", "UnlhaCloseArchive", "UnlhaFindFirst",
                       "UnlhaFindNext", "UnlhaCheckArchive", "UnlhaSetOwnerWindowEx",
                       "UnlhaKillOwnerWindowEx"});
const TFamilyCalls<8> Unlha(Lib);

}  // namespace

TDriverLibrary<8>& Lha32Library() { return Lib; }

TLha32::TLha32() : TFamilyDriver<8>(Lib) {}
TLha32::TLha32(TDriverLibrary<8>& library) : TFamilyDriver<8>(library) {}

int TLha32::Run(HWND Wnd, const char* command, const std::string& ArchiveName,
                const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
                bool UseResFile, std::string& Output) {
  CommandLine = BuildCommandLine(*this, command, ArchiveName, Options, Dir, Files, UseResFile);
  return Unlha.Command(Wnd, CommandLine, Output);
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

bool IsLhaArchive(const std::string& FileName) { return Unlha.Probe(FileName, true); }

}  // namespace archive
