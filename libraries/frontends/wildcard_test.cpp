#include "libraries/frontends/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace frontends {
namespace {

TEST(WildcardMatch, SelectsAsTheEngineDoes) {
  const struct {
    const char* pattern;
    const char* name;
    bool classes;
    bool match;
  } cases[] = {
      {"", "any/thing", false, true},
      {"*.*", "noext", false, true},
      {"*.txt", "a.txt", false, true},
      {"*.txt", "sub/a.txt", false, true},   // "*" crosses folders
      {"a.txt", "sub/a.txt", false, true},   // no "/": the last component may match
      {"sub/a.txt", "x/sub/a.txt", false, false},
      {"sub", "sub/deep/a.txt", false, true},  // a folder selects what is inside
      {"sub/", "sub/a.txt", false, true},
      {"sub\\*.txt", "sub/a.txt", false, true},  // "\\" between folders reads as "/"
      {"su", "sub/a.txt", false, false},
      {"?.txt", "表.txt", false, true},      // "?" is one whole character
      {"??.txt", "表.txt", false, false},
      {"A.TXT", "a.txt", false, false},      // case counts
      {"*.BAK", "dir/x.bak", false, false},
      {"dir/[[]a].txt", "dir/[a].txt", true, true},
      {"dir/[[]a].txt", "dir/[a].txt", false, false},
      {"[a-c]?.txt", "b1.txt", true, true},
      {"[!a-c]?.txt", "b1.txt", true, false},
      {"x[1.txt", "x[1.txt", true, true},    // no closing bracket: a literal
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.name, c.classes), c.match)
        << c.pattern << " vs " << c.name;
  }
}

TEST(ToEnginePattern, KeepsOnlyWhatTheEngineCanSay) {
  const struct {
    const char* pattern;
    bool ok;
    const char* out;
  } cases[] = {
      {"dir/[[]a].txt", true, "dir/[a].txt"},
      {"*.txt", true, "*.txt"},
      {"x[1.txt", true, "x[1.txt"},
      {"[a-c].txt", false, ""},
      {"[*].txt", false, ""},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(ToEnginePattern(c.pattern, out), c.ok) << c.pattern;
    if (c.ok) {
      EXPECT_EQ(out, c.out);
    }
  }
}

}  // namespace
}  // namespace frontends
