// Probe: the family of an archive from its first bytes; for a self-extracting .exe, a
// bounded scan for an archive inside it.
#include <archive.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "probe.h"

namespace engine {

namespace {

constexpr std::size_t kHead = 4096;
constexpr std::size_t kExeScan = 1 << 20;
constexpr std::size_t kZipTail = 65536 + 22;

std::uint32_t Crc32(const unsigned char* p, std::size_t n) {
  static const auto table = [] {
    std::vector<std::uint32_t> t(256);
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Each IsX checks for a header of its family starting at p, with n bytes available, with the
// header's own check value where it has one (a self-extractor's code may hold signatures).
bool IsLha(const unsigned char* p, std::size_t n) {
  if (n < 22 || p[2] != '-' || p[6] != '-' || p[3] != 'l') return false;
  if (p[4] != 'h' && p[4] != 'z') return false;
  const unsigned level = p[20];
  if (level > 3) return false;
  if (level <= 1) {  // byte sum of the header after its first two bytes
    const std::size_t size = p[0];
    if (size < 20 || n < 2 + size) return false;
    unsigned sum = 0;
    for (std::size_t i = 2; i < 2 + size; ++i) sum += p[i];
    return (sum & 0xFF) == p[1];
  }
  return true;
}
bool IsArj(const unsigned char* p, std::size_t n) {
  if (n < 4 || p[0] != 0x60 || p[1] != 0xEA) return false;
  const std::size_t size = Le16(p + 2);
  if (size == 0 || size > 2600 || n < 8 + size) return false;
  return Crc32(p + 4, size) == Le32(p + 4 + size);
}
bool IsCab(const unsigned char* p, std::size_t n) {
  // Signature, zero reserved field, version 1.3.
  return n >= 36 && std::memcmp(p, "MSCF\0\0\0\0", 8) == 0 && p[24] == 3 && p[25] == 1;
}
bool IsRar(const unsigned char* p, std::size_t n) {
  if (n >= 7 + 13 && std::memcmp(p, "Rar!\x1a\x07\x00", 7) == 0) {
    // The main header that follows: type 0x73, its CRC the low half of a CRC-32.
    const unsigned char* h = p + 7;
    const std::size_t size = Le16(h + 5);
    if (h[2] != 0x73 || size < 7 || n < 7 + size) return false;
    return (Crc32(h + 2, size - 2) & 0xFFFF) == Le16(h);
  }
  if (n >= 8 + 7 && std::memcmp(p, "Rar!\x1a\x07\x01\x00", 8) == 0) {
    // The main header: CRC-32 of a header whose size is a variable-length number.
    const unsigned char* h = p + 8;
    std::size_t size = 0, len = 0;
    for (int shift = 0; len < 3; shift += 7) {
      const unsigned char b = h[4 + len++];
      size |= static_cast<std::size_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) break;
    }
    if (size == 0 || n < 8 + 4 + len + size) return false;
    return Crc32(h + 4, len + size) == Le32(h);
  }
  return false;
}
bool IsZip(const unsigned char* p, std::size_t n) {
  if (n < 4 || p[0] != 'P' || p[1] != 'K') return false;
  return (p[2] == 3 && p[3] == 4) || (p[2] == 5 && p[3] == 6) || (p[2] == 7 && p[3] == 8) ||
         (p[2] == '0' && p[3] == '0');
}
bool IsTar(const unsigned char* p, std::size_t n) {
  if (n < 512) return false;
  if (std::memcmp(p + 257, "ustar", 5) == 0) return true;
  // An old-style header: its check sum counts the check-sum field as blanks.
  unsigned sum = 0;
  for (std::size_t i = 0; i < 512; ++i) sum += (i >= 148 && i < 156) ? ' ' : p[i];
  unsigned stored = 0;
  bool digits = false;
  for (std::size_t i = 148; i < 156 && p[i] != 0 && p[i] != ' '; ++i) {
    if (p[i] < '0' || p[i] > '7') return false;
    stored = stored * 8 + (p[i] - '0');
    digits = true;
  }
  return digits && p[0] != 0 && stored == sum;
}
bool IsCompressed(const unsigned char* p, std::size_t n) {
  return (n >= 2 && p[0] == 0x1F && (p[1] == 0x8B || p[1] == 0x9D)) ||
         (n >= 3 && std::memcmp(p, "BZh", 3) == 0) ||
         (n >= 6 && std::memcmp(p, "\xFD" "7zXZ\0", 6) == 0);
}

// Whether a compressed stream holds a tar: decompresses its first block only.
bool CompressedTar(const std::string& path) {
  struct archive* a = archive_read_new();
  if (a == nullptr) return false;
  archive_read_support_format_raw(a);
  archive_read_support_filter_gzip(a);
  archive_read_support_filter_bzip2(a);
  archive_read_support_filter_compress(a);
  archive_read_support_filter_xz(a);
  bool tar = false;
  struct archive_entry* e = nullptr;
  if (archive_read_open_filename(a, path.c_str(), 16384) == ARCHIVE_OK &&
      archive_read_next_header(a, &e) == ARCHIVE_OK) {
    unsigned char block[512];
    std::size_t got = 0;
    while (got < sizeof block) {
      const la_ssize_t n = archive_read_data(a, block + got, sizeof block - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    tar = IsTar(block, got);
  }
  archive_read_free(a);
  return tar;
}

Format FromHead(const unsigned char* p, std::size_t n) {
  if (IsLha(p, n)) return Format::Lha;
  if (IsZip(p, n)) return Format::Zip;
  if (IsCab(p, n)) return Format::Cab;
  if (IsRar(p, n)) return Format::Rar;
  if (IsArj(p, n)) return Format::Arj;
  if (IsTar(p, n)) return Format::Tar;
  return Format::Unknown;
}

Located ScanExe(int fd, std::uint64_t fileSize) {
  std::vector<unsigned char> buf(static_cast<std::size_t>(std::min<std::uint64_t>(kExeScan, fileSize)));
  const ssize_t n = pread(fd, buf.data(), buf.size(), 0);
  if (n <= 0) return {};
  const std::size_t len = static_cast<std::size_t>(n);
  for (std::size_t i = 1; i < len; ++i) {
    const unsigned char* p = buf.data() + i;
    const std::size_t left = len - i;
    if (IsLha(p, left) || IsCab(p, left) || IsRar(p, left) || IsArj(p, left)) {
      return {FromHead(p, left), i};
    }
  }
  // A ZIP is found from its end: the end-of-directory record near the file's end.
  const std::uint64_t tail = std::min<std::uint64_t>(kZipTail, fileSize);
  std::vector<unsigned char> end(static_cast<std::size_t>(tail));
  const ssize_t m = pread(fd, end.data(), end.size(), static_cast<off_t>(fileSize - tail));
  for (ssize_t i = m - 22; i >= 0; --i) {
    if (std::memcmp(end.data() + i, "PK\x05\x06", 4) == 0) return {Format::Zip, 0};
  }
  return {};
}

}  // namespace

Located Locate(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  Located found;
  struct stat st;
  unsigned char head[kHead];
  const ssize_t n = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? pread(fd, head, sizeof head, 0) : -1;
  if (n > 0) {
    const std::size_t len = static_cast<std::size_t>(n);
    found.format = FromHead(head, len);
    if (found.format == Format::Unknown && IsCompressed(head, len)) {
      found.format = CompressedTar(path) ? Format::Tar : Format::Compressed;
    } else if (found.format == Format::Unknown && len >= 2 && head[0] == 'M' && head[1] == 'Z') {
      found = ScanExe(fd, static_cast<std::uint64_t>(st.st_size));
    }
  }
  close(fd);
  return found;
}

Format Probe(const std::string& path) { return Locate(path).format; }

}  // namespace engine
