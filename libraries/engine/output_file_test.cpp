#include "output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using engine::OutputFile;
using engine::Placement;

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class OutputFileTest : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/output_file_test.XXXXXX";
    dir_ = mkdtemp(tmpl);
    dirfd_ = open(dir_.c_str(), O_RDONLY | O_DIRECTORY);
  }
  void TearDown() override {
    close(dirfd_);
    fs::remove_all(dir_);
  }
  // Writes `data` in two pieces (the second through a hole-free offset) and commits it.
  Placement Put(OutputFile& out, const std::string& name, const std::string& data, bool overwrite,
                std::string& placed) {
    EXPECT_TRUE(out.Create(dirfd_));
    const std::size_t half = data.size() / 2;
    EXPECT_TRUE(out.Write(data.data(), half, 0));
    EXPECT_TRUE(out.Write(data.data() + half, data.size() - half, half));
    const std::int64_t mtime = 1704164645;
    EXPECT_TRUE(out.Finish(data.size(), 0640, &mtime));
    return out.Commit(name, overwrite, placed);
  }
  std::string dir_;
  int dirfd_ = -1;
};

TEST_P(OutputFileTest, PlacesWithoutEverReplacingUnlessAsked) {
  OutputFile out(GetParam());
  std::string placed;
  EXPECT_EQ(Put(out, "a.txt", "first", false, placed), Placement::New);
  EXPECT_EQ(placed, "a.txt");
  struct stat st;
  ASSERT_EQ(stat((dir_ + "/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(st.st_mtime, 1704164645);

  EXPECT_EQ(Put(out, "a.txt", "first", false, placed), Placement::Identical);
  EXPECT_EQ(Put(out, "a.txt", "second", false, placed), Placement::Renamed);
  EXPECT_EQ(placed, "a (2).txt");
  EXPECT_EQ(Put(out, "a.txt", "third", false, placed), Placement::Renamed);
  EXPECT_EQ(placed, "a (3).txt");
  EXPECT_EQ(Put(out, "a.txt", "replaced", true, placed), Placement::Replaced);
  EXPECT_EQ(Read(dir_ + "/a.txt"), "replaced");
  EXPECT_EQ(Read(dir_ + "/a (2).txt"), "second");

  // An abandoned file leaves nothing, named temporary or not.
  ASSERT_TRUE(out.Create(dirfd_));
  ASSERT_TRUE(out.Write("partial", 7, 0));
  out.Discard();
  EXPECT_EQ(Names(dir_), (std::vector<std::string>{"a (2).txt", "a (3).txt", "a.txt"}));
}

TEST_P(OutputFileTest, LargeAndSparseWritesLandAtTheirOffsets) {
  OutputFile out(GetParam());
  ASSERT_TRUE(out.Create(dirfd_));
  const std::string big(3 << 20, 'x');
  ASSERT_TRUE(out.Write("head", 4, 0));
  ASSERT_TRUE(out.Write(big.data(), big.size(), 4));
  ASSERT_TRUE(out.Write("tail", 4, 5 << 20));  // a hole before it
  ASSERT_TRUE(out.Finish(6 << 20, 0644, nullptr));  // and one after it
  std::string placed;
  ASSERT_EQ(out.Commit("s.bin", false, placed), Placement::New);
  const std::string got = Read(dir_ + "/s.bin");
  ASSERT_EQ(got.size(), 6u << 20);
  EXPECT_EQ(got.substr(0, 4), "head");
  EXPECT_TRUE(got.substr(4, big.size()) == big);
  EXPECT_EQ(got.substr(5 << 20, 4), "tail");
  EXPECT_EQ(got[(5 << 20) - 1], '\0');
}

// Blocks at, below and above the size that bypasses the buffer, in every order, land where
// they belong: the buffered and the direct path must agree on where the file ends.
TEST_P(OutputFileTest, BlocksOfEverySizeLandInOrder) {
  const std::size_t sizes[] = {1, 100, 16383, 16384, 16385, 7, 65536, 300000, 3, 1 << 20, 40000};
  std::string data;
  for (std::size_t i = 0; data.size() < (3u << 20); ++i) {
    data.push_back(static_cast<char>('a' + (i * 7 + i / 251) % 26));
  }
  OutputFile out(GetParam());
  ASSERT_TRUE(out.Create(dirfd_));
  std::size_t pos = 0;
  for (std::size_t i = 0; pos < data.size(); ++i) {
    const std::size_t n = std::min(sizes[i % std::size(sizes)], data.size() - pos);
    ASSERT_TRUE(out.Write(data.data() + pos, n, pos));
    pos += n;
  }
  ASSERT_TRUE(out.Finish(data.size(), 0644, nullptr));
  std::string placed;
  ASSERT_EQ(out.Commit("blocks.bin", false, placed), Placement::New);
  EXPECT_TRUE(Read(dir_ + "/blocks.bin") == data);
}

INSTANTIATE_TEST_SUITE_P(TempKinds, OutputFileTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Unnamed") : std::string("Named");
                         });

TEST(NumberedName, NumberGoesBeforeTheLastExtension) {
  EXPECT_EQ(engine::NumberedName("a.txt", 2), "a (2).txt");
  EXPECT_EQ(engine::NumberedName("a.tar.gz", 3), "a.tar (3).gz");
  EXPECT_EQ(engine::NumberedName("noext", 2), "noext (2)");
  EXPECT_EQ(engine::NumberedName(".bashrc", 2), ".bashrc (2)");
}

}  // namespace
