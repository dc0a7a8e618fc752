#include "arj_decode_lz.h"

#include <array>
#include <cstdint>
#include <vector>

namespace arj {
namespace {

constexpr int kThreshold = 3;                       // shortest match
constexpr int kMaxMatch = 256;
constexpr int kNC = 256 + kMaxMatch + 2 - kThreshold;  // literals and match lengths: 510
constexpr int kNP = 17;                             // distance classes (16-bit dictionary + 1)
constexpr int kNT = 19;                             // code-length codes
constexpr int kCBits = 9, kPBits = 5, kTBits = 5;   // widths of the table counts
constexpr int kMaxCodeLength = 16;

// A canonical Huffman code (shorter codes first, then by symbol) read MSB first. Codes up
// to kFastBits long are found with one look-up; longer ones by comparing with each
// length's first code.
class Huffman {
 public:
  // Builds from `lengths` (0 = unused). False when the lengths over-fill the code space.
  bool Build(const std::uint8_t* lengths, int n) {
    constant_ = -1;
    std::array<int, kMaxCodeLength + 2> count{};
    for (int i = 0; i < n; ++i) {
      if (lengths[i] > kMaxCodeLength) return false;
      ++count[lengths[i]];
    }
    count[0] = 0;
    std::uint32_t code = 0;
    int offset = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
      first_[len] = code;
      offset_[len] = offset;
      count_[len] = count[len];
      code = (code + count[len]) << 1;
      offset += count[len];
      if (first_[len] + count[len] > (1u << len)) return false;  // over-subscribed
    }
    symbols_.assign(offset, 0);
    std::array<int, kMaxCodeLength + 1> next{};
    for (int len = 1; len <= kMaxCodeLength; ++len) next[len] = offset_[len];
    for (int i = 0; i < n; ++i)
      if (lengths[i]) symbols_[next[lengths[i]]++] = static_cast<std::uint16_t>(i);
    fast_.fill(kLong);
    for (int len = 1; len <= kFastBits; ++len) {
      for (int k = 0; k < count_[len]; ++k) {
        std::uint32_t c = (first_[len] + k) << (kFastBits - len);
        for (std::uint32_t j = 0; j < (1u << (kFastBits - len)); ++j)
          fast_[c + j] = static_cast<std::uint32_t>(symbols_[offset_[len] + k]) << 8 | len;
      }
    }
    return true;
  }
  // Every code decodes to `symbol` and takes no bits (a table sent as a single value).
  void SetConstant(int symbol) { constant_ = symbol; }

  // The next symbol, or -1 for a bit pattern no code has.
  int Decode(BitReader& in) const {
    if (constant_ >= 0) return constant_;
    std::uint32_t e = fast_[in.Peek(kFastBits)];
    if (e != kLong) {
      in.Skip(static_cast<int>(e & 0xFF));
      return static_cast<int>(e >> 8);
    }
    std::uint32_t bits = in.Peek(kMaxCodeLength);
    for (int len = kFastBits + 1; len <= kMaxCodeLength; ++len) {
      std::uint32_t code = bits >> (kMaxCodeLength - len);
      if (code - first_[len] < static_cast<std::uint32_t>(count_[len])) {
        in.Skip(len);
        return symbols_[offset_[len] + (code - first_[len])];
      }
    }
    return -1;
  }

 private:
  static constexpr int kFastBits = 10;
  static constexpr std::uint32_t kLong = 0xFFFFFFFF;
  std::array<std::uint32_t, 1 << kFastBits> fast_{};
  std::array<std::uint32_t, kMaxCodeLength + 1> first_{};
  std::array<int, kMaxCodeLength + 1> offset_{}, count_{};
  std::vector<std::uint16_t> symbols_;
  int constant_ = -1;
};

class LzDecoder {
 public:
  LzDecoder(BitReader& in, Window& out, std::string& error) : in_(in), out_(out), error_(error) {}

