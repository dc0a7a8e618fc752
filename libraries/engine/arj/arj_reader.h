// Reads ARJ archives from a forward-only byte source: the main header (past any
// self-extractor stub), then each member's header and data. Pure: it never touches files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace arj {

/// Fills `buf` with at most `len` bytes; returns 0 at the end of the source.
using ReadFn = std::function<std::size_t(void* buf, std::size_t len)>;

/// One member as its local header describes it.
struct Header {
  std::string rawName;  ///< bytes as stored (CP932 or other), "/" or "\\" as stored
  std::uint8_t method = 0;    ///< 0 stored, 1-3 LZ + Huffman, 4 fastest
  std::uint8_t fileType = 0;  ///< 0 binary, 1 text, 3 directory, 4 volume label, 5 chapter
  std::uint8_t hostOS = 0;    ///< 0 MS-DOS, 2 Unix, 10/11 Windows, ...
  std::uint8_t flags = 0;     ///< 0x01 garbled, 0x04 continues in the next volume, 0x08 from the previous, ...
  std::uint32_t compressedSize = 0, originalSize = 0, crc = 0;
  std::uint32_t dosTime = 0;  ///< DOS date and time; seconds since 1970 when hostOS is 2 (see ModifiedTime)
  std::uint16_t fileMode = 0;  ///< DOS attributes; permission bits in the low 12 bits when hostOS is 2
};

/// The member's modification time in seconds since 1970. arj on Unix (hostOS 2) stores it
/// that way; other hosts store DOS date and time in the packer's local time, read here in
/// this machine's local time zone.
std::int64_t ModifiedTime(const Header& h);

class Reader {
 public:
  /// Reads through `read`, which must stay valid while the reader is used.
  explicit Reader(ReadFn read);

  /// Finds and checks the main header, skipping anything before it (a self-extractor).
  /// False with `error` set when the source holds no valid ARJ main header.
  bool Open(std::string& error);
  /// Reads the next member header, first skipping any unread data of the previous member.
  /// Sets `end` (and returns true) at the end-of-archive marker.
  bool Next(Header& h, bool& end, std::string& error);
  /// Decodes the current member into `sink` and checks its size and CRC. False with
  /// `error` on unsupported, corrupt or truncated data, or when `sink` returns false.
  bool Extract(const std::function<bool(const std::uint8_t*, std::size_t)>& sink,
               std::string& error);
  /// Passes over the current member's data.
  bool Skip(std::string& error);

 private:
  std::size_t Fill(std::size_t want);  // buffers at least `want` bytes if the source has them
  std::size_t Take(void* buf, std::size_t len);  // reads from the buffer, then the source
  bool ReadHeader(std::vector<std::uint8_t>& basic, bool& end, std::string& error);
  bool SkipExtendedHeaders(std::string& error);

  ReadFn read_;
  std::vector<std::uint8_t> buf_;
  std::size_t pos_ = 0;             // next unread byte in buf_
  bool opened_ = false;
  bool haveMember_ = false;         // a header was read and its data not yet consumed
  Header current_;
  std::uint64_t dataLeft_ = 0;      // the current member's data bytes not yet consumed
};

/// True if `data` holds a complete, checksum-valid ARJ main header at any offset (so a
/// self-extracting archive's first bytes also qualify).
bool LooksLikeArj(const std::uint8_t* data, std::size_t n);

}  // namespace arj
