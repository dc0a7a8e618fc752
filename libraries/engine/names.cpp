#include "names.h"

#include <cerrno>
#include <algorithm>
#include <cstdio>

namespace engine {

namespace {

void AppendEscaped(std::string& out, unsigned char c) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%%%02X", c);
  out += buf;
}

}  // namespace

bool IsUtf8(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    unsigned min;
    unsigned cp;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2, min = 0x80, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, min = 0x800, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

std::string CleanDecodedName(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += '/';
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscaped(out, c);
    } else {
      out += ch;
    }
  }
  return out;
}

NameDecoder::NameDecoder() : cp932_(iconv_open("UTF-8", "CP932")) {}

NameDecoder::~NameDecoder() {
  if (cp932_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cp932_);
}

std::string NameDecoder::FromCp932(std::string_view raw) {
  std::string out;
  if (cp932_ == reinterpret_cast<iconv_t>(-1)) {
    for (char ch : raw) {
      const unsigned char c = static_cast<unsigned char>(ch);
      if (c < 0x80) out += ch; else AppendEscaped(out, c);
    }
    return out;
  }
  iconv(cp932_, nullptr, nullptr, nullptr, nullptr);
  char buf[1024];
  std::size_t pos = 0;
  while (pos < raw.size()) {
    char* in = const_cast<char*>(raw.data() + pos);
    std::size_t inLeft = raw.size() - pos;
    char* outp = buf;
    std::size_t outLeft = sizeof buf;
    const std::size_t rc = iconv(cp932_, &in, &inLeft, &outp, &outLeft);
    const int err = errno;
    out.append(buf, static_cast<std::size_t>(outp - buf));
    pos = raw.size() - inLeft;
    if (rc != static_cast<std::size_t>(-1)) break;
    if (err == E2BIG) continue;
    // An unmapped or cut-off character: keep its first byte as an escape and go on.
    AppendEscaped(out, static_cast<unsigned char>(raw[pos]));
    ++pos;
    iconv(cp932_, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

namespace {

// Some readers turn every 0x5C byte into "/" before we see the name, trail bytes too. "/" is
// never a CP932 trail byte, so one right after a lead byte was a 0x5C trail byte.
std::string RepairTrailBytes(std::string_view raw) {
  std::string bytes(raw);
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      if (bytes[i + 1] == '/') bytes[i + 1] = '\\';
      ++i;
    }
  }
  return bytes;
}

}  // namespace

std::string NameDecoder::Decode(std::string_view raw) {
  if (IsUtf8(raw)) return CleanDecodedName(raw);
  return CleanDecodedName(FromCp932(RepairTrailBytes(raw)));
}

bool NameDecoder::DecodeStrict(std::string_view raw, std::string& out) {
  if (IsUtf8(raw)) {
    out = CleanDecodedName(raw);
    return true;
  }
  const std::string decoded = FromCp932(RepairTrailBytes(raw));
  // FromCp932 escapes what it cannot map; a "%" it did not get from the input means failure.
  if (std::count(decoded.begin(), decoded.end(), '%') != std::count(raw.begin(), raw.end(), '%')) {
    return false;
  }
  out = CleanDecodedName(decoded);
  return true;
}

}  // namespace engine
