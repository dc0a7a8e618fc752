// The destination folder as a tree of open directory handles. Every folder below it is
// reached one component at a time with O_NOFOLLOW, so neither a hostile name nor a link
// extracted earlier can lead out; the handles are cached so that each folder is opened once.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace engine {

/// Open handles of the destination and the folders below it, by their path from it.
class DirTree {
 public:
  DirTree() = default;
  ~DirTree();
  DirTree(const DirTree&) = delete;
  DirTree& operator=(const DirTree&) = delete;

  /// Opens the destination `path` (creating it and its parents when missing).
  bool Open(const std::string& path, std::string& error);

  /// Handle of the folder made of the first `count` of `parts`, creating missing folders;
  /// the last one created gets `lastMode` (0: the default). -1 with errno set on failure;
  /// errno ELOOP when a link or other non-folder stands in the way.
  int Folder(const std::vector<std::string>& parts, std::size_t count, mode_t lastMode = 0);

  /// Remembers a folder's time, set by ApplyTimes once its contents are in place.
  void RememberTime(const std::vector<std::string>& parts, std::int64_t mtime);
  /// Sets the remembered folder times.
  void ApplyTimes();

  /// The process's file-creation mask, read without changing it.
  static mode_t Umask();

 private:
  int root_ = -1;
  std::unordered_map<std::string, int> cache_;  // "a/b" -> open handle
  std::vector<std::pair<std::vector<std::string>, std::int64_t>> times_;
};

}  // namespace engine
