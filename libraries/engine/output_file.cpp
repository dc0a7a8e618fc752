#include "output_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace engine {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;
// Blocks this large skip the buffer: the readers hand over 16-64 KB blocks, and copying every
// byte of a large file through a 1 MB buffer cost more than the writes it saved.
constexpr std::size_t kDirectWrite = 16 << 10;
constexpr unsigned kMaxNumbered = 100000;

std::string RandomTempName() {
  unsigned char bytes[8] = {};
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    const auto t = static_cast<unsigned long long>(getpid()) ^ reinterpret_cast<std::uintptr_t>(bytes);
    std::memcpy(bytes, &t, sizeof bytes);
  }
  char name[32];
  std::snprintf(name, sizeof name, ".pukonpa-%02x%02x%02x%02x%02x%02x%02x%02x", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7]);
  return name;
}

bool PWriteAll(int fd, const char* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

}  // namespace

std::string NumberedName(const std::string& name, unsigned n) {
  const std::size_t dot = name.rfind('.');
  const std::string suffix = " (" + std::to_string(n) + ")";
  if (dot == std::string::npos || dot == 0) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

OutputFile::OutputFile(bool unnamedTemp) : unnamedTemp_(unnamedTemp), buffer_(kBufferSize) {}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(int dirfd) {
  Discard();
  dirfd_ = dirfd;
  bufferStart_ = end_ = finalSize_ = 0;
  err_ = 0;
  fd_ = unnamedTemp_ ? openat(dirfd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600) : -1;
  if (fd_ < 0) {
    // File systems without unnamed temporary files: a named one, never an existing name.
    for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
      tempName_ = RandomTempName();
      fd_ = openat(dirfd, tempName_.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC,
                   0600);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
      err_ = errno;
      tempName_.clear();
      return false;
    }
  }
  return true;
}

bool OutputFile::Flush() {
  if (buffered_ == 0) return true;
  if (!PWriteAll(fd_, buffer_.data(), buffered_, bufferStart_)) {
    err_ = errno;
    return false;
  }
  bufferStart_ += buffered_;
  buffered_ = 0;
  return true;
}

bool OutputFile::Write(const void* data, std::size_t size, std::uint64_t offset) {
  const char* p = static_cast<const char*>(data);
  if (offset != bufferStart_ + buffered_) {
    if (!Flush()) return false;
    bufferStart_ = offset;
  }
  if (buffered_ == 0 && size >= kDirectWrite) {
    if (!PWriteAll(fd_, p, size, offset)) {
      err_ = errno;
      return false;
    }
    bufferStart_ = offset + size;
  } else {
    while (size > 0) {
      const std::size_t n = std::min(size, buffer_.size() - buffered_);
      std::memcpy(buffer_.data() + buffered_, p, n);
      buffered_ += n;
      p += n;
      size -= n;
      if (buffered_ == buffer_.size() && !Flush()) return false;
    }
  }
  end_ = std::max(end_, bufferStart_ + buffered_);
  return true;
}

bool OutputFile::Finish(std::uint64_t size, mode_t mode, const std::int64_t* mtime) {
  if (!Flush()) return false;
  finalSize_ = std::max(end_, size);
  if (finalSize_ > end_ && ftruncate(fd_, static_cast<off_t>(finalSize_)) != 0) {
    err_ = errno;
    return false;
  }
  if (fchmod(fd_, mode) != 0) {
    err_ = errno;
    return false;
  }
  if (mtime != nullptr) {
    const struct timespec ts[2] = {{static_cast<time_t>(*mtime), 0},
                                   {static_cast<time_t>(*mtime), 0}};
    futimens(fd_, ts);
  }
  return true;
}

bool OutputFile::LinkNoReplace(const std::string& name) {
  if (!tempName_.empty()) {
    if (linkat(dirfd_, tempName_.c_str(), dirfd_, name.c_str(), 0) == 0) return true;
    if (errno == EEXIST) return false;
    // File systems without hard links can still rename without replacing.
    if (renameat2(dirfd_, tempName_.c_str(), dirfd_, name.c_str(), RENAME_NOREPLACE) == 0) {
      tempName_.clear();
      return true;
    }
    return false;
  }
  char proc[64];
  std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd_);
  if (linkat(AT_FDCWD, proc, dirfd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno != ENOENT) return false;
  // No /proc: the direct form needs privilege but is worth a try.
  return linkat(fd_, "", dirfd_, name.c_str(), AT_EMPTY_PATH) == 0;
}

bool OutputFile::LinkAsTemp() {
  if (!tempName_.empty()) return true;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string candidate = RandomTempName();
    if (LinkNoReplace(candidate)) {
      tempName_ = candidate;
      return true;
    }
    if (errno != EEXIST) break;
  }
  return false;
}

bool OutputFile::SameContent(const std::string& name) {
  struct stat st;
  if (fstatat(dirfd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uint64_t>(st.st_size) != finalSize_) {
    return false;
  }
  const int other = openat(dirfd_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (other < 0) return false;
  std::vector<char> theirs(kBufferSize);
  char* ours = buffer_.data();  // the write buffer is free once flushed
  bool same = true;
  for (std::uint64_t pos = 0; same && pos < finalSize_;) {
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, finalSize_ - pos));
    const ssize_t a = pread(fd_, ours, want, static_cast<off_t>(pos));
    const ssize_t b = pread(other, theirs.data(), want, static_cast<off_t>(pos));
    if (a <= 0 || a != b || std::memcmp(ours, theirs.data(), static_cast<std::size_t>(a)) != 0) {
      same = false;
    }
    pos += a > 0 ? static_cast<std::uint64_t>(a) : 1;
  }
  close(other);
  return same;
}

Placement OutputFile::Commit(const std::string& name, bool overwrite, std::string& placedName) {
  placedName = name;
  if (overwrite) {
    struct stat st;
    const bool existed = fstatat(dirfd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    // rename replaces the entry itself (a link is replaced, never followed).
    if (!LinkAsTemp() || renameat(dirfd_, tempName_.c_str(), dirfd_, name.c_str()) != 0) {
      err_ = errno;
      return Placement::Failed;
    }
    tempName_.clear();
    Discard();
    return existed ? Placement::Replaced : Placement::New;
  }
  for (unsigned n = 1; n < kMaxNumbered; ++n) {
    const std::string candidate = n == 1 ? name : NumberedName(name, n);
    if (LinkNoReplace(candidate)) {
      placedName = candidate;
      Discard();
      return n == 1 ? Placement::New : Placement::Renamed;
    }
    if (errno != EEXIST) break;
    if (SameContent(candidate)) {
      placedName = candidate;
      Discard();
      return Placement::Identical;
    }
  }
  err_ = errno;
  return Placement::Failed;
}

void OutputFile::Discard() {
  if (!tempName_.empty() && dirfd_ >= 0) unlinkat(dirfd_, tempName_.c_str(), 0);
  tempName_.clear();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  buffered_ = 0;
}

}  // namespace engine
