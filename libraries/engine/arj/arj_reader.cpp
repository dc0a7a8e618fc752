#include "arj_reader.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "arj_bit_reader.h"
#include "arj_crc32.h"
#include "arj_decode_fast.h"
#include "arj_decode_lz.h"
#include "arj_window.h"

namespace arj {
namespace {

// Every header: 0x60 0xEA, the basic header's size (2 bytes, 0 = end of archive), the basic
// header, its CRC-32 (4), then extended headers (size (2), bytes, CRC-32 (4)) up to a size 0.
constexpr std::uint8_t kMagic0 = 0x60, kMagic1 = 0xEA;
constexpr std::size_t kPrefix = 4;      // magic and size
constexpr std::size_t kCrcSize = 4;
constexpr std::size_t kMaxBasicSize = 2600;

// Offsets inside the basic header.
enum : std::size_t {
  kFirstHeaderSize = 0,  // size of the fixed part; the name starts here
  kVersion = 1,
  kMinVersion = 2,
  kHostOS = 3,
  kFlags = 4,
  kMethod = 5,
  kFileType = 6,
  kReserved = 7,
  kDosTime = 8,
  kCompressedSize = 12,
  kOriginalSize = 16,
  kFileCrc = 20,
  kNamePosition = 24,    // where the last path component starts within the name
  kFileMode = 26,
  kFirstChapter = 28,
  kLastChapter = 29,
  kMinFirstHeaderSize = 30,
};

constexpr std::uint8_t kFlagGarbled = 0x01;
constexpr std::uint8_t kFlagVolume = 0x04;   // continues in the next volume
constexpr std::uint8_t kFlagExtFile = 0x08;  // continues from the previous volume
constexpr std::uint8_t kTypeMainHeader = 2;
constexpr std::uint8_t kTypeDirectory = 3;
constexpr std::uint8_t kHostUnix = 2;

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Reads the fields of a CRC-checked basic header of `size` bytes.
bool ParseBasic(const std::uint8_t* b, std::size_t size, Header& h, std::string& error) {
  std::size_t first = b[kFirstHeaderSize];
  if (first < kMinFirstHeaderSize || first >= size) {
    error = "corrupt archive: bad header layout";
    return false;
  }
  const std::uint8_t* nameEnd = static_cast<const std::uint8_t*>(std::memchr(b + first, 0, size - first));
  if (!nameEnd || !std::memchr(nameEnd + 1, 0, size - (nameEnd + 1 - b))) {
    error = "corrupt archive: unterminated name or comment";
    return false;
  }
  h.rawName.assign(reinterpret_cast<const char*>(b + first), nameEnd - (b + first));
  h.hostOS = b[kHostOS];
  h.flags = b[kFlags];
  h.method = b[kMethod];
  h.fileType = b[kFileType];
  h.dosTime = Le32(b + kDosTime);
  h.compressedSize = Le32(b + kCompressedSize);
  h.originalSize = Le32(b + kOriginalSize);
  h.crc = Le32(b + kFileCrc);
  h.fileMode = Le16(b + kFileMode);
  return true;
}

// True if `p` (with `avail` bytes) starts a complete, CRC-valid main header; sets `total`
// to its length up to the end of the basic header's CRC.
bool IsMainHeader(const std::uint8_t* p, std::size_t avail, std::size_t& total) {
  if (avail < kPrefix || p[0] != kMagic0 || p[1] != kMagic1) return false;
  std::size_t size = Le16(p + 2);
  if (size < kMinFirstHeaderSize + 2 || size > kMaxBasicSize) return false;
  total = kPrefix + size + kCrcSize;
  if (avail < total || Crc32(p + kPrefix, size) != Le32(p + kPrefix + size)) return false;
  Header h;
  std::string ignored;
  return ParseBasic(p + kPrefix, size, h, ignored) && h.fileType == kTypeMainHeader;
}

}  // namespace

Reader::Reader(ReadFn read) : read_(std::move(read)) {}

std::size_t Reader::Fill(std::size_t want) {
  if (buf_.size() - pos_ >= want) return buf_.size() - pos_;
  if (pos_ > 0) {  // keep only the unread bytes
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<std::ptrdiff_t>(pos_));
    pos_ = 0;
  }
  while (buf_.size() < want) {
    std::size_t have = buf_.size();
    std::size_t chunk = std::max<std::size_t>(want - have, 8192);
    buf_.resize(have + chunk);
    std::size_t got = read_(buf_.data() + have, chunk);
    buf_.resize(have + std::min(got, chunk));
    if (got == 0) break;
  }
  return buf_.size();
}

