#include "archive/drivers/cab32.h"

#include "archive/cmdopt.h"

namespace archive {

namespace {

TDriverLibrary<8> Lib("CAB32.DLL", "CAB 形式書庫を扱うには CAB32.DLL が 必要です。",
                      {"Cab", "CabOpenArchive", "CabCloseArchive", "CabFindFirst", "CabFindNext",
                       "CabCheckArchive", "CabSetOwnerWindowEx", "CabKillOwnerWindowEx"});
const TFamilyCalls<8> Cab(Lib);

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

TCab32::TCab32() : TFamilyDriver<8>(Lib) {}

int TCab32::Run(HWND Wnd, const char* command, const std::string& ArchiveName,
                const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
                bool UseResFile, std::string& Output) {
  CommandLine = BuildCommandLine(*this, command, ArchiveName, Options, Dir, Files, UseResFile);
  return Cab.Command(Wnd, CommandLine, Output);
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

bool IsCabArchive(const std::string& FileName) { return Cab.Probe(FileName, false); }

}  // namespace archive
