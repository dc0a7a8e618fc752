#include "cab_names.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace engine {

namespace {

// Cabinet header and file-table layout.
constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFilesOffsetAt = 16;  // u32: where the file table starts
constexpr std::size_t kFileCountAt = 28;    // u16: entries in the file table
constexpr std::size_t kFileFixedSize = 16;  // size, offset, folder, date, time, attributes
constexpr std::size_t kMaxName = 256;       // names are NUL-ended and at most this long

std::uint32_t Le(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

std::vector<std::string> ReadCabNames(const std::string& path, std::uint64_t offset) {
  std::vector<std::string> names;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return names;
  unsigned char header[kHeaderSize];
  if (pread(fd, header, sizeof header, static_cast<off_t>(offset)) == kHeaderSize &&
      std::memcmp(header, "MSCF", 4) == 0) {
    const std::uint32_t count = Le(header + kFileCountAt, 2);
    off_t at = static_cast<off_t>(offset + Le(header + kFilesOffsetAt, 4));
    unsigned char entry[kFileFixedSize + kMaxName + 1];
    for (std::uint32_t i = 0; i < count; ++i) {
      const ssize_t n = pread(fd, entry, sizeof entry, at);
      if (n <= static_cast<ssize_t>(kFileFixedSize)) break;
      const char* name = reinterpret_cast<const char*>(entry + kFileFixedSize);
      const std::size_t len = strnlen(name, static_cast<std::size_t>(n) - kFileFixedSize);
      if (len == static_cast<std::size_t>(n) - kFileFixedSize) break;  // no NUL: broken
      names.emplace_back(name, len);
      at += static_cast<off_t>(kFileFixedSize + len + 1);
    }
  }
  close(fd);
  return names;
}

}  // namespace engine
