#include "libraries/frontends/command_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace frontends {
namespace {

TEST(Tokenize, SplitsAtBlanksOutsideQuotes) {
  const struct {
    std::string line;
    std::vector<std::string> texts;
    std::vector<bool> quoted;
  } cases[] = {
      {R"(x -+ -n1 -x1  "/DATA/PACK.LZH" "/DATA/" )",
       {"x", "-+", "-n1", "-x1", "/DATA/PACK.LZH", "/DATA/"},
       {false, false, false, false, true, true}},
      {"a\t\"b c\"\r\nd", {"a", "b c", "d"}, {false, true, false}},
      {R"(-f"/w/a b.tar" "")", {"-f/w/a b.tar", ""}, {true, true}},
      {R"("-w/表示 dir/")", {"-w/表示 dir/"}, {true}},
      {"", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Tokens t = Tokenize(c.line);
    ASSERT_EQ(t.error, "");
    ASSERT_EQ(t.items.size(), c.texts.size());
    for (std::size_t i = 0; i < t.items.size(); ++i) {
      EXPECT_EQ(t.items[i].text, c.texts[i]);
      EXPECT_EQ(t.items[i].quoted, c.quoted[i]);
    }
  }
  EXPECT_NE(Tokenize(R"(x "a)").error, "");
  EXPECT_NE(Tokenize(R"(x "a" "b" ")").error, "");
}

class ResponseFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("pukonpa_resp_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& content) {
    std::string path = (dir_ / "list.txt").string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(ResponseFile, ReadsOneNamePerLine) {
  const struct {
    std::string content;
    std::vector<std::string> names;
  } cases[] = {
      {"\"A.TXT\"\r\n\"SUB/B.TXT\"\r\n", {"A.TXT", "SUB/B.TXT"}},  // as the builder writes
      {"\"A.TXT\"\n\"B C.TXT\"", {"A.TXT", "B C.TXT"}},           // LF, no final newline
      {"  plain name.txt  \r\n\r\n\n\"\"\n", {"plain name.txt", ""}},
      {"", {}},
  };
  for (const auto& c : cases) {
    Tokens t = ReadResponseFile(Write(c.content));
    ASSERT_EQ(t.error, "");
    std::vector<std::string> names;
    for (const Token& tok : t.items) names.push_back(tok.text);
    EXPECT_EQ(names, c.names);
  }
  EXPECT_NE(ReadResponseFile(Write("\"A.TXT\r\n")).error, "");
  EXPECT_NE(ReadResponseFile(Write("\"A\"B\"\r\n")).error, "");
  EXPECT_NE(ReadResponseFile((dir_ / "missing").string()).error, "");
}

}  // namespace
}  // namespace frontends
