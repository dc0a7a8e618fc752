// Text handed back to a library's caller in a fixed-size buffer.
#pragma once

#include <cstddef>
#include <string>

namespace frontends {

/// Copies `text` into `dest` of `size` bytes, NUL-terminated, cut at a UTF-8 character
/// boundary when it does not fit. Nothing is written when `dest` is null or `size` is 0.
void CopyText(const std::string& text, char* dest, std::size_t size);

}  // namespace frontends
