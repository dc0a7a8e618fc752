#include "archive/drivers/pathutil.h"

#include <gtest/gtest.h>

#include "platform/mbcs.h"

namespace archive {
namespace {

struct PathCase {
  const char* folder;
  const char* name;
  const char* joined;
};

TEST(JoinPath, OneSeparatorBetweenFolderAndName) {
  const PathCase cases[] = {
      {"", "a.EXE", "a.EXE"},
      {"/Out", "a.EXE", "/Out/a.EXE"},
      {"/Out/", "a.EXE", "/Out/a.EXE"},
      {"/", "a.EXE", "/a.EXE"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.folder;
}

// In CP932 the trail byte of 表 (95 5C) is the code of "\" but never the separator; with "/"
// as separator the same rule keeps 0x2F-free names intact, so check the walk itself with a
// folder whose last character is double-byte.
TEST(JoinPath, DoubleByteLastCharacterStillGetsSeparator) {
  mbcs::SetSystemCodePage(mbcs::CP_932);
  EXPECT_EQ(JoinPath("/\x95\x5C", "a"), "/\x95\x5C/a");
  mbcs::SetSystemCodePage(mbcs::CP_UTF8);
  EXPECT_EQ(JoinPath("/表", "a"), "/表/a");
}

TEST(PathParts, FileNameAndExtensionFromTheLastSeparator) {
  EXPECT_EQ(ExtractFileName("/work/sample.tar"), "sample.tar");
  EXPECT_EQ(ExtractFileName("sample.tar"), "sample.tar");
  EXPECT_EQ(ChangeFileExt("/work/sample.tar", ".EXE"), "/work/sample.EXE");
  EXPECT_EQ(ChangeFileExt("/work/sample.tar.gz", ".EXE"), "/work/sample.tar.EXE");
  EXPECT_EQ(ChangeFileExt("/work.d/sample", ".EXE"), "/work.d/sample.EXE");
  EXPECT_EQ(ChangeFileExt("/work/with blank.zip", ".EXE"), "/work/with blank.EXE");
}

}  // namespace
}  // namespace archive
