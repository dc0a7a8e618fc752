#include "names.h"

#include <gtest/gtest.h>

namespace {

TEST(NameDecoder, DecodesUtf8Cp932AndEscapesTheRest) {
  struct Case {
    const char* raw;
    const char* decoded;
  };
  const Case cases[] = {
      {"readme.txt", "readme.txt"},
      {"表示.txt", "表示.txt"},                                    // valid UTF-8 stays
      {"\x95\x5c\x8e\xa6.txt", "表示.txt"},                        // CP932, trail byte 0x5C
      {"\x83\x5c\x83\x74\x83\x67\\\x94\x5c\x97\xcd.txt", "ソフト/能力.txt"},  // "\" after decoding
      {"\xb1\xb2\xb3", "ｱｲｳ"},                                    // half-width katakana
      {"a\x81", "a%81"},                                           // cut-off lead byte
      {"\x85\x40x", "%85@x"},                                      // unmapped pair
      {"\xff\xfe.txt", "%FF%FE.txt"},
      {"line\nbreak\x7f", "line%0Abreak%7F"},                      // control characters
      {"dir\\sub\\file", "dir/sub/file"},
      {"\x95/\x8e\xa6.txt", "表示.txt"},  // a reader that turned the 0x5C trail byte into "/"
  };
  engine::NameDecoder decoder;
  for (const Case& c : cases) EXPECT_EQ(decoder.Decode(c.raw), c.decoded) << c.decoded;
}

TEST(NameDecoder, Utf8ValidityRejectsOverlongAndSurrogates) {
  EXPECT_TRUE(engine::IsUtf8("ソフト"));
  EXPECT_TRUE(engine::IsUtf8("\xf0\x9f\x98\x80"));
  EXPECT_FALSE(engine::IsUtf8("\xc0\xaf"));          // overlong "/"
  EXPECT_FALSE(engine::IsUtf8("\xed\xa0\x80"));      // surrogate
  EXPECT_FALSE(engine::IsUtf8("\xe3\x81"));          // cut off
  EXPECT_FALSE(engine::IsUtf8("\x95\x5c\x8e\xa6"));  // CP932
}

}  // namespace
