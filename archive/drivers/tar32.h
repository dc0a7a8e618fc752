// The TAR driver family: plain, compressed and bzip2 tar archives through tar32.dll. The
// subclasses add nothing; the shared code tells them apart where the syntax differs.
#pragma once

#include <string>

#include "archive/drivers/family_driver.h"

namespace archive {

/// The TAR family's library state (tar32.dll and its nine cached entries).
TDriverLibrary<9>& Tar32Library();

class TTar32 : public TFamilyDriver<9> {
 public:
  /// Loads tar32.dll; raises "tar/tgz/taz/bz2 形式書庫を扱うには tar32.dll が 必要です。".
  TTar32();

  /// "x" (ruOnUnpack); a non-zero Wnd is brought to the foreground afterwards.
  int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
  /// "c" (ruOnPack); a non-zero Wnd is brought to the foreground afterwards.
  int Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
           const std::string& Dir, const TStrings* Files, bool UseResFile,
           std::string& Output) override;
  /// Writes "pxselfex.exe" followed by the archive as <name>.EXE (in Dir when given); no
  /// library call, CommandLine unchanged, returns 0. TBZ232 refuses.
  int MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
              const std::string& Dir, std::string& Output) override;

 private:
  std::string BuildCommandLine(const std::string& command, const std::string& ArchiveName,
                               const TArchiverOptions& Options, const std::string& Dir,
                               const TStrings* Files, bool UseResFile) const;
  int Execute(HWND Wnd, std::string& Output);
};

/// gzip, compress and similar compressed tar archives ("-z").
class TTgz32 : public TTar32 {};

/// bzip2 archives ("-B"); no self-extractor.
class TBZ232 : public TTar32 {};

/// atTar, atTgz or atBZ2 for a file tar32.dll recognises, else atNone; never raises.
TArchiverType GetTarArchiverType(const std::string& FileName);

}  // namespace archive
