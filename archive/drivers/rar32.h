// The RAR driver: unpacks and inspects through UNRAR32.DLL; it cannot write archives.
#pragma once

#include <string>

#include "archive/drivers/family_driver.h"

namespace archive {

/// The RAR family's library state (UNRAR32.DLL and its eight cached entries).
TDriverLibrary<8>& Rar32Library();

class TRar32 : public TFamilyDriver<8> {
 public:
  /// Loads UNRAR32.DLL; raises "この機能の使用には UNRAR32.DLL が 必要です。" without it.
  TRar32();

  /// "-e" when x = 0, else "-x"; the response-file choice from ruOnUnpack.
  int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
};

/// True when UNRAR32.DLL is present and opens `FileName` as an archive; never raises.
bool IsRarArchive(const std::string& FileName);

}  // namespace archive
