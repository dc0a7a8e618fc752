// Code-page aware character helpers. Strings are byte strings in the system code page
// (UTF-8 here); the CP932 rules apply when the code page is 932: a lead byte 0x81-0x9F or
// 0xE0-0xFC starts a double-byte character whose trail byte may be 0x5C, which is then never
// a backslash.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mbcs {

constexpr int CP_UTF8 = 65001;
constexpr int CP_932 = 932;

/// The system code page: UTF-8 unless a test changed it.
int SystemCodePage();
/// Changes the code page the helpers assume by default (tests of the CP932 rules).
void SetSystemCodePage(int codePage);

enum class ByteType { Single, Lead, Trail };

/// True when `c` starts a multi-byte character in `codePage`.
bool IsLeadByte(unsigned char c, int codePage = SystemCodePage());

/// Number of bytes of the character that starts at `index` (1 for a single byte, and 1 for a
/// lead byte with no room for its trail bytes).
std::size_t CharLength(std::string_view s, std::size_t index, int codePage = SystemCodePage());

/// Whether the byte at `index` is a single-byte character, a lead byte or a trail byte,
/// walking from the start of the string.
ByteType ByteTypeAt(std::string_view s, std::size_t index, int codePage = SystemCodePage());

/// Index of the first byte of the last character, or npos for an empty string.
std::size_t LastCharIndex(std::string_view s, int codePage = SystemCodePage());

/// True when the last character of `s` is the single-byte character `c`.
bool LastCharIs(std::string_view s, char c, int codePage = SystemCodePage());

/// Index of the last single-byte character of `s` that is one of `delimiters`, or npos;
/// trail bytes never count.
std::size_t LastDelimiter(std::string_view delimiters, std::string_view s,
                          int codePage = SystemCodePage());

/// Lower case of the letters A-Z only; multi-byte characters are copied whole.
std::string AnsiLowerCase(std::string_view s, int codePage = SystemCodePage());

/// True when `s` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view s);

/// CP932 to UTF-8. Returns false (and leaves `out` as far as converted) when a byte sequence
/// has no mapping.
bool Cp932ToUtf8(std::string_view in, std::string& out);
/// UTF-8 to CP932. Returns false when a character has no CP932 form.
bool Utf8ToCp932(std::string_view in, std::string& out);

}  // namespace mbcs
