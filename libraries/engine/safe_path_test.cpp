#include "safe_path.h"

#include <gtest/gtest.h>

namespace {

TEST(SafePath, SplitsNamesBelowTheDestination) {
  struct Case {
    const char* name;
    bool ok;
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {"a/b.txt", true, {"a", "b.txt"}},
      {"/etc/passwd", true, {"etc", "passwd"}},
      {"C:\\Windows\\x.dll", true, {"Windows", "x.dll"}},
      {"C:x.txt", true, {"x.txt"}},
      {"./a//./b", true, {"a", "b"}},
      {"a\\..\\..\\b", false, {}},
      {"../x", false, {}},
      {"a/../b", false, {}},
      {"..", false, {}},
      {"/", false, {}},
      {"...", true, {"..."}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> parts;
    std::string why;
    EXPECT_EQ(engine::SplitTarget(c.name, parts, why), c.ok) << c.name;
    EXPECT_EQ(parts, c.parts) << c.name;
  }
}

TEST(SafePath, LinksMustResolveInsideWithoutOtherLinks) {
  struct Case {
    std::vector<std::string> folder;
    const char* target;
    bool inside;
  };
  const Case cases[] = {
      {{}, "file", true},
      {{"a", "b"}, "../../c", true},
      {{"a", "b"}, "../../../c", false},
      {{}, "..", false},
      {{"a"}, "..", true},
      {{}, "/etc/passwd", false},
      {{}, "C:\\x", false},
      {{"a"}, "b/../..", false},   // ".." after a name that may itself be a link
      {{"a"}, "..\\..\\x", false},
      {{}, "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine::LinkStaysInside(c.folder, c.target), c.inside) << c.target;
  }
}

}  // namespace
