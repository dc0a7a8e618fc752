// The LHA driver: UNLHA32.DLL, every switch of the options record under its own name.
#pragma once

#include <string>

#include "archive/drivers/family_driver.h"

namespace archive {

/// The LHA family's library state (UNLHA32.DLL and its eight cached entries), shared by every
/// TLha32, the inherited operations of TArj32 and IsLhaArchive.
TDriverLibrary<8>& Lha32Library();

class TLha32 : public TFamilyDriver<8> {
 public:
  /// Loads UNLHA32.DLL; raises "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。" without it.
  TLha32();

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

  /// The LHA command line: `command`, "-+", the 53 switches in declaration order (n forced
  /// to 1 while driver.OwnerWindow is not 0), UserOptions, archive and folder, file
  /// arguments. TArj32 builds its lines with it too.
  static std::string BuildCommandLine(const TArchiver& driver, const std::string& command,
                                      const std::string& ArchiveName,
                                      const TArchiverOptions& Options, const std::string& Dir,
                                      const TStrings* Files, bool UseResFile);

 protected:
  /// For TArj32: its own library answers the family slots; the commands above still go to
  /// UNLHA32.DLL.
  explicit TLha32(TDriverLibrary<8>& library);

 private:
  int Run(HWND Wnd, const char* command, const std::string& ArchiveName,
          const TArchiverOptions& Options, const std::string& Dir, const TStrings* Files,
          bool UseResFile, std::string& Output);
};

/// True when UNLHA32.DLL is present and opens `FileName` as an archive; never raises.
bool IsLhaArchive(const std::string& FileName);

}  // namespace archive
