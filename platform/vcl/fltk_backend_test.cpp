// The FLTK backend on a real X display: windows appear with their caption and client size,
// draw their controls (Japanese text, clipped labels, transparent pictures) and take real
// pointer input. Starts its own Xvfb when no display is set; screenshots are written to
// <build>/screenshots/ for a person to look at.
#include "platform/vcl/fltk_backend.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/vcl/comctrls.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/extctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/stdctrls.h"

namespace platform {
namespace {

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    std::array<char, 4096> buf;
    while (std::size_t n = fread(buf.data(), 1, buf.size(), p)) out.append(buf.data(), n);
    pclose(p);
  }
  return out;
}

// One Xvfb for the test process (each discovered test runs in a process of its own).
class XvfbEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (getenv("DISPLAY") && *getenv("DISPLAY")) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number and a newline once it accepts clients.
    std::string number;
    char ch;
    while (read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
    close(fds[0]);
    if (!number.empty()) setenv("DISPLAY", (":" + number).c_str(), 1);
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

 private:
  pid_t pid_ = -1;
};
const auto* const kXvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

// <build>/screenshots/<name>.png (the test program lives in <build>/tests).
std::string ScreenshotPath(const std::string& name) {
  std::filesystem::path base =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
  std::filesystem::create_directories(base / "screenshots");
  return (base / "screenshots" / (name + ".png")).string();
}

// Handles messages for a while so that windows map and paint.
void Settle(int ms = 300) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    Application.ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The screen as a picture.
TPicture Screenshot(const std::string& name) {
  const std::string path = ScreenshotPath(name);
  Shell("import -window root " + path + " 2>/dev/null");
  TPicture shot;
  shot.LoadFromFile(path);
  return shot;
}

TColor PixelAt(const TPicture& p, int x, int y) {
  const std::uint8_t* px = &p.Pixels()[(std::size_t(y) * p.Width() + x) * 4];
  return RGB(px[0], px[1], px[2]);
}

// True when some pixel of the rectangle is dark (text).
bool HasDarkPixel(const TPicture& p, const TRect& r) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      TColor c = PixelAt(p, x, y);
      if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) return true;
    }
  return false;
}

// The forms' font must find the IPA font that has its metrics, not some fallback face.
TEST(FontAlias, WindowsJapaneseFontsResolveToTheIpaFonts) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  ASSERT_TRUE(FcConfigParseAndLoadFromMemory(
      config, reinterpret_cast<const FcChar8*>(FontAliasConfig()), FcTrue));
  const struct {
    const char* family;
    const char* expected;
  } cases[] = {{"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ ゴシック", "IPAGothic"}};
  for (const auto& c : cases) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(c.family));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* family = nullptr;
    ASSERT_TRUE(match);
    FcPatternGetString(match, FC_FAMILY, 0, &family);
    EXPECT_STREQ(reinterpret_cast<const char*>(family), c.expected) << c.family;
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
}

TEST(FontAlias, FltkNamesCarryTheirStyleInTheFirstCharacter) {
  EXPECT_EQ(FltkFontName("IPAPGothic", 0), " IPAPGothic");
  EXPECT_EQ(FltkFontName("IPAPGothic", fsBold), "BIPAPGothic");
  EXPECT_EQ(FltkFontName("IPAPGothic", fsBold | fsItalic), "PIPAPGothic");
}

class FltkBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize(TBackendKind::Fltk);
    if (Application.Headless()) GTEST_SKIP() << "no X display (is Xvfb installed?)";
    Application.SetTitle("ぷこんぱ");
  }
};

// A progress-window-like form: dialog frame, no system menu, centred, 233x115.
struct SmallForm {
  TForm form{nullptr};
  TLabel* name = new TLabel(&form);
  TLabel* heading = new TLabel(&form);
  TImage* picture = new TImage(&form);
  SmallForm() {
    form.SetBorderStyle(bsDialog);
    form.SetBorderIcons(0);
    form.SetPosition(poScreenCenter);
    form.SetClientWidth(233);
    form.SetClientHeight(115);
    form.SetCaption("解凍中");
    form.Font().SetHeight(12);
    name->SetParent(&form);
    name->SetBounds(8, 96, 217, 17);
    name->SetTransparent(true);
    name->SetCaption("とても長いファイルの名前がラベルの幅を超えてもはみ出さないこと.txt");
    heading->SetParent(&form);
    heading->SetBounds(8, 80, 89, 12);
    heading->SetTransparent(true);
    heading->SetCaption("解凍中のファイル");
    picture->SetParent(&form);
    picture->SetBounds(8, 24, 32, 32);
    picture->SetPicture(StopIcon());
  }
};

