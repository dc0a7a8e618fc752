#include "mbcs.h"

#include <gtest/gtest.h>

using namespace mbcs;

namespace {

constexpr auto npos = std::string_view::npos;

// CP932 bytes of the characters whose trail byte is 0x5C, the backslash's code.
const std::string kHyo = "\x95\x5C";  // 表
const std::string kSo = "\x83\x5C";   // ソ
const std::string kNo = "\x94\x5C";   // 能
const std::string kA = "\x83\x41";    // ア: trail byte is the code of 'A'

TEST(Cp932, LastCharIsBackslash) {
  struct Case {
    std::string s;
    bool backslash;
  } cases[] = {
      {kHyo, false},
      {kSo, false},
      {kNo, false},
      {"C:" + kHyo + "\\", true},
      {kHyo + kSo + kNo, false},
      {"\\" + kSo, false},
      {"abc\\", true},
      {"\\", true},
      {"", false},
      {"\xE0\x5C", false},      // 濬: leads run on from 0xE0
      {"\xFB\x5C", false},      // 犾
      {"\xFC\x5C", false},      // 0xFC is the last lead byte
      {"\x95", false},          // a lone lead byte at the end is a character of its own
      {"a\x95\\", false},       // ... and takes what follows as its trail
      {"\xA0\\", true},         // 0xA0 is no lead byte
      {"\xFD\\", true},         // nor is 0xFD
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    EXPECT_EQ(LastCharIs(c.s, '\\', CP_932), c.backslash);
  }
  // The same bytes read as UTF-8 are single bytes, so the rule depends on the code page.
  EXPECT_TRUE(LastCharIs(kHyo, '\\', CP_UTF8));
}

TEST(Cp932, LastDelimiterSkipsTrailBytes) {
  struct Case {
    std::string s;
    std::size_t index;
  } cases[] = {
      {kHyo, npos},
      {"C:\\DATA\\" + kSo, 7},
      {"C:\\" + kHyo + kNo + "\\" + kSo + ".txt", 7},
      {"C:" + kHyo, 1},
      {kSo + kHyo + kNo, npos},
      {"", npos},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    EXPECT_EQ(LastDelimiter("\\:", c.s, CP_932), c.index);
  }
}

TEST(Cp932, ByteTypes) {
  const std::string s = "a" + kHyo + "\\" + kSo;  // a 95 5C 5C 83 5C
  const ByteType expected[] = {ByteType::Single, ByteType::Lead, ByteType::Trail,
                               ByteType::Single, ByteType::Lead, ByteType::Trail};
  for (std::size_t i = 0; i < s.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ByteTypeAt(s, i, CP_932), expected[i]);
  }
  EXPECT_EQ(LastCharIndex(s, CP_932), 4u);
  EXPECT_EQ(LastCharIndex("", CP_932), npos);
  EXPECT_EQ(CharLength(s, 1, CP_932), 2u);
  EXPECT_EQ(CharLength("\x95", 0, CP_932), 1u);
}

TEST(Cp932, LowerCaseLeavesDoubleByteCharactersAlone) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"PACK.LZH", "pack.lzh"},
      {kA + "A", kA + "a"},
      {"X" + kHyo + "Y" + kA, "x" + kHyo + "y" + kA},
      {"\x82\x60", "\x82\x60"},  // full-width Ａ stays
      {"\xEA\x41Z", "\xEA\x41z"},  // 鵞: its trail byte is the code of 'A'
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(AnsiLowerCase(c.in, CP_932), c.out);
}

TEST(Cp932, SystemCodePageIsTheDefault) {
  EXPECT_EQ(SystemCodePage(), CP_UTF8);
  SetSystemCodePage(CP_932);
  EXPECT_FALSE(LastCharIs(kHyo, '\\'));
  EXPECT_EQ(AnsiLowerCase(kA), kA);
  SetSystemCodePage(CP_UTF8);
  EXPECT_TRUE(LastCharIs(kHyo, '\\'));
}

