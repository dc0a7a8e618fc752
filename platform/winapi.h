// Our stand-in for the few window-system calls the system makes: libraries loaded by name
// from trusted folders, registered messages and hidden windows, file search and paths, and
// hooks through which the window layer supplies the calls that need a display.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

using HWND = std::uintptr_t;
using HMODULE = void*;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using DWORD = std::uint32_t;
using BOOL = int;

/// The native folder separator, used wherever a folder separator is appended, tested or joined.
constexpr char PathDelim = '/';

// ---- Libraries -------------------------------------------------------------------------

/// Loads a library by its exact file name ("UNLHA32.DLL") from the trusted folders, first
/// match wins. Never the current folder; a name with a folder part is refused. Returns
/// nullptr when no trusted folder has it or it cannot be loaded. Loading the same file again
/// returns the same handle; each load needs its FreeLibrary.
HMODULE LoadLibrary(const std::string& fileName);
/// Address of an exported entry, or nullptr (also for a handle LoadLibrary did not give).
void* GetProcAddress(HMODULE module, const char* entryName);
/// Unloads a library loaded by LoadLibrary.
bool FreeLibrary(HMODULE module);
/// Full path of a loaded library's file; for nullptr, the program's own file; empty for a
/// handle that is not loaded.
std::string GetModuleFileName(HMODULE module);

/// The program's own folder, with a final separator.
std::string ProgramFolder();
/// The folders LoadLibrary searches, in order: the program's own folder, then the installed
/// library folder.
std::vector<std::string> TrustedLibraryFolders();
/// Replaces the trusted library folders (tests point the loader at a folder of their own).
/// Relative folders are made absolute now; empty ones are dropped.
void SetTrustedLibraryFolders(std::vector<std::string> folders);

// ---- Messages and windows --------------------------------------------------------------

/// Registered messages: the same name gives the same id, ids from 0xC000, one process-wide
/// table shared by the program and every loaded library. 0 for an empty name.
UINT RegisterWindowMessage(const std::string& name);

/// A window procedure: message, first parameter, second parameter -> result.
using WindowProc = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

/// Makes a hidden window whose procedure is `proc`; never 0.
HWND AllocateHWnd(WindowProc proc);
/// Releases a window made by AllocateHWnd; later messages to it are answered 0.
void DeallocateHWnd(HWND wnd);
/// True while `wnd` names a live window.
bool IsWindow(HWND wnd);
/// Calls the window's procedure on the calling thread and returns its answer; 0 for a
/// window that does not exist. The procedure may release its own window; what it throws
/// reaches the caller.
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- Files and folders -----------------------------------------------------------------

/// File attributes as a directory search reports them.
enum : DWORD {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faVolumeID = 0x08,
  faDirectory = 0x10,
  faArchive = 0x20,
  faAnyFile = 0x3F,
};

struct TSearchRec {
  std::string Name;      ///< the entry's name as the folder holds it
  DWORD Attr = 0;        ///< fa... bits
  std::int64_t Size = 0;
  std::int64_t Time = 0;  ///< modification time, seconds since 1970
  std::intptr_t Handle = -1;
};

/// Starts a search for `path`, whose last component may hold the wildcards * and ? (case
/// sensitive; anything else is literal); without wildcards it finds that entry itself.
/// Plain files are always found; hidden ("." names), system (devices, pipes, sockets) and
/// folder entries only when `attr` holds faHidden, faSysFile, faDirectory. Read-only: no
/// write bit, or not writable by us. Matches come in name order. 0 when one is found, else
/// an error code. "." and ".." are never reported.
int FindFirst(const std::string& path, DWORD attr, TSearchRec& rec);
/// The next match; 0 when one is found.
int FindNext(TSearchRec& rec);
/// Ends the search (safe to call twice and after a failed FindFirst).
void FindClose(TSearchRec& rec);

/// Changes the process's current folder.
bool SetCurrentDirectory(const std::string& path);
std::string GetCurrentDirectory();
/// `path` made absolute against the current folder, "." and ".." folded lexically; a final
/// separator stays. Empty for an empty path.
std::string GetFullPathName(const std::string& path);
/// Looks for a data file by bare name: the program's own folder, the installed data folder,
/// then each absolute folder of PATH; never the current folder (nor an empty or relative PATH
/// entry, which lead from it). Only regular files count. Full path, or empty when not found
/// or when `fileName` has a folder part.
std::string SearchPath(const std::string& fileName);
/// Deletes a file or a link (not a folder, nor what a link leads to).
bool DeleteFile(const std::string& path);
/// True for an existing regular file or a link to one; a folder does not count.
bool FileExists(const std::string& path);

// ---- Calls that need the window layer ----------------------------------------------------

struct TPoint {
  int X = 0;
  int Y = 0;
};

constexpr int SW_SHOW = 5;
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONSTOP = 0x10;

/// The window layer installs these when it starts; without it they do nothing useful
/// (MessageBox writes to standard error, the others answer false).
struct WindowHooks {
  std::function<bool(HWND)> SetForegroundWindow;
  std::function<bool(TPoint&)> GetCursorPos;
  std::function<int(HWND, const std::string& text, const std::string& caption, UINT flags)>
      MessageBox;
};
void SetWindowHooks(WindowHooks hooks);

bool SetForegroundWindow(HWND wnd);
bool GetCursorPos(TPoint& point);
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);

/// Opens `file` with the desktop's handler (xdg-open), without a command interpreter and
/// without waiting; `operation` is "open" in any case, or empty. Returns 42 when xdg-open
/// started, 2 when it could not, 31 for another operation (success is greater than 32, as
/// the original call had it). `parameters` and `directory` are not used.
std::intptr_t ShellExecute(HWND wnd, const std::string& operation, const std::string& file,
                           const std::string& parameters, const std::string& directory,
                           int showCommand);

}  // namespace platform