TEST_F(FltkBackendTest, FormAppearsWithItsCaptionAndClientSize) {
  SmallForm w;
  w.form.Show();
  Settle();
  const std::string info = Shell("xwininfo -name '解凍中'");
  EXPECT_NE(info.find("Width: 233"), std::string::npos) << info;
  EXPECT_NE(info.find("Height: 115"), std::string::npos) << info;
  EXPECT_NE(info.find("Absolute upper-left X:  " + std::to_string((1024 - 233) / 2)),
            std::string::npos)
      << info;
}

TEST_F(FltkBackendTest, ControlsAreDrawnAndLabelTextIsCutAtTheLabelsWidth) {
  SmallForm w;
  w.form.Show();
  Settle();
  TPicture shot = Screenshot("small_form");
  ASSERT_FALSE(shot.Empty());
  const int ox = w.form.Left(), oy = w.form.Top();
  EXPECT_EQ(PixelAt(shot, ox + 2, oy + 2), RGB(192, 192, 192)) << "the form's face";
  EXPECT_TRUE(HasDarkPixel(shot, Rect(ox + 8, oy + 80, ox + 97, oy + 92))) << "heading text";
  EXPECT_TRUE(HasDarkPixel(shot, Rect(ox + 8, oy + 96, ox + 225, oy + 113))) << "name text";
  EXPECT_FALSE(HasDarkPixel(shot, Rect(ox + 226, oy + 96, ox + 233, oy + 113)))
      << "the long name must be cut at the label's right edge";
  // The picture's transparent corner shows the face; its middle is red.
  EXPECT_EQ(PixelAt(shot, ox + 8, oy + 24), RGB(192, 192, 192));
  EXPECT_GT(GetRValue(PixelAt(shot, ox + 8 + 16, oy + 24 + 8)), 180);
}

// The about window's layout, drawn for a person to look at (screenshots/about_like.png).
TEST_F(FltkBackendTest, PageControlGroupBoxBevelAndButtonAreDrawn) {
  TForm form(nullptr);
  form.SetBorderStyle(bsSingle);
  form.SetBorderIcons(biSystemMenu);
  form.SetClientWidth(393);
  form.SetClientHeight(325);
  form.SetPosition(poScreenCenter);
  form.SetCaption("ぷこんぱ");
  auto* pages = new TPageControl(&form);
  pages->SetParent(&form);
  pages->SetBounds(8, 8, 377, 281);
  auto* sheet = new TTabSheet(&form);
  sheet->SetPageControl(pages);
  sheet->SetCaption("バージョン情報");
  auto* group = new TGroupBox(&form);
  group->SetParent(sheet);
  group->SetBounds(8, 8, 353, 233);
  group->SetCaption("ぷこんぱ");
  auto* bevel = new TBevel(&form);
  bevel->SetParent(group);
  bevel->SetBounds(16, 56, 321, 9);
  bevel->SetShape(bsBottomLine);
  auto* title = new TLabel(&form);
  title->SetParent(group);
  title->SetBounds(72, 24, 245, 12);
  title->SetCaption("ぷこんぱ for Windows95/98");
  auto* link = new TLabel(&form);
  link->SetParent(group);
  link->SetBounds(80, 160, 201, 12);
  link->SetTransparent(true);
  link->Font().SetColor(clBlue);
  link->SetCaption("https://example.org/pukonpa/");
  auto* button = new TButton(&form);
  button->SetParent(&form);
  button->SetBounds(296, 296, 89, 22);
  button->SetCaption("閉じる");
  form.Show();
  Settle();
  TPicture shot = Screenshot("about_like");
  ASSERT_FALSE(shot.Empty());
  const int ox = form.Left(), oy = form.Top();
  // The bevel's rule: shadow line above a highlight line at its bottom.
  const TPoint rule = form.ScreenToClient(bevel->ClientToScreen({100, 7}));
  EXPECT_EQ(PixelAt(shot, ox + rule.X, oy + rule.Y), RGB(128, 128, 128));
  EXPECT_EQ(PixelAt(shot, ox + rule.X, oy + rule.Y + 1), RGB(255, 255, 255));
  EXPECT_TRUE(HasDarkPixel(shot, Rect(ox + 296, oy + 296, ox + 385, oy + 318))) << "button text";
}

