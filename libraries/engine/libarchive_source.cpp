#include "libarchive_source.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "cab_names.h"

namespace engine {

namespace {

constexpr std::size_t kReadBlock = 1 << 20;

bool HasAny(Format f, std::initializer_list<Format> set) {
  return f == Format::Unknown || std::find(set.begin(), set.end(), f) != set.end();
}

// Callbacks that show libarchive a file from an offset on, as if it began there.
la_ssize_t WindowRead(struct archive*, void* data, const void** block) {
  auto* w = static_cast<LibarchiveSource::Window*>(data);
  for (;;) {
    const ssize_t n = read(w->fd, w->buffer.data(), w->buffer.size());
    if (n >= 0 || errno != EINTR) {
      *block = w->buffer.data();
      return n;
    }
  }
}
la_int64_t WindowSeek(struct archive*, void* data, la_int64_t offset, int whence) {
  auto* w = static_cast<LibarchiveSource::Window*>(data);
  const off_t base = static_cast<off_t>(w->base);
  const off_t at = lseek(w->fd, whence == SEEK_SET ? base + offset : offset, whence);
  return at < 0 ? ARCHIVE_FATAL : at - base;
}
la_int64_t WindowSkip(struct archive*, void* data, la_int64_t request) {
  auto* w = static_cast<LibarchiveSource::Window*>(data);
  return lseek(w->fd, request, SEEK_CUR) >= 0 ? request : 0;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suffix[i]) return false;
  }
  return true;
}

bool ContainsNoCase(const char* text, const char* word) {
  if (text == nullptr) return false;
  std::string t(text);
  for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return t.find(word) != std::string::npos;
}

// libarchive names the method inside its format name: "lha -lh5-", "ZIP 2.0 (deflation)",
// "CAB 1.3 (MSZIP)". The short name is what listings show.
std::string MethodName(const char* format) {
  const std::string name = format ? format : "";
  const std::size_t lha = name.find(" -l");
  if (lha != std::string::npos) return name.substr(lha + 1);
  const std::size_t open = name.find('(');
  const std::size_t close = name.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return name;
  const std::string inner = name.substr(open + 1, close - open - 1);
  if (inner == "deflation") return "deflate";
  if (inner == "uncompressed" || inner == "NONE") return "stored";
  return inner;
}

