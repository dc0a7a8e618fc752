#include "dir_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace engine {

namespace {

constexpr std::size_t kMaxCachedFolders = 256;
constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int MakeDirs(const std::string& path) {
  std::string sofar;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    sofar = path.substr(0, pos);
    if (sofar.empty()) continue;
    if (mkdir(sofar.c_str(), 0777) != 0 && errno != EEXIST) return -1;
  }
  return 0;
}

// Opens `name` below `parent` as a folder, never through a link; creates it when missing.
int OpenChild(int parent, const std::string& name, mode_t createMode) {
  int fd = openat(parent, name.c_str(), kDirFlags);
  if (fd >= 0 || errno != ENOENT) {
    if (fd < 0 && (errno == ENOTDIR || errno == ELOOP)) errno = ELOOP;
    return fd;
  }
  if (mkdirat(parent, name.c_str(), createMode) != 0 && errno != EEXIST) return -1;
  fd = openat(parent, name.c_str(), kDirFlags);
  if (fd < 0 && (errno == ENOTDIR || errno == ELOOP)) errno = ELOOP;
  return fd;
}

}  // namespace

DirTree::~DirTree() {
  for (auto& [key, fd] : cache_) close(fd);
  if (root_ >= 0) close(root_);
}

bool DirTree::Open(const std::string& path, std::string& error) {
  const std::string dir = path.empty() ? "." : path;
  root_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root_ < 0 && errno == ENOENT && MakeDirs(dir) == 0) {
    root_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (root_ < 0) {
    error = "cannot open the destination folder " + dir + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

int DirTree::Folder(const std::vector<std::string>& parts, std::size_t count, mode_t lastMode) {
  if (count == 0) return root_;
  // Find the deepest folder already open, then walk down from there.
  std::string key;
  int fd = root_;
  std::size_t done = 0;
  std::vector<std::string> keys(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (i) key += '/';
    key += parts[i];
    keys[i] = key;
  }
  for (std::size_t i = count; i > 0; --i) {
    auto it = cache_.find(keys[i - 1]);
    if (it != cache_.end()) {
      fd = it->second;
      done = i;
      break;
    }
  }
  if (cache_.size() + (count - done) > kMaxCachedFolders) {
    for (auto& [k, f] : cache_) close(f);
    cache_.clear();
    fd = root_;
    done = 0;
  }
  for (std::size_t i = done; i < count; ++i) {
    const mode_t mode = (i + 1 == count && lastMode != 0) ? ((lastMode & 0777) | 0700) : 0777;
    const int child = OpenChild(fd, parts[i], mode);
    if (child < 0) return -1;
    cache_.emplace(keys[i], child);
    fd = child;
  }
  return fd;
}

void DirTree::RememberTime(const std::vector<std::string>& parts, std::int64_t mtime) {
  times_.emplace_back(parts, mtime);
}

void DirTree::ApplyTimes() {
  // Only at the end: every file placed in a folder changes the folder's time.
  for (const auto& [parts, mtime] : times_) {
    const int fd = Folder(parts, parts.size());
    if (fd < 0) continue;
    const struct timespec ts[2] = {{static_cast<time_t>(mtime), 0},
                                   {static_cast<time_t>(mtime), 0}};
    futimens(fd, ts);
  }
  times_.clear();
}

mode_t DirTree::Umask() {
  mode_t value = 022;
  // Read, not set and restored with umask(), which would race with other threads.
  if (FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
      unsigned v;
      if (std::sscanf(line, "Umask: %o", &v) == 1) {
        value = static_cast<mode_t>(v);
        break;
      }
    }
    std::fclose(f);
  }
  return value;
}

}  // namespace engine
