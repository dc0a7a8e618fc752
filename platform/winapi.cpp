#include "winapi.h"

#include <dirent.h>
#include <dlfcn.h>
#include <link.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

extern char** environ;

namespace platform {

namespace {

// Error codes as the original calls report them.
constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int ERROR_NO_MORE_FILES = 18;
constexpr std::intptr_t SE_ERR_NOASSOC = 31;

std::string JoinFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == PathDelim) return folder + name;
  return folder + PathDelim + name;
}

// A bare file name: no folder part, nothing that names a folder by itself.
bool IsBareName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find(PathDelim) == std::string::npos;
}

std::string ProgramFile() {
  std::string buf(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return {};
  buf.resize(static_cast<std::size_t>(n));
  return buf;
}

// ---- Libraries ----

struct LoadedLibrary {
  std::string path;
  int count = 0;
};

struct LibraryTable {
  std::mutex mutex;
  std::map<void*, LoadedLibrary> loaded;
  bool foldersSet = false;
  std::vector<std::string> folders;
};

LibraryTable& Libraries() {
  static LibraryTable table;
  return table;
}

// ---- Messages and windows ----

struct WindowTable {
  std::mutex mutex;
  std::map<std::string, UINT> messages;
  UINT nextMessage = 0xC000;
  std::map<HWND, std::shared_ptr<WindowProc>> windows;
  HWND nextWindow = 0x10000;
};

WindowTable& Windows() {
  static WindowTable table;
  return table;
}

// ---- Searches ----

struct Search {
  std::vector<TSearchRec> matches;
  std::size_t next = 0;
};

struct SearchTable {
  std::mutex mutex;
  std::map<std::intptr_t, Search> searches;
  std::intptr_t nextHandle = 1;
};

SearchTable& Searches() {
  static SearchTable table;
  return table;
}

// `*` matches any run of bytes, `?` exactly one; everything else (brackets too) is literal.
bool WildMatch(const char* pattern, const char* name) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '?' || (*pattern != '*' && *pattern == *name)) {
      ++pattern;
      ++name;
    } else if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

bool HasWildcards(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// Describes the entry at `path`; false when it does not exist. A link reports what it leads
// to, a dangling link itself.
bool Describe(const std::string& path, const std::string& name, TSearchRec& rec) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) return false;
  rec.Name = name;
  rec.Attr = 0;
  if (S_ISDIR(st.st_mode))
    rec.Attr |= faDirectory;
  else if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
    rec.Attr |= faSysFile;  // devices, pipes and sockets
  if (!name.empty() && name[0] == '.') rec.Attr |= faHidden;
  // Root may write anywhere, so a file without any write bit counts as read-only too.
  if ((st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0) rec.Attr |= faReadOnly;
  rec.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
  rec.Time = static_cast<std::int64_t>(st.st_mtime);
  return true;
}

// Hidden, system and folder entries are found only when asked for; plain files always are.
bool Wanted(DWORD entryAttr, DWORD attr) {
  const DWORD excluded = ~attr & (faHidden | faSysFile | faDirectory);
  return (entryAttr & excluded) == 0;
}

// ---- Hooks ----

struct HookTable {
  std::mutex mutex;
  WindowHooks hooks;
};

HookTable& Hooks() {
  static HookTable table;
  return table;
}

}  // namespace

// ---- Libraries -------------------------------------------------------------------------

