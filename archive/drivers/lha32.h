// The LHA driver: UNLHA32.DLL, every switch of the options record under its own name.
#pragma once

#include <string>

#include "archive/archiver.h"

namespace archive {

/// The LHA family's library state (UNLHA32.DLL and its eight cached entries), shared by every
/// TLha32, the inherited operations of TArj32 and IsLhaArchive.
TDriverLibrary<8>& Lha32Library();

class TLha32 : public TArchiver {
 public:
  /// Loads UNLHA32.DLL; raises "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。" without it.
  TLha32();

  void LoadDLL() override;
  void FreeDLL() override;
  HARC OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) override;
  int FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) override;
  int FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) override;
  int CloseArchive(HARC hArc) override;
  /// "x" into Dir; the response-file choice comes from ruOnUnpack in Options.
  int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
  /// "u" from Dir (ruOnPack).
  int Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
           const std::string& Dir, const TStrings* Files, bool UseResFile,
           std::string& Output) override;
  /// "d", never a folder (ruOnRemoveItem).
  int RemoveItem(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                 const std::string& Dir, const TStrings* Files, bool UseResFile,
                 std::string& Output) override;
  /// "f" with Dir (ruOnUpdate).
  int Update(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
             const std::string& Dir, const TStrings* Files, bool UseResFile,
             std::string& Output) override;
  /// "s" with Dir, no file list.
  int MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
              const std::string& Dir, std::string& Output) override;
  /// The archive name unexpanded, Mode + Flags.
  int CheckArchive(const std::string& ArchiveName, int Mode, int Flags) override;
  bool SetOwnerWindow(HWND Wnd, void* ArcProc) override;
  bool KillOwnerWindow(HWND Wnd) override;

  /// The LHA command line: `command`, "-+", the 53 switches in declaration order (n forced
  /// to 1 while driver.OwnerWindow is not 0), UserOptions, archive and folder, file
  /// arguments. TArj32 builds its lines with it too.
  static std::string BuildCommandLine(const TArchiver& driver, const std::string& command,
                                      const std::string& ArchiveName,
                                      const TArchiverOptions& Options, const std::string& Dir,
                                      const TStrings* Files, bool UseResFile);

 protected:
  /// For TArj32: constructs with the subclass's own library loader.
  explicit TLha32(ClassLoader loadDLL);

 private:
  int Run(HWND Wnd, const char* command, const std::string& ArchiveName,
          const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
          bool UseResFile, std::string& Output);
};

/// True when UNLHA32.DLL is present and opens `FileName` as an archive; never raises.
bool IsLhaArchive(const std::string& FileName);

}  // namespace archive
