// What every family with a single library (LHA, ARJ, CAB, TAR, RAR) does the same way: the
// wrappers of its standard entries and the slots built on them (loading, listing, checking,
// owner window, the type probe). A driver unit declares its library and adds its commands.
#pragma once

#include <cstddef>
#include <string>

#include "archive/archiver.h"

namespace archive {

/// Indices of the standard entries in a family's TDriverLibrary, in the order the units
/// cache them: the command entry, then P`OpenArchive` ... P`KillOwnerWindowEx`.
enum TFamilyEntry : std::size_t {
  feCommand,
  feOpenArchive,
  feCloseArchive,
  feFindFirst,
  feFindNext,
  feCheckArchive,
  feSetOwnerWindowEx,
  feKillOwnerWindowEx,
  feStandardEntries,
};

/// Calls of a family's standard entries. All load the library first but FindNext and the
/// owner-window entries, which rely on a driver (and so the library) existing.
template <std::size_t N>
class TFamilyCalls {
  static_assert(N >= feStandardEntries);

 public:
  explicit TFamilyCalls(TDriverLibrary<N>& lib) : lib_(lib) {}

  /// The command entry with the line, `Output`'s storage (nil when empty) and its length.
  int Command(HWND wnd, const std::string& cmdLine, std::string& Output) const {
    return lib_.template Entry<libapi::TCommandEntry>(feCommand, true)(
        wnd, cmdLine.c_str(), OutputBuffer(Output), static_cast<DWORD>(Output.size()));
  }
  HARC OpenArchive(HWND wnd, const std::string& fullName, DWORD mode) const {
    return lib_.template Entry<libapi::TOpenArchiveEntry>(feOpenArchive, true)(
        wnd, fullName.c_str(), mode);
  }
  int CloseArchive(HARC arc) const {
    return lib_.template Entry<libapi::TCloseArchiveEntry>(feCloseArchive, true)(arc);
  }
  int FindFirst(HARC arc, const std::string& wildName, libapi::INDIVIDUALINFO* info) const {
    return lib_.template Entry<libapi::TFindFirstEntry>(feFindFirst, true)(
        arc, wildName.c_str(), info);
  }
  int FindNext(HARC arc, libapi::INDIVIDUALINFO* info) const {
    return lib_.template Entry<libapi::TFindNextEntry>(feFindNext, false)(arc, info);
  }
  int CheckArchive(const std::string& fileName, int mode) const {
    return lib_.template Entry<libapi::TCheckArchiveEntry>(feCheckArchive, true)(
        fileName.c_str(), mode);
  }
  platform::BOOL SetOwnerWindowEx(HWND wnd, void* callback) const {
    return lib_.template Entry<libapi::TSetOwnerWindowExEntry>(feSetOwnerWindowEx, false)(
        wnd, callback);
  }
  platform::BOOL KillOwnerWindowEx(HWND wnd) const {
    return lib_.template Entry<libapi::TKillOwnerWindowExEntry>(feKillOwnerWindowEx, false)(wnd);
  }

  /// The type probe: load, open the file made absolute with window 0 and the probe mode,
  /// close the handle (a zero one too when `closeZeroHandle`), answer whether it was
  /// non-zero. Any exception is a negative answer.
  bool Probe(const std::string& fileName, bool closeZeroHandle) const noexcept {
    try {
      lib_.LoadLib();
      const HARC h = OpenArchive(0, platform::GetFullPathName(fileName), libapi::kProbeOpenMode);
      if (h != 0 || closeZeroHandle) CloseArchive(h);
      return h != 0;
    } catch (...) {
      return false;
    }
  }

  TDriverLibrary<N>& Library() const { return lib_; }

 private:
  TDriverLibrary<N>& lib_;
};

/// A driver whose library loading, listing, check and owner-window slots are its family's
/// standard entries. Construction loads the library (raising the family's message).
template <std::size_t N>
class TFamilyDriver : public TArchiver {
 public:
  void LoadDLL() override { calls_.Library().LoadLib(); }
  void FreeDLL() override { calls_.Library().FreeLib(); }
  /// The archive name made absolute against the current folder.
  HARC OpenArchive(HWND Wnd, const std::string& ArchiveName, DWORD Mode) override {
    return calls_.OpenArchive(Wnd, platform::GetFullPathName(ArchiveName), Mode);
  }
  int FindFirst(HARC hArc, libapi::INDIVIDUALINFO* Info, const std::string& WildName) override {
    return calls_.FindFirst(hArc, WildName, Info);
  }
  int FindNext(HARC hArc, libapi::INDIVIDUALINFO* Info) override {
    return calls_.FindNext(hArc, Info);
  }
  int CloseArchive(HARC hArc) override { return calls_.CloseArchive(hArc); }
  /// The archive name unexpanded, Mode + Flags.
  int CheckArchive(const std::string& ArchiveName, int Mode, int Flags) override {
    return calls_.CheckArchive(ArchiveName, Mode + Flags);
  }
  /// OwnerWindow follows even when the library answers false; not when the lookup raises.
  bool SetOwnerWindow(HWND Wnd, void* ArcProc) override {
    const platform::BOOL r = calls_.SetOwnerWindowEx(Wnd, ArcProc);
    OwnerWindow = Wnd;
    return r != 0;
  }
  bool KillOwnerWindow(HWND Wnd) override {
    const platform::BOOL r = calls_.KillOwnerWindowEx(Wnd);
    OwnerWindow = 0;
    return r != 0;
  }

 protected:
  explicit TFamilyDriver(TDriverLibrary<N>& lib)
      : TArchiver([&lib] { lib.LoadLib(); }), calls_(lib) {}

  /// The standard calls of this object's own family.
  const TFamilyCalls<N>& Calls() const { return calls_; }

 private:
  TFamilyCalls<N> calls_;
};

}  // namespace archive
