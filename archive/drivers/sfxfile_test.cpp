#include "archive/drivers/sfxfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/recording/recording.h"

namespace archive {
namespace {

// A folder below `base` whose path is exactly `length` bytes, made of parts of at most 200.
std::string FolderOfLength(const std::string& base, std::size_t length) {
  std::string folder = base;
  while (folder.size() < length) {
    const std::size_t rest = length - folder.size();  // each part costs its size plus "/"
    const std::size_t part = rest <= 201 ? rest - 1 : rest == 202 ? 198 : 200;
    folder += "/" + std::string(part, 'd');
  }
  return folder;
}

// A stub whose full path would not fit the 512-byte path buffer counts as missing; one byte
// shorter, it is found.
TEST(FindSelfExtractorStub, PathMustFitTheBuffer) {
  const char* oldPath = std::getenv("PATH");
  const std::string saved = oldPath ? oldPath : "";
  const std::string stubName = "stub.dat";
  for (const std::size_t length : {std::size_t{511}, std::size_t{512}}) {
    SCOPED_TRACE(length);
    recording::TempFolder temp;
    const std::string folder = FolderOfLength(temp.Path(), length - 1 - stubName.size());
    const std::string stub = folder + "/" + stubName;
    ASSERT_EQ(stub.size(), length);
    std::filesystem::create_directories(folder);
    recording::WriteFile(stub, "STUB");
    setenv("PATH", folder.c_str(), 1);
    const std::string found = FindSelfExtractorStub(stubName);
    setenv("PATH", saved.c_str(), 1);
    EXPECT_EQ(found, length < 512 ? stub : "");
  }
}

}  // namespace
}  // namespace archive
