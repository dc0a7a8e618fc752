#include "arj_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "arj_reader.h"

namespace engine {

namespace {

constexpr std::uint8_t kTypeDirectory = 3;
constexpr std::uint8_t kHostUnix = 2;

}  // namespace

ArjSource::ArjSource() = default;

ArjSource::~ArjSource() {
  reader_.reset();
  if (fd_ >= 0) close(fd_);
}

bool ArjSource::Open(const std::string& path) {
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = std::string("cannot open: ") + std::strerror(errno);
    return false;
  }
  reader_ = std::make_unique<arj::Reader>([this](void* buf, std::size_t len) -> std::size_t {
    for (;;) {
      const ssize_t n = read(fd_, buf, len);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return 0;
    }
  });
  return reader_->Open(error_);
}

ReadStatus ArjSource::Fail() {
  errorCode_ = error_.rfind("CRC error", 0) == 0                     ? kErrCrc
               : error_.find("not supported") != std::string::npos ||
                       error_.rfind("unknown compression method", 0) == 0 ? kErrNotSupported
                                                                           : kErrFormat;
  // Anything but a cut-off archive leaves the next header where its sizes say.
  return error_.rfind("truncated", 0) == 0 || error_.rfind("corrupt archive: bad header", 0) == 0
             ? ReadStatus::Fatal
             : ReadStatus::ItemError;
}

ReadStatus ArjSource::Next(Entry& entry) {
  arj::Header h;
  bool end = false;
  // Volume labels and chapter marks are no items.
  do {
    if (!reader_->Next(h, end, error_)) return ReadStatus::Fatal;
    if (end) return ReadStatus::End;
  } while (h.fileType > kTypeDirectory);
  entry = Entry{};
  Item& item = entry.item;
  item.name = names_.Decode(h.rawName);
  while (item.name.size() > 1 && item.name.back() == '/') item.name.pop_back();
  isDirectory_ = h.fileType == kTypeDirectory;
  entry.kind = isDirectory_ ? EntryKind::Directory : EntryKind::File;
  item.isDirectory = isDirectory_;
  item.size = h.originalSize;
  item.compressedSize = h.compressedSize;
  item.crc = h.crc;
  item.hasCrc = !isDirectory_;
  entry.sizeKnown = true;
  item.mtime = arj::ModifiedTime(h);
  entry.hasMtime = true;
  item.mode = h.hostOS == kHostUnix && (h.fileMode & 0777) != 0 ? (h.fileMode & 07777) : 0644;
  item.method = "-m" + std::to_string(h.method) + "-";
  return ReadStatus::Ok;
}

ReadStatus ArjSource::ReadData(const BlockSink& sink) {
  std::uint64_t offset = 0;
  bool stopped = false;
  const bool ok = reader_->Extract(
      [&](const std::uint8_t* data, std::size_t size) {
        if (!sink(data, size, offset)) {
          stopped = true;
          return false;
        }
        offset += size;
        return true;
      },
      error_);
  if (stopped) return ReadStatus::Stopped;
  return ok ? ReadStatus::End : Fail();
}

}  // namespace engine
