#include "archive/drivers/tar32.h"

#include "archive/cmdopt.h"
#include "archive/drivers/sfxfile.h"

namespace archive {

namespace {

// TarGetArchiveType follows the standard entries.
constexpr std::size_t eGetArchiveType = feStandardEntries;

TDriverLibrary<9> Lib("tar32.dll", "tar/tgz/taz/bz2 形式書庫を扱うには tar32.dll が 必要です。",
                      {"Tar", "TarOpenArchive", "TarCloseArchive", "TarFindFirst", "TarFindNext",
                       "TarCheckArchive", "TarSetOwnerWindowEx", "TarKillOwnerWindowEx",
                       "TarGetArchiveType"});
const TFamilyCalls<9> Tar(Lib);

}  // namespace

TDriverLibrary<9>& Tar32Library() { return Lib; }

TTar32::TTar32() : TFamilyDriver<9>(Lib) {}

std::string TTar32::BuildCommandLine(const std::string& command, const std::string& ArchiveName,
                                     const TArchiverOptions& Options, const std::string& Dir,
                                     const TStrings* Files, bool UseResFile) const {
  TCmdOpt opt;
  opt.SeparateValue = true;
  if (Options.a > 0) opt.Add("-AH");
  if (Options.a == 0) opt.Add("-I");
  if (OwnerWindow == 0 && Options.n > 0) opt.Add("--display-dialog=0");
  if (Options.o > 0) opt.Add("-g");
  opt.AddInt("-check-all-path=", Options.p);
  opt.AddInt("-use-directory=", Options.x);
  // The compression switch is the one place where the subclasses' syntax differs.
  if (dynamic_cast<const TTgz32*>(this)) {
    if (Options.jm >= 1)
      opt.AddInt("z", Options.jm);
    else
      opt.Add("-z");
  } else if (dynamic_cast<const TBZ232*>(this)) {
    if (Options.jm >= 1)
      opt.AddInt("B", Options.jm);
    else
      opt.Add("-B");
  }
  opt.Add(Options.UserOptions);
  if (!ArchiveName.empty()) opt.AddPath("f", ArchiveName);
  if (!Dir.empty()) opt.AddDir("o", Dir);
  AddFileArgs(opt, Options, UseResFile, Files);
  return command + opt.CmdLine;
}

int TTar32::Execute(HWND Wnd, std::string& Output) {
  const int result = Tar.Command(Wnd, CommandLine, Output);
  // The library may have shown a window of its own; give the caller's window focus back.
  if (Wnd != 0) platform::SetForegroundWindow(Wnd);
  return result;
}

int TTar32::Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  CommandLine = BuildCommandLine("x", ArchiveName, Options, Dir, Files,
                                 Options.ResFileUsage.Contains(ruOnUnpack));
  return Execute(Wnd, Output);
}

int TTar32::Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                 const std::string& Dir, const TStrings* Files, bool, std::string& Output) {
  CommandLine = BuildCommandLine("c", ArchiveName, Options, Dir, Files,
                                 Options.ResFileUsage.Contains(ruOnPack));
  return Execute(Wnd, Output);
}

int TTar32::MakeSFX(HWND, const std::string& ArchiveName, const TArchiverOptions&,
                    const std::string& Dir, std::string&) {
  // The other place where a subclass differs: bzip2 archives cannot be made self-extracting.
  if (dynamic_cast<const TBZ232*>(this))
    throw EArchiver("BZ2 形式書庫は自己解凍形式にできません。");
  const std::string stub = FindSelfExtractorStub("pxselfex.exe");
  if (stub.empty())
    throw EArchiver("tar/tgz 書庫からの自己解凍書庫の作成には pxselfex.exe が必要です。");
  WriteSelfExtractor(stub, ArchiveName, SelfExtractorName(ArchiveName, Dir));
  return 0;
}

TArchiverType GetTarArchiverType(const std::string& FileName) {
  try {
    switch (Lib.Entry<libapi::TGetArchiveTypeEntry>(eGetArchiveType, true)(FileName.c_str())) {
      case 1:
        return atTar;
      case 2:
      case 3:
      case 4:
      case 5:
        return atTgz;
      case 6:
      case 7:
        return atBZ2;
      default:
        return atNone;
    }
  } catch (...) {
    return atNone;
  }
}

}  // namespace archive
