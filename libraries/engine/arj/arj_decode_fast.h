// ARJ method 4 ("fastest"): LZ77 over the same window, with fixed variable-length codes
// for lengths and distances instead of Huffman tables.
#pragma once

#include <string>

#include "arj_bit_reader.h"
#include "arj_window.h"

namespace arj {

/// Decodes until `out` holds its declared size. False with `error` set on corrupt or
/// truncated input, or when the sink stops; never reads past the member's bytes.
bool DecodeFast(BitReader& in, Window& out, std::string& error);

}  // namespace arj
