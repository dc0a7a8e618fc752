// The ARJ driver: unpacks and inspects through UNARJ32J.DLL with the LHA command syntax;
// packing, removing, updating and self-extractors stay TLha32's and go to UNLHA32.DLL.
#pragma once

#include <string>

#include "archive/drivers/lha32.h"

namespace archive {

/// The ARJ family's library state (UNARJ32J.DLL and its eight cached entries).
TDriverLibrary<8>& Arj32Library();

class TArj32 : public TLha32 {
 public:
  /// Loads UNARJ32J.DLL only; raises "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。".
  TArj32();

  void LoadDLL() override;
  /// Frees UNARJ32J.DLL only; UNLHA32.DLL stays.
  void FreeDLL() override;
  HARC OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) override;
  int FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) override;
  int FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) override;
  int CloseArchive(HARC hArc) override;
  /// The LHA line with "x" and UseResFile as given; the library gets window 0, always.
  int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
  int CheckArchive(const std::string& ArchiveName, int Mode, int Flags) override;
  bool SetOwnerWindow(HWND Wnd, void* ArcProc) override;
  bool KillOwnerWindow(HWND Wnd) override;
};

/// True when UNARJ32J.DLL is present and opens `FileName` as an archive; never raises.
bool IsArjArchive(const std::string& FileName);

}  // namespace archive
