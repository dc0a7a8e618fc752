// The exported entries of a library file, generated for one family prefix P: the command
// entry P and P`OpenArchive`, P`CloseArchive`, P`FindFirst`, P`FindNext`, P`CheckArchive`,
// P`SetOwnerWindowEx`, P`KillOwnerWindowEx`, each forwarding to the module's one Library.
// Macros, because the names differ only by their prefix and must be plain C symbols.
#pragma once

#include <type_traits>

#include "archive/libapi.h"
#include "libraries/frontends/library.h"

/// Marks an entry that the module exports (everything else is hidden).
#define PUKONPA_EXPORT extern "C" __attribute__((visibility("default")))

/// Defines the six reading entries of prefix P on the Library that LIB() returns.
#define PUKONPA_READER_ENTRIES(P, LIB)                                                     \
  PUKONPA_EXPORT int P(platform::HWND wnd, const char* cmdLine, char* output,              \
                       platform::DWORD size) {                                             \
    return LIB().Command(wnd, cmdLine, output, size);                                      \
  }                                                                                        \
  PUKONPA_EXPORT libapi::HARC P##OpenArchive(platform::HWND wnd, const char* fileName,     \
                                             platform::DWORD mode) {                       \
    return LIB().OpenArchive(wnd, fileName, mode);                                         \
  }                                                                                        \
  PUKONPA_EXPORT int P##CloseArchive(libapi::HARC arc) { return LIB().CloseArchive(arc); } \
  PUKONPA_EXPORT int P##FindFirst(libapi::HARC arc, const char* wildName,                  \
                                  libapi::INDIVIDUALINFO* info) {                          \
    return LIB().FindFirst(arc, wildName, info);                                           \
  }                                                                                        \
  PUKONPA_EXPORT int P##FindNext(libapi::HARC arc, libapi::INDIVIDUALINFO* info) {         \
    return LIB().FindNext(arc, info);                                                      \
  }                                                                                        \
  PUKONPA_EXPORT int P##CheckArchive(const char* fileName, int mode) {                     \
    return LIB().CheckArchive(fileName, mode);                                             \
  }                                                                                        \
  static_assert(std::is_same_v<decltype(&P), libapi::TCommandEntry>);                      \
  static_assert(std::is_same_v<decltype(&P##OpenArchive), libapi::TOpenArchiveEntry>);     \
  static_assert(std::is_same_v<decltype(&P##CloseArchive), libapi::TCloseArchiveEntry>);   \
  static_assert(std::is_same_v<decltype(&P##FindFirst), libapi::TFindFirstEntry>);         \
  static_assert(std::is_same_v<decltype(&P##FindNext), libapi::TFindNextEntry>);           \
  static_assert(std::is_same_v<decltype(&P##CheckArchive), libapi::TCheckArchiveEntry>)

/// Defines P`SetOwnerWindowEx` and P`KillOwnerWindowEx` on the Library that LIB() returns.
#define PUKONPA_OWNER_ENTRIES(P, LIB)                                                      \
  PUKONPA_EXPORT platform::BOOL P##SetOwnerWindowEx(platform::HWND wnd, void* callback) {  \
    return LIB().SetOwnerWindowEx(wnd, callback);                                          \
  }                                                                                        \
  PUKONPA_EXPORT platform::BOOL P##KillOwnerWindowEx(platform::HWND wnd) {                 \
    return LIB().KillOwnerWindowEx(wnd);                                                   \
  }                                                                                        \
  static_assert(                                                                           \
      std::is_same_v<decltype(&P##SetOwnerWindowEx), libapi::TSetOwnerWindowExEntry>);     \
  static_assert(                                                                           \
      std::is_same_v<decltype(&P##KillOwnerWindowEx), libapi::TKillOwnerWindowExEntry>)

/// Defines the packing entry `Zip`, which answers that packing is not supported yet.
#define PUKONPA_ZIP_ENTRY()                                                                \
  PUKONPA_EXPORT int Zip(platform::HWND, const char* cmdLine, char* output,                \
                         platform::DWORD size) {                                           \
    return frontends::Library::Pack(cmdLine, output, size);                                \
  }                                                                                        \
  static_assert(std::is_same_v<decltype(&Zip), libapi::TCommandEntry>)
