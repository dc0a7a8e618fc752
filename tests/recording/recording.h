// The recording test libraries: what each call looked like, and a client that reads a loaded
// library's log through its extra exports. Used by the driver and component tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "archive/libapi.h"
#include "platform/winapi.h"

namespace recording {

/// One call of an exported entry, as the library saw it.
struct Call {
  char entry[64];          ///< the exported name that was called, e.g. "UnlhaOpenArchive"
  long sequence;           ///< order among every call of every recording library
  platform::HWND wnd;      ///< window argument (0 for entries without one)
  char text[2048];         ///< command line, file name or wildcard
  int bufferNull;          ///< command entries: 1 when the output buffer was null
  std::uint32_t size;      ///< command entries: the buffer size
  std::int64_t mode;       ///< mode (open, check) or archive handle (close, find)
  int callbackNull;        ///< SetOwnerWindowEx: 1 when no callback was given
};

// Extra exports of every recording library.
extern "C" {
using CountFn = int (*)();
using GetFn = const Call* (*)(int index);
using ClearFn = void (*)();
using SetIntFn = void (*)(std::int64_t value);
using SetTextFn = void (*)(const char* text);
using GetIntFn = std::int64_t (*)();
}

/// Reads and steers one loaded recording library.
class Client {
 public:
  explicit Client(platform::HMODULE module) : module_(module) {
    if (!module_) throw std::runtime_error("recording library not loaded");
  }

  int Count() const { return Fn<CountFn>("RecordingCount")(); }
  const Call& At(int i) const { return *Fn<GetFn>("RecordingGet")(i); }
  /// The last call, which must exist.
  const Call& Last() const {
    if (Count() == 0) throw std::runtime_error("no call recorded");
    return At(Count() - 1);
  }
  /// Number of calls of `entry`.
  int CountOf(const std::string& entry) const {
    int n = 0;
    for (int i = 0; i < Count(); ++i) n += entry == At(i).entry;
    return n;
  }
  /// Forgets the calls and every setting below.
  void Clear() const { Fn<ClearFn>("RecordingClear")(); }
  /// What the command entries answer.
  void SetResult(std::int64_t v) const { Fn<SetIntFn>("RecordingSetResult")(v); }
  /// The handle OpenArchive answers (0: cannot open).
  void SetOpenHandle(std::int64_t v) const { Fn<SetIntFn>("RecordingSetOpenHandle")(v); }
  /// TarGetArchiveType's answer.
  void SetArchiveType(std::int64_t v) const { Fn<SetIntFn>("RecordingSetArchiveType")(v); }
  /// When not empty, a command sends "wm_arcextract" (state 0, this item name at offset 8) to
  /// the registered owner window.
  void SetProgressItem(const std::string& name) const {
    Fn<SetTextFn>("RecordingSetProgressItem")(name.c_str());
  }
  /// The owner window's reply to the last message sent (-1: none sent).
  std::int64_t LastReply() const { return Fn<GetIntFn>("RecordingLastReply")(); }

 private:
  template <class F>
  F Fn(const char* name) const {
    void* p = platform::GetProcAddress(module_, name);
    if (!p) throw std::runtime_error(std::string("recording export missing: ") + name);
    return reinterpret_cast<F>(p);
  }
  platform::HMODULE module_;
};

/// A fresh folder, removed with everything in it at the end of the scope.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pukonpaXXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  /// The folder, without a final separator.
  const std::string& Path() const { return path_; }
  /// `name` inside the folder.
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

/// Writes `content` to `path`.
inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}
/// The content of `path` ("" when it cannot be read).
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

#ifdef PUKONPA_RECORDING_DIR
/// The folder of one variant of the recording libraries ("full", "lmzip_only", "empty"...).
inline std::string Folder(const std::string& variant) {
  return std::string(PUKONPA_RECORDING_DIR) + "/" + variant + "/";
}
/// Points the loader at that folder alone.
inline void UseFolder(const std::string& variant) {
  platform::SetTrustedLibraryFolders({Folder(variant)});
}
#endif

}  // namespace recording
