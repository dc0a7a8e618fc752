// Most-significant-bit-first reader over one member's compressed bytes, as both ARJ decoders
// consume them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace arj {

class BitReader {
 public:
  /// Pulls at most `len` bytes into `buf`; returns 0 at the end of the source.
  using Pull = std::function<std::size_t(std::uint8_t* buf, std::size_t len)>;

  /// Reads at most `limit` bytes through `pull`. Past them it yields zero bits, so that a
  /// decoder may look ahead near the end; Overrun() tells whether any were consumed.
  BitReader(Pull pull, std::uint64_t limit);

  /// The next `n` bits (1..16) without consuming them.
  std::uint32_t Peek(int n) {
    if (count_ < n) Fill();
    return static_cast<std::uint32_t>(bits_ >> (count_ - n)) & ((1u << n) - 1);
  }
  /// Consumes `n` bits (0..16).
  void Skip(int n) {
    if (count_ < n) Fill();
    count_ -= n;
    consumed_ += static_cast<std::uint64_t>(n);
  }
  /// Reads and consumes `n` bits (0..16).
  std::uint32_t Get(int n) {
    if (n == 0) return 0;
    std::uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  /// True once more bits were consumed than the member holds (truncated or corrupt data).
  bool Overrun() const { return consumed_ > available_; }

 private:
  void Fill();  // tops the bit buffer up to at least 32 bits

  Pull pull_;
  std::uint64_t remaining_;             // bytes still to pull from the source
  std::uint64_t available_ = 0;         // bits actually delivered by the source
  std::uint64_t consumed_ = 0;          // bits consumed by the decoder
  std::vector<std::uint8_t> buffer_;
  std::size_t pos_ = 0, end_ = 0;
  bool sourceDone_ = false;
  std::uint64_t bits_ = 0;              // the low `count_` bits are unread, oldest highest
  int count_ = 0;
};

}  // namespace arj
