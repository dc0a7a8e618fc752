#include "shell/urllabel.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/vcl/forms.h"

namespace shell {
namespace {

using namespace platform;
namespace fs = std::filesystem;

constexpr TColor clYellow = RGB(255, 255, 0);

// The label sits at (10, 10) on a form; (5, 5) is on the form but off the label.
enum Event { Enter, MoveOff, Leave, PressLeft, PressRight, ReleaseOver, ReleaseOff,
             HotTrackOn, HotColorYellow };

struct Step {
  Event event;
  TColor after;  // font colour after the event
};

struct ColourCase {
  const char* name;
  TColor rest;       // the label's own colour
  TColor hot;        // its HotColor
  bool hotTrack;     // HotTrack at start
  std::vector<Step> steps;
};

class URLLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.reset();
    Application.Initialize(TBackendKind::Headless);
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 200, 100);
    form->Show();
    label = new TURLLabel(form.get());
    label->SetParent(form.get());
    label->SetBounds(10, 10, 120, 12);
    label->SetCaption("mailto:dev@pukonpa.example");
  }
  void Apply(Event e) {
    switch (e) {
      case Enter: form->HandleMouseMove(20, 15); break;
      case MoveOff: form->HandleMouseMove(5, 5); break;
      case Leave: form->HandleMouseExit(); break;
      case PressLeft: form->HandleMouseDown(mbLeft, 20, 15); break;
      case PressRight: form->HandleMouseDown(mbRight, 20, 15); break;
      case ReleaseOver: form->HandleMouseUp(mbLeft, 20, 15); break;
      case ReleaseOff: form->HandleMouseUp(mbLeft, 5, 5); break;
      case HotTrackOn: label->SetHotTrack(true); break;
      case HotColorYellow: label->SetHotColor(clYellow); break;
    }
  }
  std::unique_ptr<TForm> form;
  TURLLabel* label = nullptr;
};

TEST_F(URLLabelTest, StartsAsAHandPointerLinkWithItsDefaults) {
  EXPECT_EQ(label->Cursor(), crHandPoint);
  EXPECT_TRUE(label->HotTrack());
  EXPECT_FALSE(label->Executable());
  EXPECT_EQ(label->HotColor(), clAqua);
  EXPECT_EQ(label->PushedColor(), clRed);
  EXPECT_EQ(label->SavedColor(), clBlack);
}

TEST_F(URLLabelTest, ColourFollowsPointerAndButtons) {
  const std::vector<ColourCase> cases = {
      {"mail link: rest, over, held, released over, left",
       clGreen, clLime, true,
       {{Enter, clLime}, {PressLeft, clRed}, {ReleaseOver, clLime}, {Leave, clGreen}}},
      {"pressed, moved off and released outside: the remembered colour",
       clBlue, clAqua, true,
       {{Enter, clAqua}, {PressLeft, clRed}, {MoveOff, clBlue}, {ReleaseOff, clBlue}}},
      {"a right press released off the label: where the pointer is decides",
       clBlue, clAqua, true,
       {{Enter, clAqua}, {PressRight, clRed}, {ReleaseOff, clBlue}}},
      {"hot tracking switched on while over it, released outside: never-saved black",
       clBlue, clAqua, false,
       {{Enter, clBlue}, {HotTrackOn, clBlue}, {PressLeft, clRed}, {ReleaseOff, clBlack}}},
      {"hot colour changed while over it: seen only from the next enter",
       clBlue, clAqua, true,
       {{Enter, clAqua}, {HotColorYellow, clAqua}, {MoveOff, clBlue}, {Enter, clYellow}}},
      {"without hot tracking the colour never moves",
       clBlue, clAqua, false,
       {{Enter, clBlue}, {PressLeft, clBlue}, {ReleaseOver, clBlue}, {Leave, clBlue}}},
  };
  for (const ColourCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    label->Font().SetColor(c.rest);
    label->SetHotColor(c.hot);
    label->SetHotTrack(c.hotTrack);
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
      Apply(c.steps[i].event);
      EXPECT_EQ(label->Font().Color(), c.steps[i].after) << "after step " << i;
    }
  }
}

// xdg-open is found on PATH: a stand-in records what it was asked to open.
class URLLabelOpenTest : public URLLabelTest {
 protected:
  void SetUp() override {
    URLLabelTest::SetUp();
    dir = fs::temp_directory_path() / ("urllabel_test_" + std::to_string(getpid()));
    fs::create_directories(dir);
    log = dir / "opened";
    std::ofstream(dir / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << log.string()
                                    << "'\n";
    fs::permissions(dir / "xdg-open", fs::perms::owner_all);
    oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    fs::remove_all(dir);
  }
  // What the stand-in recorded, once `lines` lines are there or after five seconds.
  std::string Opened(std::size_t lines) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string text;
    do {
      std::ifstream in(log);
      std::stringstream ss;
      ss << in.rdbuf();
      text = ss.str();
      if (std::count(text.begin(), text.end(), '\n') >= std::ptrdiff_t(lines)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    return text;
  }
  fs::path dir, log;
  std::string oldPath;
};

TEST_F(URLLabelOpenTest, EveryButtonOpensTheCaptionOnThePress) {
  label->SetExecutable(true);
  const std::string url = label->Caption() + "\n";
  form->HandleMouseDown(mbLeft, 20, 15);
  EXPECT_EQ(Opened(1), url);  // before any release
  form->HandleMouseUp(mbLeft, 20, 15);
  form->HandleMouseDown(mbRight, 20, 15);
  form->HandleMouseUp(mbRight, 20, 15);
  form->HandleMouseDown(mbMiddle, 20, 15);
  form->HandleMouseUp(mbMiddle, 5, 5);
  EXPECT_EQ(Opened(3), url + url + url);
}

TEST_F(URLLabelOpenTest, NotExecutableOpensNothing) {
  form->HandleMouseDown(mbLeft, 20, 15);
  form->HandleMouseUp(mbLeft, 20, 15);
  // A press that opens comes last: the recording shows only its caption.
  auto* other = new TURLLabel(form.get());
  other->SetParent(form.get());
  other->SetBounds(10, 40, 120, 12);
  other->SetCaption("https://pukonpa.example/");
  other->SetExecutable(true);
  form->HandleMouseDown(mbLeft, 20, 45);
  EXPECT_EQ(Opened(1), "https://pukonpa.example/\n");
}

}  // namespace
}  // namespace shell