std::size_t Reader::Take(void* out, std::size_t len) {
  auto* dst = static_cast<std::uint8_t*>(out);
  std::size_t n = std::min(len, buf_.size() - pos_);
  if (n) std::memcpy(dst, buf_.data() + pos_, n);
  pos_ += n;
  while (n < len) {
    std::size_t got = read_(dst + n, len - n);
    if (got == 0) break;
    n += std::min(got, len - n);
  }
  return n;
}

bool Reader::Open(std::string& error) {
  // Search for the first valid main header; a self-extractor stub may precede it.
  for (;;) {
    std::size_t avail = Fill(kPrefix);
    if (avail < kPrefix) {
      error = "not an ARJ archive: no main header found";
      return false;
    }
    const std::uint8_t* p = buf_.data() + pos_;
    if (p[0] != kMagic0) {  // jump to the next candidate; the loop refills before reading it
      const void* hit = std::memchr(p + 1, kMagic0, avail - 1);
      pos_ = hit ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - buf_.data())
                 : pos_ + avail;
      continue;
    }
    std::size_t total = 0;
    if (p[1] == kMagic1 && Le16(p + 2) <= kMaxBasicSize) {
      avail = Fill(kPrefix + kMaxBasicSize + kCrcSize);
      p = buf_.data() + pos_;
      if (IsMainHeader(p, avail, total)) {
        pos_ += total;
        if (!SkipExtendedHeaders(error)) return false;
        opened_ = true;
        return true;
      }
    }
    ++pos_;
  }
}

bool Reader::ReadHeader(std::vector<std::uint8_t>& basic, bool& end, std::string& error) {
  end = false;
  if (Fill(kPrefix) < kPrefix) {
    error = "truncated archive: the end-of-archive marker is missing";
    return false;
  }
  const std::uint8_t* p = buf_.data() + pos_;
  if (p[0] != kMagic0 || p[1] != kMagic1) {
    error = "corrupt archive: bad header signature";
    return false;
  }
  std::size_t size = Le16(p + 2);
  if (size == 0) {
    pos_ += kPrefix;
    end = true;
    return true;
  }
  if (size > kMaxBasicSize) {
    error = "corrupt archive: header too large";
    return false;
  }
  if (Fill(kPrefix + size + kCrcSize) < kPrefix + size + kCrcSize) {
    error = "truncated archive: header cut short";
    return false;
  }
  p = buf_.data() + pos_;
  if (Crc32(p + kPrefix, size) != Le32(p + kPrefix + size)) {
    error = "corrupt archive: header CRC mismatch";
    return false;
  }
  basic.assign(p + kPrefix, p + kPrefix + size);
  pos_ += kPrefix + size + kCrcSize;
  return SkipExtendedHeaders(error);
}

bool Reader::SkipExtendedHeaders(std::string& error) {
  for (;;) {
    if (Fill(2) < 2) {
      error = "truncated archive: extended header cut short";
      return false;
    }
    std::size_t size = Le16(buf_.data() + pos_);
    pos_ += 2;
    if (size == 0) return true;
    if (Fill(size + kCrcSize) < size + kCrcSize) {
      error = "truncated archive: extended header cut short";
      return false;
    }
    const std::uint8_t* p = buf_.data() + pos_;
    if (Crc32(p, size) != Le32(p + size)) {
      error = "corrupt archive: extended header CRC mismatch";
      return false;
    }
    pos_ += size + kCrcSize;
  }
}