TEST(Utf8, CharacterWalking) {
  const std::string hyo = "表";  // E8 A1 A8
  struct Case {
    std::string s;
    std::size_t lastIndex;
    bool backslash;
  } cases[] = {
      {hyo, 0, false},
      {"a" + hyo, 1, false},
      {hyo + "\\", 3, true},
      {"😀", 0, false},
      {"\xE8\xA1", 1, false},     // cut short: single bytes
      {"\xE8\\\xA8", 2, false},   // broken: single bytes
      {"\xE8\xA1\\", 2, true},
      {"", npos, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.s));
    EXPECT_EQ(LastCharIndex(c.s, CP_UTF8), c.lastIndex);
    EXPECT_EQ(LastCharIs(c.s, '\\', CP_UTF8), c.backslash);
  }
  EXPECT_EQ(LastDelimiter("/", "/ソフト/能力.txt", CP_UTF8), 10u);
  EXPECT_EQ(AnsiLowerCase("ÄB表C", CP_UTF8), "Äb表c");
  EXPECT_EQ(ByteTypeAt("a表", 2, CP_UTF8), ByteType::Trail);
  EXPECT_EQ(ByteTypeAt("a表", 1, CP_UTF8), ByteType::Lead);
}

TEST(Utf8, Validity) {
  struct Case {
    std::string s;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain.txt", true},
      {"表示.txt", true},
      {"\xF0\x9F\x98\x80", true},      // U+1F600
      {"\xF4\x8F\xBF\xBF", true},      // U+10FFFF
      {"\xC0\xAF", false},             // overlong '/'
      {"\xE0\x80\xAF", false},         // overlong '/'
      {"\xF0\x80\x80\xAF", false},     // overlong '/'
      {"\xED\xA0\x80", false},         // surrogate
      {"\xF4\x90\x80\x80", false},     // past U+10FFFF
      {"\xE8\xA1", false},             // cut short
      {"\x95\x5C", false},             // CP932 表
      {"\x80", false},
      {"\xFF", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.s), c.valid) << testing::PrintToString(c.s);
}

TEST(Conversion, RoundTrips) {
  struct Case {
    std::string utf8, cp932;
  } cases[] = {
      {"表示.txt", kHyo + "\x8E\xA6.txt"},
      {"ソフト/能力.txt", kSo + "\x83\x74\x83\x67/" + kNo + "\x97\xCD.txt"},
      {"plain\\name", "plain\\name"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    std::string cp932, back;
    ASSERT_TRUE(Utf8ToCp932(c.utf8, cp932));
    EXPECT_EQ(cp932, c.cp932);
    ASSERT_TRUE(Cp932ToUtf8(cp932, back));
    EXPECT_EQ(back, c.utf8);
    // The converted name's last character is no backslash, whatever its trail byte is.
    EXPECT_EQ(LastCharIs(cp932, '\\', CP_932), LastCharIs(c.utf8, '\\', CP_UTF8));
  }
}

TEST(Conversion, Failures) {
  std::string out;
  EXPECT_FALSE(Utf8ToCp932("a😀", out));
  EXPECT_FALSE(Utf8ToCp932("\xE8\xA1", out));   // cut short
  EXPECT_FALSE(Cp932ToUtf8("a\x95", out));       // lead byte without trail
  EXPECT_EQ(out, "a");                           // as far as converted
  EXPECT_FALSE(Cp932ToUtf8("\x85\x40", out));    // unassigned
  // A long text goes through in pieces.
  std::string longUtf8, longCp932;
  for (int i = 0; i < 2000; ++i) longUtf8 += "表示";
  ASSERT_TRUE(Utf8ToCp932(longUtf8, longCp932));
  EXPECT_EQ(longCp932.size(), 8000u);
  ASSERT_TRUE(Cp932ToUtf8(longCp932, out));
  EXPECT_EQ(out, longUtf8);
}

}  // namespace
