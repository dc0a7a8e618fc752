// The ZIP driver: three libraries, UNZIP32.DLL to unpack, ZIP32J.DLL to pack and LMZIP32.DLL
// for either, chosen per entry in fixed orders; two packing syntaxes; escaped file names.
#pragma once

#include <string>

#include "archive/archiver.h"

namespace archive {

class TZip32 : public TArchiver {
 public:
  /// Loads whichever ZIP libraries are present; raises "ZIP 形式書庫を解凍するには
  /// UNZIP32.DLL が、作成するには ZIP32J.DLL が必要です。" when none is.
  TZip32();

  void LoadDLL() override;
  void FreeDLL() override;
  HARC OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) override;
  int FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) override;
  int FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) override;
  int CloseArchive(HARC hArc) override;
  /// "-x" through `UnZip` (UNZIP32.DLL, else LMZIP32.DLL).
  int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
  /// ZIP32J.DLL syntax when it is loaded, else "-ru" for LMZIP32.DLL. LMZIP32.DLL writes a
  /// new archive: an existing one is moved aside first and put back if the library fails.
  int Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
           const std::string& Dir, const TStrings* Files, bool UseResFile,
           std::string& Output) override;
  /// "-d", never a folder.
  int RemoveItem(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                 const std::string& Dir, const TStrings* Files, bool UseResFile,
                 std::string& Output) override;
  /// "-f" with Dir.
  int Update(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
  /// Writes the stub ("sfx32gui.dat" when gw > 0, else "sfx16.dat") and the archive as
  /// <name>.EXE (in Dir when given), then sends "-A <that name>" to ZIP32J.DLL.
  int MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
              const std::string& Dir, std::string& Output) override;
  /// Mode alone; Flags is not used.
  int CheckArchive(const std::string& ArchiveName, int Mode, int Flags) override;
  /// UNZIP32.DLL only; true whatever the library answers.
  bool SetOwnerWindow(HWND Wnd, void* ArcProc) override;
  bool KillOwnerWindow(HWND Wnd) override;
};

/// Escapes a file name for the ZIP libraries: "\" becomes "/", "[" becomes "[[]"; trail
/// bytes of double-byte characters are never taken for either.
std::string ZipFileNameFilter(const std::string& name);

/// True when a ZIP library is present and opens `FileName` as an archive; never raises.
bool IsZipArchive(const std::string& FileName);

/// The handle of "UNZIP32.DLL", "ZIP32J.DLL" or "LMZIP32.DLL", nullptr while not loaded.
HMODULE Zip32Library(const std::string& libraryFileName);

}  // namespace archive
