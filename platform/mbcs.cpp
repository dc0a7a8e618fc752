#include "mbcs.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>

namespace mbcs {

namespace {

std::atomic<int> systemCodePage{CP_UTF8};

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length announced by a UTF-8 lead byte; 1 for anything that cannot start a sequence.
std::size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 1;
}

// One converter per direction and thread, reset before each use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Convert(std::string_view in, std::string& out) {
    out.clear();
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buf[1024];
    while (srcLeft > 0) {
      char* dst = buf;
      std::size_t dstLeft = sizeof buf;
      std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buf, static_cast<std::size_t>(dst - buf));
      if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    char* dst = buf;
    std::size_t dstLeft = sizeof buf;
    bool flushed = iconv(cd_, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    return flushed;
  }

 private:
  iconv_t cd_;
};

}  // namespace

int SystemCodePage() { return systemCodePage.load(); }

void SetSystemCodePage(int codePage) { systemCodePage.store(codePage); }

bool IsLeadByte(unsigned char c, int codePage) {
  if (codePage == CP_932) return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
  if (codePage == CP_UTF8) return Utf8SequenceLength(c) > 1;
  return false;
}

std::size_t CharLength(std::string_view s, std::size_t index, int codePage) {
  if (index >= s.size()) return 1;
  const auto c = static_cast<unsigned char>(s[index]);
  if (!IsLeadByte(c, codePage)) return 1;
  if (codePage == CP_932) return index + 1 < s.size() ? 2 : 1;
  // UTF-8: a broken or cut-off sequence is taken byte by byte.
  std::size_t n = Utf8SequenceLength(c);
  if (index + n > s.size()) return 1;
  for (std::size_t i = 1; i < n; ++i)
    if (!IsContinuation(static_cast<unsigned char>(s[index + i]))) return 1;
  return n;
}

ByteType ByteTypeAt(std::string_view s, std::size_t index, int codePage) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t n = CharLength(s, i, codePage);
    if (index < i + n) return index == i ? (n > 1 ? ByteType::Lead : ByteType::Single)
                                         : ByteType::Trail;
    i += n;
  }
  return ByteType::Single;
}

std::size_t LastCharIndex(std::string_view s, int codePage) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i, codePage)) last = i;
  return last;
}

bool LastCharIs(std::string_view s, char c, int codePage) {
  std::size_t i = LastCharIndex(s, codePage);
  return i != std::string_view::npos && CharLength(s, i, codePage) == 1 && s[i] == c;
}

std::size_t LastDelimiter(std::string_view delimiters, std::string_view s, int codePage) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = CharLength(s, i, codePage);
    if (n == 1 && delimiters.find(s[i]) != std::string_view::npos) found = i;
    i += n;
  }
  return found;
}

std::string AnsiLowerCase(std::string_view s, int codePage) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size();) {
    std::size_t n = CharLength(out, i, codePage);
    if (n == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
    i += n;
  }
  return out;
}

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t n = Utf8SequenceLength(c);
    if (n == 1 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return false;
    const auto c1 = static_cast<unsigned char>(s[i + 1]);
    // The second byte bounds what the lead allows: no overlong forms, no surrogates, nothing
    // past U+10FFFF. (0xC0 and 0xC1 leads are already refused above.)
    if (c == 0xE0 && c1 < 0xA0) return false;
    if (c == 0xED && c1 > 0x9F) return false;
    if (c == 0xF0 && c1 < 0x90) return false;
    if (c == 0xF4 && c1 > 0x8F) return false;
    i += n;
  }
  return true;
}

bool Cp932ToUtf8(std::string_view in, std::string& out) {
  thread_local Converter converter("UTF-8", "CP932");
  return converter.Convert(in, out);
}

bool Utf8ToCp932(std::string_view in, std::string& out) {
  thread_local Converter converter("CP932", "UTF-8");
  return converter.Convert(in, out);
}

}  // namespace mbcs
