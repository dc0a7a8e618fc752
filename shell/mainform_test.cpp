#include "shell/mainform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/forms.h"
#include "platform/winapi.h"
#include "shell/progressform.h"

namespace shell {
namespace {

using namespace platform;
namespace fs = std::filesystem;

// A fresh folder per test, removed afterwards.
class TempTree {
 public:
  TempTree() {
    static int n = 0;
    root_ = fs::temp_directory_path() /
            ("shell_test_" + std::to_string(getpid()) + "_" + std::to_string(n++));
    fs::create_directories(root_);
  }
  ~TempTree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string operator/(const std::string& rel) const { return (root_ / rel).string(); }
  // Copies a fixture to `rel`, making its folder.
  std::string Fixture(const std::string& fixture, const std::string& rel) const {
    fs::create_directories((root_ / rel).parent_path());
    fs::copy_file(fs::path(SHELL_TEST_FIXTURES) / fixture, root_ / rel);
    return *this / rel;
  }
  std::string File(const std::string& rel) const {
    fs::create_directories((root_ / rel).parent_path());
    std::ofstream(root_ / rel) << "not an archive\n";
    return *this / rel;
  }

 private:
  fs::path root_;
};

TEST(ExpandLongPathName, ResolvesEachComponentBySearch) {
  TempTree t;
  t.File("Dir/File.zip");
  const std::string root = t / "";
  const std::string base = root.substr(0, root.size() - 1);  // no final separator
  struct Case {
    std::string in, out;
  } cases[] = {
      {base + "/Dir/File.zip", base + "/Dir/File.zip"},
      {base + "/Dir/F*.zip", base + "/Dir/File.zip"},     // a wildcard: the first match
      {base + "/D?r", base + "/Dir"},                     // folders are found too
      {base + "/Dir/none.zip", base + "/Dir/none.zip"},   // not found: unchanged
      {base + "/Dir/", base + "/Dir"},                    // final separator dropped
      {base + "/gone/", base + "/gone"},
      {"/", ""},                                          // the root ends the recursion
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandLongPathName(c.in), c.out) << c.in;
}

// The batch, headless, with the real libraries of the build.
class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize(TBackendKind::Headless);
    Application.SetTitle("ぷこんぱ");  // the program entry's, shown on error messages
    SetTrustedLibraryFolders({SHELL_TEST_BIN_DIR});
    startFolder_ = GetCurrentDirectory();
  }
  void TearDown() override {
    main_.reset();
    progress_.reset();
    MainForm = nullptr;
    PForm = nullptr;
    SetCurrentDirectory(startFolder_);
    SetTrustedLibraryFolders({});
  }
  // Starts the program's batch mode as the entry does; returns what went to standard error.
  std::string RunBatch(std::vector<std::string> params) {
    progress_ = std::make_unique<TPForm>(nullptr);
    PForm = progress_.get();
    testing::internal::CaptureStderr();
    main_ = std::make_unique<TMainForm>(nullptr, std::move(params));
    MainForm = main_.get();
    return testing::internal::GetCapturedStderr();
  }
  std::unique_ptr<TPForm> progress_;
  std::unique_ptr<TMainForm> main_;
  std::string startFolder_;
};

TEST_F(BatchTest, ExtractsArchivesInOrderAndSkipsTheRestSilently) {
  TempTree t;
  const std::string zip = t.Fixture("zip/cp932_deflate.zip", "1/a.zip");
  const std::string txt = t.File("2/b.txt");
  const std::string lzh = t.Fixture("lzh/lh5_level1.lzh", "4/PACK.LZH");  // case ignored
  fs::create_directories(t / "3/folder.zip");
  const std::string err = RunBatch({zip, txt, t / "5/missing.lzh", t / "3/folder.zip", lzh});

  EXPECT_EQ(err, "");
  for (const char* folder : {"1", "4"}) {
    SCOPED_TRACE(folder);
    EXPECT_TRUE(fs::is_regular_file(t / (std::string(folder) + "/readme.txt")));
    EXPECT_TRUE(fs::is_regular_file(t / (std::string(folder) + "/ソフト/能力.txt")));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(t / "2"), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::exists(t / "3/folder.zip/readme.txt"));
  // The last existing argument's folder is current, so none was taken out of order.
  EXPECT_EQ(GetCurrentDirectory(), t / "4");
  EXPECT_TRUE(main_->BatchDone);
  EXPECT_EQ(main_->CurrentFile, lzh);
  EXPECT_TRUE(PForm->Visible());
  EXPECT_TRUE(main_->Timer1->Enabled());
  EXPECT_FALSE(main_->Visible());
  EXPECT_FALSE(Application.Terminated());  // the animation ends it
  // The progress relay reached the label: it names an item of the last archive.
  EXPECT_FALSE(PForm->lblFilename->Caption().empty());
}

TEST_F(BatchTest, OtherExtensionsShowTheProgressWindowWithoutExtracting) {
  TempTree t;
  const std::string sfx = t.Fixture("zip/cp932_deflate.zip", "1/self.exe");
  const std::string tar = t.Fixture("tar/utf8.tar", "2/pack.tar");
  EXPECT_EQ(RunBatch({sfx, tar}), "");
  EXPECT_FALSE(fs::exists(t / "1/readme.txt"));
  EXPECT_FALSE(fs::exists(t / "2/readme.txt"));
  EXPECT_TRUE(PForm->Visible());
  EXPECT_TRUE(main_->Timer1->Enabled());
  EXPECT_FALSE(Application.Terminated());
}

