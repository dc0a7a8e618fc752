// The CAB driver: cabinets through CAB32.DLL. No item removal and no update.
#pragma once

#include <string>

#include "archive/archiver.h"

namespace archive {

/// The CAB family's library state (CAB32.DLL and its eight cached entries).
TDriverLibrary<8>& Cab32Library();

class TCab32 : public TArchiver {
 public:
  /// Loads CAB32.DLL; raises "CAB 形式書庫を扱うには CAB32.DLL が 必要です。" without it.
  TCab32();

  void LoadDLL() override;
  void FreeDLL() override;
  HARC OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) override;
  int FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) override;
  int FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) override;
  int CloseArchive(HARC hArc) override;
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
  int CheckArchive(const std::string& ArchiveName, int Mode, int Flags) override;
  bool SetOwnerWindow(HWND Wnd, void* ArcProc) override;
  bool KillOwnerWindow(HWND Wnd) override;

 private:
  int Run(HWND Wnd, const char* command, const std::string& ArchiveName,
          const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
          bool UseResFile, std::string& Output);
};

/// True when CAB32.DLL is present and opens `FileName` as an archive; never raises.
bool IsCabArchive(const std::string& FileName);

}  // namespace archive
