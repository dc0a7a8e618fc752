#include "arj_decode_fast.h"

#include <cstdint>

namespace arj {
namespace {

constexpr int kThreshold = 3;

// A value coded as up to (stop - start) one-bits in unary, ended by a zero unless all are
// present, then as many plain bits as the unary part reached: widths start, start+1, ...
// with bases 0, 2^start, 2^start + 2^(start+1), ...
std::uint32_t ReadCode(BitReader& in, int start, int stop) {
  std::uint32_t base = 0, step = 1u << start;
  int width = start;
  for (; width < stop; ++width) {
    if (in.Get(1) == 0) break;
    base += step;
    step <<= 1;
  }
  return base + in.Get(width);
}

}  // namespace

bool DecodeFast(BitReader& in, Window& out, std::string& error) {
  while (out.Remaining() > 0) {
    std::uint32_t c = ReadCode(in, 0, 7);  // 0: a literal follows; n > 0: length n + 2
    if (c == 0) {
      if (!out.Literal(static_cast<std::uint8_t>(in.Get(8)), error)) return false;
    } else {
      std::uint32_t length = c - 1 + kThreshold;
      std::uint32_t distance = ReadCode(in, 9, 13);
      if (!out.Copy(distance, length, error)) return false;
    }
    if (in.Overrun()) {
      error = "truncated data";
      return false;
    }
  }
  return out.Flush(error);
}

}  // namespace arj