TEST_F(BatchTest, NoExistingFileEndsTheProcessAtOnce) {
  TempTree t;
  fs::create_directories(t / "folder");
  EXPECT_EQ(RunBatch({t / "missing.zip", t / "folder", ""}), "");
  EXPECT_TRUE(main_->BatchDone);
  EXPECT_FALSE(PForm->Visible());
  EXPECT_FALSE(main_->Timer1->Enabled());
  EXPECT_TRUE(Application.Terminated());
}

TEST_F(BatchTest, AnExceptionEndsTheLoopAndIsShownWithAFullStop) {
  TempTree t;
  const std::string cab = t.Fixture("cab/mszip_cp932.cab", "1/pack.cab");
  const std::string zip = t.Fixture("zip/cp932_deflate.zip", "2/later.zip");
  fs::create_directories(t / "nolibs");
  SetTrustedLibraryFolders({t / "nolibs"});  // CAB32.DLL cannot be found
  const std::string err = RunBatch({cab, zip});

  EXPECT_EQ(err, "ぷこんぱ: CAB 形式書庫を扱うには CAB32.DLL が 必要です。.\n");
  EXPECT_TRUE(main_->BatchDone);
  EXPECT_EQ(GetCurrentDirectory(), t / "1");  // the later argument was not looked at
  EXPECT_FALSE(fs::exists(t / "2/readme.txt"));
  EXPECT_TRUE(PForm->Visible());
  EXPECT_TRUE(main_->Timer1->Enabled());
  EXPECT_FALSE(Application.Terminated());
}

TEST_F(BatchTest, ProgressPutsTheItemNameIntoTheLabel) {
  TempTree t;
  RunBatch({t.File("x.txt")});
  libapi::EXTRACTINGINFOEX info{};
  std::strcpy(info.szSourceFileName, "ソフト/能力.txt");
  bool abort = false;
  main_->ArchiveFileProgress(nullptr, 1, &info, abort);
  EXPECT_EQ(PForm->lblFilename->Caption(), "ソフト/能力.txt");
  EXPECT_FALSE(abort);
  // A name that fills its field without a NUL is read up to the field's end only.
  std::memset(info.szSourceFileName, 'a', sizeof info.szSourceFileName);
  std::memset(info.dummy1, 'b', sizeof info.dummy1);
  main_->ArchiveFileProgress(nullptr, 0, &info, abort);
  EXPECT_EQ(PForm->lblFilename->Caption(), std::string(513, 'a'));
  main_->ArchiveFileProgress(nullptr, 0, nullptr, abort);  // no record: the caption stays
  EXPECT_EQ(PForm->lblFilename->Caption(), std::string(513, 'a'));
  EXPECT_FALSE(abort);
}

// The frame visible now; -1 when none or more than one is.
int VisibleFrame(const TMainForm& form) {
  int shown = -1;
  for (int i = 0; i < 9; ++i)
    if (form.Frames[i]->Visible()) {
      if (shown >= 0) return -1;
      shown = i;
    }
  return shown;
}

TEST_F(BatchTest, AnimationPlaysTwelveTicksAndClosesOnlyAtTheCycleEnd) {
  TempTree t;
  RunBatch({t.File("x.txt")});
  ASSERT_EQ(VisibleFrame(*main_), 0);
  main_->BatchDone = false;  // as during a long extraction
  const int frameAfterTick[12] = {1, 2, 3, 4, 5, 6, 7, 8, 8, 8, 8, 0};
  for (int cycle = 0; cycle < 2; ++cycle)
    for (int tick = 0; tick < 12; ++tick) {
      main_->Timer1Timer(main_->Timer1);
      EXPECT_EQ(main_->AnimationStep, (tick + 1) % 12);
      EXPECT_EQ(VisibleFrame(*main_), frameAfterTick[tick]) << "tick " << tick;
    }
  EXPECT_TRUE(PForm->Visible());
  EXPECT_TRUE(main_->Timer1->Enabled());

  // The batch ends at step 5: the cycle runs out, then the window closes.
  for (int tick = 0; tick < 5; ++tick) main_->Timer1Timer(main_->Timer1);
  main_->BatchDone = true;
  for (int step = 6; step <= 11; ++step) {
    main_->Timer1Timer(main_->Timer1);
    EXPECT_EQ(VisibleFrame(*main_), std::min(step, 8));
    EXPECT_TRUE(PForm->Visible());
    EXPECT_FALSE(Application.Terminated());
  }
  main_->Timer1Timer(main_->Timer1);
  EXPECT_FALSE(PForm->Visible());
  EXPECT_FALSE(main_->Timer1->Enabled());
  EXPECT_TRUE(Application.Terminated());
  EXPECT_EQ(main_->AnimationStep, 0);
  EXPECT_EQ(VisibleFrame(*main_), 0);
}

TEST_F(BatchTest, WithoutArgumentsOnlyTheAboutWindowIsMadeAndItsButtonEndsIt) {
  main_ = std::make_unique<TMainForm>(nullptr, std::vector<std::string>{});
  EXPECT_EQ(Application.MainForm(), main_.get());
  EXPECT_FALSE(main_->BatchDone);
  EXPECT_FALSE(main_->Timer1->Enabled());
  EXPECT_EQ(main_->Timer1->Interval(), 200u);
  EXPECT_EQ(main_->ClientWidth(), 393);
  EXPECT_EQ(main_->ClientHeight(), 325);
  main_->Show();
  main_->Button2->Click();
  EXPECT_TRUE(Application.Terminated());
}

}  // namespace
}  // namespace shell
