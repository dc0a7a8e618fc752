// The program's windows on an X display (CTest runs this under xvfb-run): found by caption,
// measured, photographed into <build>/tests/screens/, and closed as a user would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/child_process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tests::ChildProcess;
using tests::PollUntil;
using tests::ReadFile;
using tests::RunAndRead;

const fs::path kProgram = PUKONPA_PROGRAM;
const fs::path kFixtures = PUKONPA_FIXTURES;
const fs::path kScreens = PUKONPA_SCREENS;

struct Window {
  std::string id;  // empty when not found
  int width = 0, height = 0;
};

// The mapped top-level window captioned exactly `caption`, from xwininfo's tree, whose
// lines read: 0x200004 "caption": ("res" "Class")  393x325+315+221  +315+221
Window FindWindow(const std::string& caption) {
  bool ok = false;
  std::istringstream tree(RunAndRead({"xwininfo", "-root", "-children"}, ok));
  std::string line;
  const std::string quoted = " \"" + caption + "\": ";
  while (std::getline(tree, line)) {
    auto at = line.find(quoted);
    if (at == std::string::npos) continue;
    Window w;
    std::istringstream(line) >> w.id;
    std::string info = RunAndRead({"xwininfo", "-id", w.id}, ok);
    if (info.find("IsViewable") == std::string::npos) continue;
    auto number = [&](const std::string& key) {
      auto p = info.find(key);
      return p == std::string::npos ? 0 : std::atoi(info.c_str() + p + key.size());
    };
    w.width = number("Width: ");
    w.height = number("Height: ");
    return w;
  }
  return {};
}

Window WaitForWindow(const std::string& caption) {
  Window w;
  PollUntil([&] { return !(w = FindWindow(caption)).id.empty(); }, 10s);
  return w;
}

// Takes a picture of the window once it has been drawn (more than a few colours).
bool Screenshot(const Window& w, const std::string& name) {
  fs::create_directories(kScreens);
  const std::string file = (kScreens / name).string();
  return PollUntil(
      [&] {
        bool ok = false;
        RunAndRead({"import", "-window", w.id, file}, ok);
        if (!ok) return false;
        std::string colours = RunAndRead({"convert", file, "-format", "%k", "info:"}, ok);
        return ok && std::atoi(colours.c_str()) > 16;
      },
      10s);
}

void Click(const Window& w, int x, int y) {
  bool ok = false;
  RunAndRead({"xdotool", "mousemove", "--window", w.id, std::to_string(x), std::to_string(y),
              "click", "1"},
             ok);
  EXPECT_TRUE(ok);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (run under xvfb-run)";
    root = fs::temp_directory_path() / ("window_test_" + std::to_string(getpid()));
    fs::create_directories(root);
  }
  void TearDown() override {
    std::error_code ec;
    if (!root.empty()) fs::remove_all(root, ec);
  }
  std::unique_ptr<ChildProcess> Start(const fs::path& program, std::vector<std::string> args) {
    args.insert(args.begin(), program.string());
    return std::make_unique<ChildProcess>(args, root.string(), std::vector<std::string>{},
                                          (root / "stdout").string(), (root / "stderr").string());
  }
  fs::path root;
};

TEST_F(WindowTest, AboutWindowShowsAndItsCloseButtonEndsTheProgram) {
  auto program = Start(kProgram, {});
  Window about = WaitForWindow("ぷこんぱ");
  ASSERT_FALSE(about.id.empty());
  EXPECT_EQ(about.width, 393);
  EXPECT_EQ(about.height, 325);
  EXPECT_TRUE(Screenshot(about, "about.png"));
  Click(about, 296 + 89 / 2, 296 + 22 / 2);  // 閉じる
  ASSERT_TRUE(program->Wait(10s));
  EXPECT_EQ(program->ExitCode(), 0);
}

TEST_F(WindowTest, ProgressWindowShowsDuringTheBatchAndGoesWithTheProgram) {
  fs::copy_file(kFixtures / "zip/cp932_deflate.zip", root / "pack.zip");
  auto program = Start(kProgram, {(root / "pack.zip").string()});
  Window progress = WaitForWindow("解凍中");
  ASSERT_FALSE(progress.id.empty());
  EXPECT_EQ(progress.width, 233);
  EXPECT_EQ(progress.height, 115);
  EXPECT_TRUE(Screenshot(progress, "progress.png"));
  ASSERT_TRUE(program->Wait(10s));
  EXPECT_EQ(program->ExitCode(), 0);
  EXPECT_TRUE(fs::is_regular_file(root / "readme.txt"));
}

// The error display is a window of ours that the program's end takes with it.
TEST_F(WindowTest, ErrorMessageShowsAndEndsWithTheAnimation) {
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  fs::copy_file(kProgram, bin / "pukonpa");
  for (const auto& entry : fs::directory_iterator(kProgram.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name != "pukonpa" && name != "CAB32.DLL") fs::create_symlink(entry.path(), bin / name);
  }
  fs::copy_file(kFixtures / "cab/mszip_cp932.cab", root / "pack.cab");
  auto program = Start(bin / "pukonpa", {(root / "pack.cab").string()});
  Window box = WaitForWindow("ぷこんぱ");
  ASSERT_FALSE(box.id.empty());
  EXPECT_TRUE(Screenshot(box, "error.png"));
  ASSERT_TRUE(program->Wait(10s));  // nobody pressed OK
  EXPECT_EQ(program->ExitCode(), 0);
}

}  // namespace
