#include "pattern.h"

#include <gtest/gtest.h>

namespace {

TEST(Pattern, WildcardsMatchWholeNames) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*", "", true},           {"*", "a/b", true},          {"a*c", "abbbc", true},
      {"a*c", "abcd", false},    {"?.txt", "表.txt", true},    {"??.txt", "表.txt", false},
      {"*.*", "noext", false},   {"a*b*c", "aXbYbZc", true},  {"abc", "ABC", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
  }
}

TEST(Pattern, SelectsByLastComponentOrFolderOnly) {
  using engine::Selected;
  EXPECT_TRUE(Selected({}, "any/thing"));
  EXPECT_TRUE(Selected({"b.txt"}, "a/b.txt"));       // no "/": last component
  EXPECT_FALSE(Selected({"x/b.txt"}, "a/b.txt"));    // with "/": the whole name
  EXPECT_TRUE(Selected({"a"}, "a/b/c.txt"));         // a folder selects its contents
  EXPECT_TRUE(Selected({"a\\b\\"}, "a/b/c.txt"));
  EXPECT_FALSE(Selected({"b"}, "a/b/c.txt"));
}

}  // namespace
