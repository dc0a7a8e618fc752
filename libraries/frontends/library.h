// One archiver library as its entries see it: its family's syntax, its owner window and its
// open archives. Each library file keeps one instance; every call is caught whole, so no
// exception ever leaves an entry.
#pragma once

#include "archive/libapi.h"
#include "libraries/frontends/listing.h"
#include "libraries/frontends/owner_window.h"
#include "libraries/frontends/syntax.h"

namespace frontends {

class Library {
 public:
  explicit Library(Family family);

  /// P: runs a command line; the engine's result code (engine::Code), its text in `output`.
  int Command(platform::HWND wnd, const char* cmdLine, char* output, platform::DWORD size) noexcept;
  /// P`OpenArchive`: a handle, 0 when the file is not a readable archive of this family. The
  /// probe mode only looks at the first bytes; other modes list the items at once.
  libapi::HARC OpenArchive(platform::HWND wnd, const char* fileName, platform::DWORD mode) noexcept;
  /// P`CloseArchive`: 0, or -1 for an unknown handle.
  int CloseArchive(libapi::HARC arc) noexcept;
  /// P`FindFirst` and P`FindNext`: 0 found, -1 no more, other negative values errors.
  int FindFirst(libapi::HARC arc, const char* wildName, libapi::INDIVIDUALINFO* info) noexcept;
  int FindNext(libapi::HARC arc, libapi::INDIVIDUALINFO* info) noexcept;
  /// P`CheckArchive`: TRUE (1) when the archive is of this family and every item tests sound.
  platform::BOOL CheckArchive(const char* fileName, int mode) noexcept;
  /// P`SetOwnerWindowEx` and P`KillOwnerWindowEx`.
  platform::BOOL SetOwnerWindowEx(platform::HWND wnd, void* callback) noexcept;
  platform::BOOL KillOwnerWindowEx(platform::HWND wnd) noexcept;

  /// The packing entry (`Zip`): a well-formed line is answered kErrNotSupported.
  static int Pack(const char* cmdLine, char* output, platform::DWORD size) noexcept;

 private:
  int Run(const ParsedCommand& cmd, std::string& text);
  bool OfFamily(engine::Format format) const;

  Family family_;
  OwnerWindow owner_;
  Listings listings_;
};

}  // namespace frontends
