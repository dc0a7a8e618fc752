// TArchiver, the base of the drivers (one per library family), with the shared argument
// routines, the entry lookup GetDLLEntry, and TDriverLibrary: the one library state each
// driver unit keeps for its family.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "archive/archiver_types.h"
#include "archive/cmdopt.h"
#include "archive/libapi.h"
#include "archive/options.h"
#include "platform/winapi.h"

namespace archive {

using libapi::HARC;
using platform::HMODULE;
using platform::DWORD;
using platform::HWND;

/// Address of `entryName` in the loaded library `module`. Raises EArchiver
/// "<module's full path> に <entry> のエントリが見つかりません。" when it has no such entry
/// (module nullptr: the program's own file).
void* GetDLLEntry(HMODULE module, const char* entryName);

/// One family's library: its file name, its missing-library message, its handle and one
/// cached address per entry. Loaded at first need, never freed unless FreeLib is called.
/// Not thread-safe: the user-interface thread only.
template <std::size_t N>
class TDriverLibrary {
 public:
  constexpr TDriverLibrary(const char* fileName, const char* missingMessage,
                           std::array<const char*, N> entryNames)
      : fileName_(fileName), missingMessage_(missingMessage), entryNames_(entryNames) {}

  /// Loads the library when not loaded; raises EArchiver(missingMessage) when it stays
  /// unloaded. A failed load is retried on every call.
  void LoadLib() {
    if (!handle_) handle_ = platform::LoadLibrary(fileName_);
    if (!handle_) throw EArchiver(missingMessage_);
  }
  /// Loads without raising; true when loaded afterwards.
  bool TryLoadLib() {
    if (!handle_) handle_ = platform::LoadLibrary(fileName_);
    return handle_ != nullptr;
  }
  /// Clears every cached entry, then frees the library if loaded.
  void FreeLib() {
    entries_.fill(nullptr);
    if (handle_) platform::FreeLibrary(handle_);
    handle_ = nullptr;
  }
  HMODULE Handle() const { return handle_; }
  bool Loaded() const { return handle_ != nullptr; }
  const char* FileName() const { return fileName_; }

  /// Entry `index`, typed: LoadLib first when `load`, then the cached address or a lookup
  /// through GetDLLEntry (whose failure leaves the cache empty, so it is retried).
  template <class Fn>
  Fn Entry(std::size_t index, bool load) {
    if (load) LoadLib();
    if (!entries_[index]) entries_[index] = GetDLLEntry(handle_, entryNames_[index]);
    return reinterpret_cast<Fn>(entries_[index]);
  }
  /// Cached address of entry `index`, nullptr while not looked up (tests of the cache).
  void* Cached(std::size_t index) const { return entries_[index]; }

 private:
  const char* fileName_;
  const char* missingMessage_;
  std::array<const char*, N> entryNames_;
  HMODULE handle_ = nullptr;
  std::array<void*, N> entries_{};
};

/// The abstract driver: fourteen operations in slot order. Each driver class passes its
/// class-level library loader to the constructor, which calls it, so a driver exists only
/// while its library is loaded.
class TArchiver {
 public:
  virtual ~TArchiver() = default;
  TArchiver(const TArchiver&) = delete;
  TArchiver& operator=(const TArchiver&) = delete;

  /// The command line of the most recent command operation.
  std::string CommandLine;
  /// The window registered through SetOwnerWindow; 0 when none.
  HWND OwnerWindow = 0;

  // Slots 0-13.
  virtual void LoadDLL();
  virtual void FreeDLL();
  virtual HARC OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode);
  virtual int FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName);
  virtual int FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info);
  virtual int CloseArchive(HARC hArc);
  virtual int Unpack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                     const std::string& Dir, const TStrings* Files, bool UseResFile,
                     std::string& Output) = 0;
  virtual int Pack(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                   const std::string& Dir, const TStrings* Files, bool UseResFile,
                   std::string& Output);
  virtual int RemoveItem(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                         const std::string& Dir, const TStrings* Files, bool UseResFile,
                         std::string& Output);
  virtual int Update(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                     const std::string& Dir, const TStrings* Files, bool UseResFile,
                     std::string& Output);
  virtual int MakeSFX(HWND Wnd, const std::string& ArchiveName, const TArchiverOptions& Options,
                      const std::string& Dir, std::string& Output);
  virtual int CheckArchive(const std::string& ArchiveName, int Mode, int Flags);
  virtual bool SetOwnerWindow(HWND Wnd, void* ArcProc);
  virtual bool KillOwnerWindow(HWND Wnd);

  /// Appends the quoted archive name, then the quoted folder with its final separator (no
  /// folder item when Dir is empty).
  static void AddArchiveAndDir(TCmdOpt& Opt, const std::string& ArchiveName,
                               const std::string& Dir);
  /// Appends the file names (or the "@" response file when UseResFile and ResFileName is
  /// set), then a blank and Options.UserFileList.
  static void AddFileArgs(TCmdOpt& Opt, const TArchiverOptions& Options, bool UseResFile,
                          const TStrings* Files);

 protected:
  using ClassLoader = std::function<void()>;
  /// Sets the fields, then calls `loadDLL`, the class-level loader of the object's own class;
  /// its exception ends construction.
  explicit TArchiver(ClassLoader loadDLL);
};

/// Passes `Output`'s storage, or nullptr when it is empty, as the command entries expect.
inline char* OutputBuffer(std::string& Output) { return Output.empty() ? nullptr : Output.data(); }

}  // namespace archive
