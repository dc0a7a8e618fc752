// Member names to the system code page (UTF-8): a name that already is valid UTF-8 stays,
// anything else is read as CP932 (archives made on Japanese Windows), and what still cannot
// be decoded becomes a valid name with %XX escapes, so that no member is lost for its name.
#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace engine {

/// Decodes member names; holds its converter, so one serves a whole archive.
class NameDecoder {
 public:
  NameDecoder();
  ~NameDecoder();
  NameDecoder(const NameDecoder&) = delete;
  NameDecoder& operator=(const NameDecoder&) = delete;

  /// Decodes raw name bytes as described above; control characters are escaped too and
  /// "\" becomes "/" (a folder separator in every family we read).
  std::string Decode(std::string_view raw);

  /// As Decode, but false (and `out` untouched) when anything would need an escape.
  bool DecodeStrict(std::string_view raw, std::string& out);

  /// CP932 to UTF-8, escaping each byte that has no mapping as %XX.
  std::string FromCp932(std::string_view raw);

 private:
  iconv_t cp932_;
};

/// Escapes control characters (below 0x20 and 0x7F) as %XX and turns "\" into "/".
std::string CleanDecodedName(std::string_view utf8);

/// True when `s` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view s);

}  // namespace engine
