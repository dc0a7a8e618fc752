// The CAB driver: cabinets through CAB32.DLL. No item removal and no update.
#pragma once

#include <string>

#include "archive/drivers/family_driver.h"

namespace archive {

/// The CAB family's library state (CAB32.DLL and its eight cached entries).
TDriverLibrary<8>& Cab32Library();

class TCab32 : public TFamilyDriver<8> {
 public:
  /// Loads CAB32.DLL; raises "CAB 形式書庫を扱うには CAB32.DLL が 必要です。" without it.
  TCab32();

  /// "-x" with the archive made absolute (ruOnUnpack).
  int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
  /// "-a" with the archive as given (ruOnPack).
  int Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
           const std::string& Dir, const TStrings* Files, bool UseResFile,
           std::string& Output) override;
  /// "-f" with Dir, no file list.
  int MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
              const std::string& Dir, std::string& Output) override;

 private:
  int Run(HWND Wnd, const char* command, const std::string& ArchiveName,
          const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
          bool UseResFile, std::string& Output);
};

/// True when CAB32.DLL is present and opens `FileName` as an archive; never raises.
bool IsCabArchive(const std::string& FileName);

}  // namespace archive