  bool Run() {
    std::uint32_t blockLeft = 0;
    while (out_.Remaining() > 0) {
      if (blockLeft == 0) {
        blockLeft = in_.Get(16);
        if (blockLeft == 0) return Fail("corrupt data: empty block");
        if (!ReadLengthCodes(kNT, kTBits, 3, tLengths_, tCode_) || !ReadCharCodes() ||
            !ReadLengthCodes(kNP, kPBits, -1, pLengths_, pCode_))
          return false;
      }
      --blockLeft;
      int c = cCode_.Decode(in_);
      if (c < 0) return Fail("corrupt data: invalid code");
      if (c < 256) {
        if (!out_.Literal(static_cast<std::uint8_t>(c), error_)) return false;
      } else {
        std::uint32_t length = static_cast<std::uint32_t>(c - 256 + kThreshold);
        int p = pCode_.Decode(in_);
        if (p < 0) return Fail("corrupt data: invalid distance code");
        // Class 0 is distance 0; class k > 0 covers 2^(k-1) .. 2^k - 1.
        std::uint32_t distance = p == 0 ? 0 : (1u << (p - 1)) + in_.Get(p - 1);
        if (!out_.Copy(distance, length, error_)) return false;
      }
      if (in_.Overrun()) return Fail("truncated data");
    }
    return true;
  }

 private:
  bool Fail(const char* text) {
    error_ = text;
    return false;
  }

  // Code lengths of the distance table (nbit-wide count) or of the table that codes the
  // literal/length lengths. Lengths 0-6 take 3 bits; 7 and up continue in unary. After
  // entry `special` a 2-bit count of zero lengths follows.
  template <std::size_t N>
  bool ReadLengthCodes(int nn, int nbit, int special, std::array<std::uint8_t, N>& lengths,
                       Huffman& code) {
    int n = static_cast<int>(in_.Get(nbit));
    if (n == 0) {
      int c = static_cast<int>(in_.Get(nbit));
      if (c >= nn) return Fail("corrupt data: bad single-value table");
      lengths.fill(0);
      code.SetConstant(c);
      return true;
    }
    if (n > nn) return Fail("corrupt data: table too long");
    int i = 0;
    while (i < n) {
      int c = static_cast<int>(in_.Peek(3));
      if (c == 7) {
        std::uint32_t more = in_.Peek(16);
        for (std::uint32_t mask = 1u << 12; mask & more; mask >>= 1) ++c;
        if (c > kMaxCodeLength) return Fail("corrupt data: code too long");
        in_.Skip(c - 3);
      } else {
        in_.Skip(3);
      }
      lengths[i++] = static_cast<std::uint8_t>(c);
      if (i == special) {
        int zeros = static_cast<int>(in_.Get(2));
        if (i + zeros > nn) return Fail("corrupt data: table overflows");
        while (zeros-- > 0) lengths[i++] = 0;
      }
    }
    while (i < nn) lengths[i++] = 0;
    if (!code.Build(lengths.data(), nn)) return Fail("corrupt data: bad Huffman table");
    return true;
  }

  // Lengths of the literal/length code, themselves coded with the table just read:
  // symbols 0-2 are runs of zero lengths (1; 3-18; 20-531), k > 2 is length k - 2.
  bool ReadCharCodes() {
    int n = static_cast<int>(in_.Get(kCBits));
    if (n == 0) {
      int c = static_cast<int>(in_.Get(kCBits));
      if (c >= kNC) return Fail("corrupt data: bad single-value table");
      cLengths_.fill(0);
      cCode_.SetConstant(c);
      return true;
    }
    if (n > kNC) return Fail("corrupt data: table too long");
    int i = 0;
    while (i < n) {
      int c = tCode_.Decode(in_);
      if (c < 0) return Fail("corrupt data: invalid code");
      if (c <= 2) {
        int zeros = c == 0 ? 1 : c == 1 ? static_cast<int>(in_.Get(4)) + 3
                                        : static_cast<int>(in_.Get(kCBits)) + 20;
        if (i + zeros > kNC) return Fail("corrupt data: table overflows");
        while (zeros-- > 0) cLengths_[i++] = 0;
      } else {
        cLengths_[i++] = static_cast<std::uint8_t>(c - 2);
      }
      if (in_.Overrun()) return Fail("truncated data");
    }
    while (i < kNC) cLengths_[i++] = 0;
    if (!cCode_.Build(cLengths_.data(), kNC)) return Fail("corrupt data: bad Huffman table");
    return true;
  }

  BitReader& in_;
  Window& out_;
  std::string& error_;
  std::array<std::uint8_t, kNT> tLengths_{};
  std::array<std::uint8_t, kNP> pLengths_{};
  std::array<std::uint8_t, kNC> cLengths_{};
  Huffman tCode_, pCode_, cCode_;
};

}  // namespace

bool DecodeLz(BitReader& in, Window& out, std::string& error) {
  LzDecoder decoder(in, out, error);
  return decoder.Run() && out.Flush(error);
}

}  // namespace arj
