// The interface between the archive component and the archiver libraries: the entry
// signatures every library family exports (with its own prefix), the registered progress
// message, and our information and item records. Shared with libraries/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/winapi.h"

namespace libapi {

using platform::BOOL;
using platform::DWORD;
using platform::HWND;

/// An archive handle from P`OpenArchive`; 0 means failure.
using HARC = std::uintptr_t;

/// The registered message a library sends to its owner window while it works.
constexpr const char* kArcExtractMessage = "wm_arcextract";

/// Mode the type probes pass to P`OpenArchive`.
constexpr DWORD kProbeOpenMode = 0x800002;

/// Notification states (wParam of "wm_arcextract"). The shell reacts to kBegin only.
enum : int {
  kStateBegin = 0,       ///< an item begins; the record names it
  kStateInProcess = 1,   ///< some of the item's bytes have been written
  kStateEnd = 2,         ///< the item is complete
  kStateOpen = 3,        ///< the archive was opened; the record names the archive
  kStateFinished = 4,    ///< the whole command is over
};

constexpr std::size_t kNameMax = 512;  ///< longest name in a record, NUL not counted

/// Information record sent with "wm_arcextract" (lParam). The component reads only the
/// item's name: NUL-ended text within the 513 bytes from offset 8.
struct EXTRACTINGINFOEX {
  DWORD dwFileSize;                     ///< item size, low 32 bits
  DWORD dwWriteSize;                    ///< bytes written so far, low 32 bits
  char szSourceFileName[kNameMax + 1];  ///< the item's name as decoded from the archive
  char dummy1[3];
  char szDestFileName[kNameMax + 1];    ///< where it is written (relative to the folder)
  char dummy2[3];
  std::uint64_t llFileSize;             ///< full item size
  std::uint64_t llWriteSize;            ///< full bytes written so far
  DWORD dwCRC;                          ///< the item's CRC as stored, when the format has one
  DWORD dwIndex;                        ///< 0-based number of the item in the archive
};
static_assert(offsetof(EXTRACTINGINFOEX, szSourceFileName) == 8);
using LPEXTRACTINGINFOEX = EXTRACTINGINFOEX*;

/// Item record filled by P`FindFirst` and P`FindNext`.
struct INDIVIDUALINFO {
  std::uint64_t llOriginalSize;
  std::uint64_t llCompressedSize;
  DWORD dwCRC;
  DWORD uFlag;                          ///< 0 = ok
  DWORD uOSType;
  std::int64_t llTime;                  ///< modification time, seconds since 1970
  DWORD dwAttributes;                   ///< platform::fa... bits
  char szFileName[kNameMax + 1];        ///< decoded name, "/" between folders
  char szMode[16];                      ///< method text, e.g. "-lh5-", "deflate"
};

/// Result codes of P`FindFirst`/P`FindNext`: 0 found, -1 no more items, other negative error.
constexpr int kFindEnd = -1;

// Entry signatures, in the argument order the drivers call them. Every library exports the
// ones its driver uses under its family prefix (Unlha, Unarj, UnZip/Zip, Unzip for
// LMZIP32.DLL, Cab, Tar, Unrar), e.g. `Unlha`, `UnlhaOpenArchive`.
extern "C" {
using TCommandEntry = int (*)(HWND wnd, const char* cmdLine, char* output, DWORD size);
using TOpenArchiveEntry = HARC (*)(HWND wnd, const char* fileName, DWORD mode);
using TCloseArchiveEntry = int (*)(HARC arc);
using TFindFirstEntry = int (*)(HARC arc, const char* wildName, INDIVIDUALINFO* info);
using TFindNextEntry = int (*)(HARC arc, INDIVIDUALINFO* info);
using TCheckArchiveEntry = int (*)(const char* fileName, int mode);
using TSetOwnerWindowExEntry = BOOL (*)(HWND wnd, void* callback);
using TKillOwnerWindowExEntry = BOOL (*)(HWND wnd);
using TGetArchiveTypeEntry = int (*)(const char* fileName);
}

}  // namespace libapi