// The bytes behind a name read as Latin-1 (each code point below 0x100 is one byte); false
// for a name with other characters, which came from a Unicode header.
bool LatinToBytes(const std::string& utf8, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      bytes += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      bytes += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

LibarchiveSource::LibarchiveSource(Format format) : format_(format) {}

LibarchiveSource::~LibarchiveSource() {
  if (a_ != nullptr) archive_read_free(a_);
  if (window_.fd >= 0) close(window_.fd);
}

bool LibarchiveSource::Open(const std::string& path, std::uint64_t offset) {
  path_ = path;
  a_ = archive_read_new();
  if (a_ == nullptr) {
    error_ = "out of memory";
    return false;
  }
  // Only the families we serve: format_all would also take mtree, whose "archives" name
  // files elsewhere on this machine.
  if (HasAny(format_, {Format::Lha})) {
    archive_read_support_format_lha(a_);
    // Names unflagged are CP932 from Windows or UTF-8 from Unix, and libarchive stops at a
    // name its charset cannot convert. Latin-1 converts every byte, and we map it back
    // (LatinToBytes) to decode the bytes ourselves.
    archive_read_set_format_option(a_, "lha", "hdrcharset", "ISO-8859-1");
  }
  if (HasAny(format_, {Format::Zip})) archive_read_support_format_zip(a_);
  if (HasAny(format_, {Format::Cab})) archive_read_support_format_cab(a_);
  if (HasAny(format_, {Format::Rar})) {
    archive_read_support_format_rar(a_);
    archive_read_support_format_rar5(a_);
  }
  const bool tarLike = HasAny(format_, {Format::Tar, Format::Compressed});
  if (HasAny(format_, {Format::Tar})) archive_read_support_format_tar(a_);
  if (tarLike) {
    archive_read_support_format_raw(a_);
    archive_read_support_filter_gzip(a_);
    archive_read_support_filter_bzip2(a_);
    archive_read_support_filter_compress(a_);
    archive_read_support_filter_xz(a_);
    archive_read_support_filter_lzma(a_);
    archive_read_support_filter_lzip(a_);
    archive_read_support_filter_zstd(a_);
  }
  int rc;
  if (offset == 0) {
    rc = archive_read_open_filename(a_, path.c_str(), kReadBlock);
  } else {
    window_.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    window_.base = offset;
    window_.buffer.resize(kReadBlock);
    if (window_.fd < 0 || lseek(window_.fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
      error_ = std::string("cannot open the archive: ") + std::strerror(errno);
      return false;
    }
    archive_read_set_read_callback(a_, WindowRead);
    archive_read_set_seek_callback(a_, WindowSeek);
    archive_read_set_skip_callback(a_, WindowSkip);
    archive_read_set_callback_data(a_, &window_);
    rc = archive_read_open1(a_);
  }
  if (rc != ARCHIVE_OK) {
    error_ = archive_error_string(a_) ? archive_error_string(a_) : "cannot open the archive";
    return false;
  }
  return true;
}

ReadStatus LibarchiveSource::Fail(int rc) {
  const char* msg = archive_error_string(a_);
  error_ = msg ? msg : "broken archive data";
  // libarchive tells the kind of fault only in its message.
  if (ContainsNoCase(msg, "crc") || ContainsNoCase(msg, "checksum")) {
    errorCode_ = kErrCrc;
  } else if (ContainsNoCase(msg, "passphrase") || ContainsNoCase(msg, "encrypt") ||
             ContainsNoCase(msg, "unsupported") || ContainsNoCase(msg, "not supported")) {
    errorCode_ = kErrNotSupported;
  } else {
    errorCode_ = kErrFormat;
  }
  return rc == ARCHIVE_FATAL ? ReadStatus::Fatal : ReadStatus::ItemError;
}

std::string LibarchiveSource::SingleFileName() const {
  std::string base = path_.substr(path_.rfind('/') == std::string::npos ? 0 : path_.rfind('/') + 1);
  static const std::pair<const char*, const char*> kSuffixes[] = {
      {".tgz", ".tar"}, {".taz", ".tar"}, {".tbz2", ".tar"}, {".tbz", ".tar"},
      {".txz", ".tar"}, {".gz", ""},      {".bz2", ""},      {".xz", ""},
      {".lzma", ""},    {".lz", ""},      {".zst", ""},      {".z", ""}};
  for (const auto& [suffix, replacement] : kSuffixes) {
    if (EndsWithNoCase(base, suffix) && base.size() > std::strlen(suffix)) {
      return names_.Decode(base.substr(0, base.size() - std::strlen(suffix))) + replacement;
    }
  }
  return names_.Decode(base) + ".out";
}

std::string LibarchiveSource::DecodeName(const char* name) const {
  if (archive_format(a_) != ARCHIVE_FORMAT_LHA) return names_.Decode(name);
  // LHA names arrive read as Latin-1 (see Open): UTF-8 or CP932 bytes behind them are
  // decoded as such; a Unicode header's name, or bytes that are neither, stay as read.
  std::string bytes;
  std::string decoded;
  if (LatinToBytes(name, bytes) && names_.DecodeStrict(bytes, decoded)) return decoded;
  return names_.Decode(name);
}

std::string LibarchiveSource::LostName() {
  // libarchive gives no name when it cannot convert one (a name flagged as UTF-8 that is
  // not); for a cabinet the stored bytes are read back, for others a numbered name stands in.
  if (archive_format(a_) == ARCHIVE_FORMAT_CAB) {
    if (!cabNamesRead_) {
      cabNames_ = ReadCabNames(path_, window_.base);
      cabNamesRead_ = true;
    }
    if (index_ < cabNames_.size() && !cabNames_[index_].empty()) {
      return names_.Decode(cabNames_[index_]);
    }
  }
  return "%3F" + std::to_string(index_ + 1);
}

ReadStatus LibarchiveSource::Next(Entry& entry) {
  struct archive_entry* e = nullptr;
  const int rc = archive_read_next_header(a_, &e);
  if (rc == ARCHIVE_EOF) return ReadStatus::End;
  if (rc < ARCHIVE_WARN) {
    // FAILED: this header is unusable but the next can be read; FATAL: nothing more can.
    ++index_;
    return Fail(first_ ? ARCHIVE_FATAL : rc);
  }
  if (first_) {
    first_ = false;
    raw_ = archive_format(a_) == ARCHIVE_FORMAT_RAW;
    // The raw reader takes any file; only a compressed stream is a "single file" archive.
    if (raw_ && archive_filter_code(a_, 0) == ARCHIVE_FILTER_NONE) {
      error_ = "not an archive";
      return ReadStatus::Fatal;
    }
  }
  entry = Entry{};
  Item& item = entry.item;
  const char* name = archive_entry_pathname(e);
  item.name = raw_ ? SingleFileName() : name ? DecodeName(name) : LostName();
  ++index_;
  while (item.name.size() > 1 && item.name.back() == '/') item.name.pop_back();
  entry.sizeKnown = archive_entry_size_is_set(e) != 0;
  item.size = entry.sizeKnown ? static_cast<std::uint64_t>(archive_entry_size(e)) : 0;
  entry.hasMtime = archive_entry_mtime_is_set(e) != 0;
  item.mtime = entry.hasMtime ? archive_entry_mtime(e) : 0;
  item.mode = archive_entry_perm(e) & 07777;
  if (raw_ || item.mode == 0) item.mode = 0644;
  item.method = MethodName(archive_format_name(a_));
  const char* hard = archive_entry_hardlink(e);
  switch (archive_entry_filetype(e)) {
    case AE_IFDIR:
      entry.kind = EntryKind::Directory;
      break;
    case AE_IFLNK: {
      entry.kind = EntryKind::Symlink;
      const char* target = archive_entry_symlink(e);
      item.linkTarget = DecodeName(target ? target : "");
      break;
    }
    case AE_IFREG:
    case 0:
      entry.kind = EntryKind::File;
      break;
    default:
      entry.kind = EntryKind::Special;
  }
  if (hard != nullptr && entry.kind != EntryKind::Directory) {
    entry.kind = EntryKind::Hardlink;
    entry.hardlinkTarget = DecodeName(hard);
    while (!entry.hardlinkTarget.empty() && entry.hardlinkTarget.back() == '/') {
      entry.hardlinkTarget.pop_back();
    }
  }
  item.isDirectory = entry.kind == EntryKind::Directory;
  item.isSymlink = entry.kind == EntryKind::Symlink;
  return ReadStatus::Ok;
}

bool LibarchiveSource::HardlinksPossible() const {
  const int base = archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK;
  return base == ARCHIVE_FORMAT_TAR || base == ARCHIVE_FORMAT_CPIO ||
         archive_format(a_) == ARCHIVE_FORMAT_RAR_V5;
}

ReadStatus LibarchiveSource::ReadData(const BlockSink& sink) {
  for (;;) {
    const void* data = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    const int rc = archive_read_data_block(a_, &data, &size, &offset);
    if (rc == ARCHIVE_EOF) return ReadStatus::End;
    if (rc != ARCHIVE_OK) return Fail(rc);
    if (size > 0 && !sink(data, size, static_cast<std::uint64_t>(offset))) {
      return ReadStatus::Stopped;
    }
  }
}

}  // namespace engine
