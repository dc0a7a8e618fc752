// The sliding window both ARJ decoders write into: literals and back-references go in, full
// stretches go out to the caller's sink, and the CRC of everything written is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace arj {

/// Receives decoded bytes in order; returns false to stop decoding.
using Sink = std::function<bool(const std::uint8_t*, std::size_t)>;

class Window {
 public:
  /// ARJ's dictionary: references reach at most this far back.
  static constexpr std::size_t kSize = 26624;

  /// Decodes exactly `total` bytes into `sink`.
  Window(const Sink& sink, std::uint64_t total);

  /// Bytes still owed to reach the declared size.
  std::uint64_t Remaining() const { return total_ - written_; }
  /// Appends one byte (the caller checks Remaining() first).
  bool Literal(std::uint8_t byte, std::string& error);
  /// Copies `length` bytes starting `distance + 1` bytes back; fails on a reference before
  /// the first byte, beyond the window or past the declared size.
  bool Copy(std::uint32_t distance, std::uint32_t length, std::string& error);
  /// Hands what is left to the sink; call once at the end.
  bool Flush(std::string& error);
  /// CRC-32 of every byte decoded so far.
  std::uint32_t Crc() const { return crc_; }

 private:
  bool Drain(std::string& error);  // sends the pending bytes when the ring is full

  const Sink& sink_;
  std::uint64_t total_;
  std::uint64_t written_ = 0;
  std::vector<std::uint8_t> ring_;
  std::size_t pos_ = 0;      // next write position in ring_
  std::size_t flushed_ = 0;  // ring_ bytes before this index were already sent
  std::uint32_t crc_ = 0;
};

}  // namespace arj
