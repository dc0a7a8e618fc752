// ARJ methods 1, 2 and 3: LZ77 over a 26 KB window, coded in blocks, each with its own
// static Huffman tables (the scheme LHA's -lh5-..-lh7- also use, with ARJ's constants).
#pragma once

#include <string>

#include "arj_bit_reader.h"
#include "arj_window.h"

namespace arj {

/// Decodes until `out` holds its declared size. False with `error` set on corrupt or
/// truncated input, or when the sink stops; never reads past the member's bytes.
bool DecodeLz(BitReader& in, Window& out, std::string& error);

}  // namespace arj