bool Reader::Next(Header& h, bool& end, std::string& error) {
  if (!opened_) {
    error = "archive not opened";
    return false;
  }
  if (haveMember_ && !Skip(error)) return false;
  std::vector<std::uint8_t> basic;
  if (!ReadHeader(basic, end, error)) return false;
  if (end) return true;
  Header parsed;
  if (!ParseBasic(basic.data(), basic.size(), parsed, error)) return false;
  h = current_ = parsed;
  dataLeft_ = parsed.compressedSize;
  haveMember_ = true;
  return true;
}

bool Reader::Skip(std::string& error) {
  if (!haveMember_) return true;
  std::uint8_t scratch[8192];
  while (dataLeft_ > 0) {
    std::size_t n = Take(scratch, static_cast<std::size_t>(std::min<std::uint64_t>(dataLeft_, sizeof scratch)));
    if (n == 0) {
      error = "truncated archive: member data cut short";
      return false;
    }
    dataLeft_ -= n;
  }
  haveMember_ = false;
  return true;
}

bool Reader::Extract(const std::function<bool(const std::uint8_t*, std::size_t)>& sink,
                     std::string& error) {
  if (!haveMember_) {
    error = "no current member";
    return false;
  }
  const Header& h = current_;
  if (h.fileType == kTypeDirectory || h.fileType > kTypeDirectory) return Skip(error);  // no content
  if (h.flags & kFlagGarbled) {
    error = "encrypted (garbled) members are not supported";
    return false;
  }
  if (h.flags & (kFlagVolume | kFlagExtFile)) {
    error = "members split across volumes are not supported";
    return false;
  }
  if (h.method > 4) {
    error = "unknown compression method " + std::to_string(h.method);
    return false;
  }
  std::uint32_t crc = 0;
  if (h.method == 0) {
    if (h.compressedSize != h.originalSize) {
      error = "corrupt archive: stored member sizes differ";
      return false;
    }
    std::uint8_t chunk[16384];
    while (dataLeft_ > 0) {
      std::size_t n = Take(chunk, static_cast<std::size_t>(std::min<std::uint64_t>(dataLeft_, sizeof chunk)));
      if (n == 0) {
        error = "truncated archive: member data cut short";
        return false;
      }
      dataLeft_ -= n;
      crc = Crc32(chunk, n, crc);
      if (!sink(chunk, n)) {
        error = "extraction stopped by the caller";
        return false;
      }
    }
  } else {
    BitReader in(
        [this](std::uint8_t* buf, std::size_t len) {
          std::size_t n = Take(buf, static_cast<std::size_t>(std::min<std::uint64_t>(len, dataLeft_)));
          dataLeft_ -= n;
          return n;
        },
        dataLeft_);
    Window out(sink, h.originalSize);
    bool ok = h.method == 4 ? DecodeFast(in, out, error) : DecodeLz(in, out, error);
    if (!ok) return false;
    crc = out.Crc();
    if (!Skip(error)) return false;  // compressed bytes the decoder did not need
  }
  haveMember_ = false;
  if (crc != h.crc) {
    error = "CRC error in " + h.rawName;
    return false;
  }
  return true;
}

std::int64_t ModifiedTime(const Header& h) {
  if (h.hostOS == kHostUnix) return h.dosTime;
  std::tm t{};
  t.tm_year = static_cast<int>((h.dosTime >> 25) & 0x7F) + 80;
  t.tm_mon = static_cast<int>((h.dosTime >> 21) & 0x0F) - 1;
  t.tm_mday = static_cast<int>((h.dosTime >> 16) & 0x1F);
  t.tm_hour = static_cast<int>((h.dosTime >> 11) & 0x1F);
  t.tm_min = static_cast<int>((h.dosTime >> 5) & 0x3F);
  t.tm_sec = static_cast<int>(h.dosTime & 0x1F) * 2;
  t.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&t));
}

bool LooksLikeArj(const std::uint8_t* data, std::size_t n) {
  if (!data) return false;
  for (std::size_t i = 0; i + kPrefix <= n; ++i) {
    std::size_t total = 0;
    if (data[i] == kMagic0 && IsMainHeader(data + i, n - i, total)) return true;
  }
  return false;
}

}  // namespace arj