TEST_F(FltkBackendTest, RealPointerInputReachesTheControls) {
  SmallForm w;
  w.form.Show();
  Settle();
  std::string log;
  w.heading->SetOnMouseEnter([&](TComponent*) { log += "enter "; });
  w.heading->SetOnMouseDown([&](TComponent*, TMouseButton b, TShiftState, int, int) {
    log += "down" + std::to_string(int(b)) + " ";
  });
  w.heading->SetOnMouseUp([&](TComponent*, TMouseButton, TShiftState, int, int) { log += "up "; });
  w.heading->SetOnClick([&](TComponent*) { log += "click "; });
  w.heading->SetOnMouseLeave([&](TComponent*) { log += "leave"; });
  TPoint at = w.heading->ClientToScreen({10, 5});
  Shell("xdotool mousemove " + std::to_string(at.X) + " " + std::to_string(at.Y));
  Settle(150);
  Shell("xdotool click 3 click 1");
  Settle(150);
  Shell("xdotool mousemove 5 5");
  Settle(150);
  EXPECT_EQ(log, "enter down1 up down0 click up leave");
  TPoint cursor = Mouse.CursorPos();
  EXPECT_EQ(cursor.X, 5);
}

TEST_F(FltkBackendTest, AMovedWindowKeepsItsControlsScreenCoordinatesTrue) {
  SmallForm w;
  w.form.Show();
  Settle();
  Shell("xdotool search --class pukonpa windowmove 40 60");
  Settle(200);
  EXPECT_EQ(w.form.Left(), 40);
  EXPECT_EQ(w.form.Top(), 60);
  TPoint at = w.heading->ClientToScreen({3, 4});
  Shell("xdotool mousemove " + std::to_string(at.X) + " " + std::to_string(at.Y));
  Settle(150);
  TPoint local = w.heading->ScreenToClient(Mouse.CursorPos());
  EXPECT_EQ(local.X, 3);
  EXPECT_EQ(local.Y, 4);
  EXPECT_EQ(w.form.HotControl(), w.heading);
}

TEST_F(FltkBackendTest, ErrorDisplayIsAModalBoxThatTerminationCloses) {
  TForm main(nullptr);
  TPicture shot;
  std::string info;
  TTimer timer(nullptr);
  timer.SetInterval(400);
  timer.SetOnTimer([&](TComponent*) {
    timer.SetEnabled(false);
    info = Shell("xwininfo -name 'ぷこんぱ'");
    shot = Screenshot("error_display");
    Application.Terminate();
  });
  Application.ShowException(Exception("CAB32.DLL がありません。"));
  EXPECT_TRUE(Application.Terminated()) << "the box returned because the application ended";
  EXPECT_NE(info.find("Map State: IsViewable"), std::string::npos) << info;
  EXPECT_FALSE(shot.Empty());
}

TEST_F(FltkBackendTest, MessageBoxClosesWithEnterOrAClickOnOK) {
  for (const char* press : {"key Return", "click 1"}) {
    std::string info;
    TTimer timer(nullptr);
    timer.SetInterval(400);
    timer.SetOnTimer([&](TComponent*) {
      timer.SetEnabled(false);
      // The OK button sits centred near the bottom of the box.
      info = Shell("xwininfo -name 'caption'");
      auto number = [&](const std::string& key) {
        auto at = info.find(key);
        return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + key.size());
      };
      const int x = number("Absolute upper-left X:"), y = number("Absolute upper-left Y:");
      const int w = number("Width:"), h = number("Height:");
      Shell("xdotool mousemove " + std::to_string(x + w / 2) + " " +
            std::to_string(y + h - 12 - 11) + " " + press);
    });
    TTimer giveUp(nullptr);  // a box that does not close ends the test as a failure
    giveUp.SetInterval(3000);
    giveUp.SetOnTimer([](TComponent*) { Application.Terminate(); });
    EXPECT_EQ(MessageBox(0, "text", "caption", MB_OK), 1) << press;
    EXPECT_FALSE(Application.Terminated()) << press;
  }
}

}  // namespace
}  // namespace platform
