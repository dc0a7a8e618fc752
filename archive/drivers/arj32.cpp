#include "archive/drivers/arj32.h"

namespace archive {

namespace {

TDriverLibrary<8> Lib("UNARJ32J.DLL", "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。",
                      {"Unarj", "UnarjOpenArchive", "UnarjCloseArchive", "UnarjFindFirst",
                       "UnarjFindNext", "UnarjCheckArchive", "UnarjSetOwnerWindowEx",
                       "UnarjKillOwnerWindowEx"});
const TFamilyCalls<8> Unarj(Lib);

}  // namespace

TDriverLibrary<8>& Arj32Library() { return Lib; }

TArj32::TArj32() : TLha32(Lib) {}

int TArj32::Unpack(HWND, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool UseResFile,
                   std::string& Output) {
  CommandLine = BuildCommandLine(*this, "x", ArchiveName, Options, Dir, Files, UseResFile);
  // The ARJ library is never given the caller's window.
  return Unarj.Command(0, CommandLine, Output);
}

bool IsArjArchive(const std::string& FileName) { return Unarj.Probe(FileName, true); }

}  // namespace archive