std::string ProgramFolder() {
  std::string file = ProgramFile();
  auto slash = file.rfind(PathDelim);
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

std::vector<std::string> TrustedLibraryFolders() {
  LibraryTable& t = Libraries();
  std::lock_guard lock(t.mutex);
  if (t.foldersSet) return t.folders;
  return {ProgramFolder(), PUKONPA_INSTALLED_LIBDIR};
}

void SetTrustedLibraryFolders(std::vector<std::string> folders) {
  // A relative folder would follow the current folder around; pin each one now and drop
  // empty entries, which would mean the current folder itself.
  std::vector<std::string> pinned;
  for (auto& f : folders)
    if (!f.empty()) pinned.push_back(GetFullPathName(f));
  LibraryTable& t = Libraries();
  std::lock_guard lock(t.mutex);
  t.folders = std::move(pinned);
  t.foldersSet = true;
}

HMODULE LoadLibrary(const std::string& fileName) {
  if (!IsBareName(fileName)) return nullptr;
  for (const std::string& folder : TrustedLibraryFolders()) {
    if (folder.empty() || folder[0] != PathDelim) continue;
    std::string path = JoinFolder(folder, fileName);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    // The first folder that holds the file decides, even when that copy fails to load.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return nullptr;
    LibraryTable& t = Libraries();
    std::lock_guard lock(t.mutex);
    LoadedLibrary& entry = t.loaded[handle];
    if (entry.count == 0) entry.path = path;
    ++entry.count;
    return handle;
  }
  return nullptr;
}

void* GetProcAddress(HMODULE module, const char* entryName) {
  if (!module || !entryName) return nullptr;
  {
    LibraryTable& t = Libraries();
    std::lock_guard lock(t.mutex);
    if (!t.loaded.count(module)) return nullptr;
  }
  void* entry = dlsym(module, entryName);
  // dlsym also searches the libraries this one depends on; an entry counts only when the
  // library itself exports it.
  Dl_info where{};
  link_map* self = nullptr;
  if (!entry || dladdr(entry, &where) == 0 || dlinfo(module, RTLD_DI_LINKMAP, &self) != 0 ||
      !self || !where.dli_fname || std::string(where.dli_fname) != self->l_name)
    return nullptr;
  return entry;
}

bool FreeLibrary(HMODULE module) {
  LibraryTable& t = Libraries();
  {
    std::lock_guard lock(t.mutex);
    auto it = t.loaded.find(module);
    if (it == t.loaded.end()) return false;
    if (--it->second.count == 0) t.loaded.erase(it);
  }
  return dlclose(module) == 0;
}

std::string GetModuleFileName(HMODULE module) {
  if (!module) return ProgramFile();
  LibraryTable& t = Libraries();
  std::lock_guard lock(t.mutex);
  auto it = t.loaded.find(module);
  return it == t.loaded.end() ? std::string() : it->second.path;
}

// ---- Messages and windows --------------------------------------------------------------

UINT RegisterWindowMessage(const std::string& name) {
  if (name.empty()) return 0;
  WindowTable& t = Windows();
  std::lock_guard lock(t.mutex);
  auto it = t.messages.find(name);
  if (it != t.messages.end()) return it->second;
  if (t.nextMessage > 0xFFFF) return 0;
  UINT id = t.nextMessage++;
  t.messages.emplace(name, id);
  return id;
}

HWND AllocateHWnd(WindowProc proc) {
  WindowTable& t = Windows();
  std::lock_guard lock(t.mutex);
  HWND wnd = t.nextWindow++;
  t.windows.emplace(wnd, std::make_shared<WindowProc>(std::move(proc)));
  return wnd;
}

void DeallocateHWnd(HWND wnd) {
  std::shared_ptr<WindowProc> doomed;  // destroyed outside the lock
  WindowTable& t = Windows();
  std::lock_guard lock(t.mutex);
  auto it = t.windows.find(wnd);
  if (it == t.windows.end()) return;
  doomed = std::move(it->second);
  t.windows.erase(it);
}

bool IsWindow(HWND wnd) {
  WindowTable& t = Windows();
  std::lock_guard lock(t.mutex);
  return t.windows.count(wnd) != 0;
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<WindowProc> proc;
  {
    WindowTable& t = Windows();
    std::lock_guard lock(t.mutex);
    auto it = t.windows.find(wnd);
    if (it == t.windows.end()) return 0;
    proc = it->second;
  }
  // Our own reference keeps the procedure alive if it deallocates its window while running.
  if (!proc || !*proc) return 0;
  return (*proc)(msg, wParam, lParam);
}

// ---- Files and folders -----------------------------------------------------------------

int FindFirst(const std::string& path, DWORD attr, TSearchRec& rec) {
  rec.Handle = -1;
  auto slash = path.rfind(PathDelim);
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
  if (pattern.empty() || pattern == "." || pattern == "..") return ERROR_FILE_NOT_FOUND;

  Search search;
  if (!HasWildcards(pattern)) {
    TSearchRec found;
    if (Describe(path, pattern, found) && Wanted(found.Attr, attr))
      search.matches.push_back(found);
  } else {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return ERROR_PATH_NOT_FOUND;
    while (dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (name == "." || name == ".." || !WildMatch(pattern.c_str(), name.c_str())) continue;
      TSearchRec found;
      if (Describe(folder + name, name, found) && Wanted(found.Attr, attr))
        search.matches.push_back(found);
    }
    closedir(dir);
    std::sort(search.matches.begin(), search.matches.end(),
              [](const TSearchRec& a, const TSearchRec& b) { return a.Name < b.Name; });
  }
  if (search.matches.empty()) return ERROR_FILE_NOT_FOUND;

  SearchTable& t = Searches();
  std::lock_guard lock(t.mutex);
  std::intptr_t handle = t.nextHandle++;
  Search& s = t.searches[handle] = std::move(search);
  rec = s.matches[s.next++];
  rec.Handle = handle;
  return 0;
}

int FindNext(TSearchRec& rec) {
  SearchTable& t = Searches();
  std::lock_guard lock(t.mutex);
  auto it = t.searches.find(rec.Handle);
  if (it == t.searches.end() || it->second.next >= it->second.matches.size())
    return ERROR_NO_MORE_FILES;
  std::intptr_t handle = rec.Handle;
  rec = it->second.matches[it->second.next++];
  rec.Handle = handle;
  return 0;
}

void FindClose(TSearchRec& rec) {
  SearchTable& t = Searches();
  std::lock_guard lock(t.mutex);
  t.searches.erase(rec.Handle);
  rec.Handle = -1;
}

bool SetCurrentDirectory(const std::string& path) {
  return !path.empty() && chdir(path.c_str()) == 0;
}

std::string GetCurrentDirectory() {
  std::string buf(4096, '\0');
  while (!getcwd(buf.data(), buf.size())) {
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
  buf.resize(buf.find('\0'));
  return buf;
}

std::string GetFullPathName(const std::string& path) {
  if (path.empty()) return {};
  std::string full = path[0] == PathDelim ? path : JoinFolder(GetCurrentDirectory(), path);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= full.size()) {
    std::size_t end = full.find(PathDelim, start);
    if (end == std::string::npos) end = full.size();
    std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  std::string result;
  for (const auto& p : parts) result += PathDelim + p;
  // A final separator names a folder and stays, as the original call keeps it.
  if (result.empty() || path.back() == PathDelim) result += PathDelim;
  return result;
}

std::string SearchPath(const std::string& fileName) {
  if (!IsBareName(fileName)) return {};
  std::vector<std::string> folders = {ProgramFolder(), PUKONPA_INSTALLED_DATADIR};
  if (const char* env = std::getenv("PATH")) {
    std::string list = env;
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find(':', start);
      if (end == std::string::npos) end = list.size();
      folders.push_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  for (const std::string& folder : folders) {
    // Empty and relative entries mean the current folder or lead from it: never searched.
    if (folder.empty() || folder[0] != PathDelim) continue;
    std::string candidate = JoinFolder(folder, fileName);
    if (FileExists(candidate)) return candidate;
  }
  return {};
}

bool DeleteFile(const std::string& path) {
  struct stat st {};
  if (path.empty() || lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(path.c_str()) == 0;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// ---- Calls that need the window layer ----------------------------------------------------

void SetWindowHooks(WindowHooks hooks) {
  HookTable& t = Hooks();
  std::lock_guard lock(t.mutex);
  t.hooks = std::move(hooks);
}

bool SetForegroundWindow(HWND wnd) {
  std::function<bool(HWND)> hook;
  {
    HookTable& t = Hooks();
    std::lock_guard lock(t.mutex);
    hook = t.hooks.SetForegroundWindow;
  }
  return hook ? hook(wnd) : false;
}

bool GetCursorPos(TPoint& point) {
  std::function<bool(TPoint&)> hook;
  {
    HookTable& t = Hooks();
    std::lock_guard lock(t.mutex);
    hook = t.hooks.GetCursorPos;
  }
  return hook ? hook(point) : false;
}

int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  std::function<int(HWND, const std::string&, const std::string&, UINT)> hook;
  {
    HookTable& t = Hooks();
    std::lock_guard lock(t.mutex);
    hook = t.hooks.MessageBox;
  }
  if (hook) return hook(owner, text, caption, flags);
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  return 1;  // IDOK
}

std::intptr_t ShellExecute(HWND, const std::string& operation, const std::string& file,
                           const std::string&, const std::string&, int) {
  std::string verb = operation;
  for (char& c : verb)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (!verb.empty() && verb != "open") return SE_ERR_NOASSOC;
  if (file.empty()) return ERROR_FILE_NOT_FOUND;
  // A name that starts with a dash would read as an option of xdg-open.
  std::string target = file[0] == '-' ? "./" + file : file;
  char program[] = "xdg-open";
  char* argv[] = {program, target.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0)
    return ERROR_FILE_NOT_FOUND;
  // Reap the child without making the caller wait for it.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return 42;
}

}  // namespace platform
