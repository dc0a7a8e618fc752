// The ARJ driver: unpacks and inspects through UNARJ32J.DLL with the LHA command syntax;
// packing, removing, updating and self-extractors stay TLha32's and go to UNLHA32.DLL.
#pragma once

#include <string>

#include "archive/drivers/lha32.h"

namespace archive {

/// The ARJ family's library state (UNARJ32J.DLL and its eight cached entries).
TDriverLibrary<8>& Arj32Library();

/// Its loading, listing, check and owner-window slots talk to UNARJ32J.DLL (loading it only;
/// FreeDLL leaves UNLHA32.DLL loaded).
class TArj32 : public TLha32 {
 public:
  /// Loads UNARJ32J.DLL only; raises "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。".
  TArj32();

  /// The LHA line with "x" and UseResFile as given; the library gets window 0, always.
  int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
};

/// True when UNARJ32J.DLL is present and opens `FileName` as an archive; never raises.
bool IsArjArchive(const std::string& FileName);

}  // namespace archive
