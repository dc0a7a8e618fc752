#include "libraries/frontends/copy_text.h"

#include <algorithm>
#include <cstring>

namespace frontends {

void CopyText(const std::string& text, char* dest, std::size_t size) {
  if (!dest || size == 0) return;
  std::size_t n = std::min(text.size(), size - 1);
  if (n < text.size()) {
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

}  // namespace frontends
