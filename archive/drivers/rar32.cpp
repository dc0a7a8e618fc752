#include "archive/drivers/rar32.h"

#include "archive/cmdopt.h"

namespace archive {

namespace {

TDriverLibrary<8> Lib("UNRAR32.DLL", "この機能の使用には UNRAR32.DLL が 必要です。",
                      {"Unrar", "UnrarOpenArchive", "UnrarCloseArchive", "UnrarFindFirst",
                       "UnrarFindNext", "UnrarCheckArchive", "UnrarSetOwnerWindowEx",
                       "UnrarKillOwnerWindowEx"});
const TFamilyCalls<8> Unrar(Lib);

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

TRar32::TRar32() : TFamilyDriver<8>(Lib) {}

int TRar32::Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  CommandLine = BuildCommandLine(Options.x == 0 ? "-e" : "-x", ArchiveName, Options, Dir, Files,
                                 Options.ResFileUsage.Contains(ruOnUnpack));
  return Unrar.Command(Wnd, CommandLine, Output);
}

bool IsRarArchive(const std::string& FileName) { return Unrar.Probe(FileName, true); }

}  // namespace archive
