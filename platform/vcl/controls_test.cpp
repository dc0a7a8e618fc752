// Controls inside forms, headless: input routing, coordinates, font inheritance, page
// control, destruction from inside handlers.
#include "platform/vcl/controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/comctrls.h"
#include "platform/vcl/extctrls.h"
#include "platform/vcl/forms.h"
#include "platform/vcl/stdctrls.h"

namespace platform {
namespace {

// A label that records the input it gets, as a link label would see it.
class RecordingLabel : public TLabel {
 public:
  using TLabel::TLabel;
  std::vector<std::string> log;
  void MouseEnter() override {
    TLabel::MouseEnter();
    log.push_back("enter");
  }
  void MouseLeave() override {
    TLabel::MouseLeave();
    log.push_back("leave");
  }
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    TLabel::MouseDown(b, s, x, y);
    log.push_back("down" + std::to_string(int(b)) + "@" + std::to_string(x) + "," +
                  std::to_string(y));
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    TLabel::MouseUp(b, s, x, y);
    log.push_back("up" + std::to_string(int(b)) + "@" + std::to_string(x) + "," +
                  std::to_string(y));
  }
  void Click() override {
    TLabel::Click();
    log.push_back("click");
  }
};

// The about window's nesting: form > page control > sheet > group box > label.
struct AboutLike {
  TForm form{nullptr};
  TPageControl* pages = new TPageControl(&form);
  TTabSheet* sheet = new TTabSheet(&form);
  TGroupBox* group = new TGroupBox(&form);
  RecordingLabel* link = new RecordingLabel(&form);
  AboutLike() {
    form.SetBounds(100, 50, 393, 325);
    pages->SetParent(&form);
    pages->SetBounds(8, 8, 377, 281);
    sheet->SetPageControl(pages);
    sheet->SetCaption("バージョン情報");
    group->SetParent(sheet);
    group->SetBounds(8, 8, 353, 233);
    link->SetParent(group);
    link->SetBounds(80, 176, 109, 12);
    form.Show();
  }
  // The link's top-left corner in form client coordinates.
  TPoint LinkInForm() const { return form.ScreenToClient(link->ClientToScreen({0, 0})); }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { Application.Initialize(TBackendKind::Headless); }
};

TEST_F(ControlsTest, NestedControlsConvertBetweenScreenAndClientCoordinates) {
  AboutLike w;
  const TRect page = w.pages->PageRect();
  EXPECT_EQ(w.sheet->Left(), page.Left);
  EXPECT_EQ(w.sheet->Width(), page.Width());
  TPoint origin = w.link->ClientToScreen({0, 0});
  EXPECT_EQ(origin.X, 100 + 8 + page.Left + 8 + 80);
  EXPECT_EQ(origin.Y, 50 + 8 + page.Top + 8 + 176);
  TPoint back = w.link->ScreenToClient({origin.X + 5, origin.Y + 7});
  EXPECT_EQ(back.X, 5);
  EXPECT_EQ(back.Y, 7);
}

TEST_F(ControlsTest, PointerEnterPressReleaseAndLeaveReachTheControlUnderIt) {
  AboutLike w;
  const TPoint at = w.LinkInForm();
  w.form.HandleMouseMove(at.X + 2, at.Y + 3);
  w.form.HandleMouseMove(at.X + 4, at.Y + 3);  // moving within: no new enter
  w.form.HandleMouseDown(mbRight, at.X + 4, at.Y + 3);
  w.form.HandleMouseUp(mbRight, at.X + 4, at.Y + 3);
  w.form.HandleMouseDown(mbLeft, at.X + 4, at.Y + 3);
  w.form.HandleMouseUp(mbLeft, at.X + 5, at.Y + 3);
  w.form.HandleMouseMove(2, 2);
  const std::vector<std::string> expected = {"enter",  "down1@4,3", "up1@4,3", "down0@4,3",
                                             "click", "up0@5,3",   "leave"};
  EXPECT_EQ(w.link->log, expected);
  // Headless, the simulated pointer is where Mouse and GetCursorPos report it.
  EXPECT_EQ(Mouse.CursorPos().X, w.form.ClientToScreen({2, 2}).X);
}

TEST_F(ControlsTest, ReleaseOutsideGoesToThePressedControlWithoutAClick) {
  AboutLike w;
  const TPoint at = w.LinkInForm();
  w.form.HandleMouseDown(mbLeft, at.X + 1, at.Y + 1);
  w.form.HandleMouseMove(at.X + 300, at.Y + 1);
  w.form.HandleMouseUp(mbLeft, at.X + 300, at.Y + 1);
  const std::vector<std::string> expected = {"enter", "down0@1,1", "leave", "up0@300,1"};
  EXPECT_EQ(w.link->log, expected);
  TPoint cursor = w.link->ScreenToClient(Mouse.CursorPos());
  EXPECT_FALSE(PtInRect(w.link->ClientRect(), cursor));
}

TEST_F(ControlsTest, HiddenAndInactivePageControlsTakeNoInput) {
  AboutLike w;
  auto* second = new TTabSheet(&w.form);
  second->SetPageControl(w.pages);
  EXPECT_EQ(w.pages->ActivePage(), w.sheet) << "the first page stays active";
  EXPECT_FALSE(second->Visible());
  const TPoint at = w.LinkInForm();
  EXPECT_EQ(w.form.ControlAtPos(at.X + 1, at.Y + 1), w.link);
  w.pages->SetActivePage(second);
  EXPECT_EQ(w.form.ControlAtPos(at.X + 1, at.Y + 1), second);
  w.pages->SetActivePage(w.sheet);
  w.link->Hide();
  EXPECT_EQ(w.form.ControlAtPos(at.X + 1, at.Y + 1), w.group);
}

TEST_F(ControlsTest, FontFollowsTheParentUntilTheControlSetsItsOwn) {
  AboutLike w;
  auto* plain = new TLabel(&w.form);
  plain->SetParent(w.group);
  w.link->Font().SetColor(clBlue);  // as a link label does
  w.form.Font().SetHeight(12);
  w.form.Font().SetName("IPAPGothic");
  EXPECT_EQ(plain->Font().Name(), "IPAPGothic");
  EXPECT_EQ(w.group->Font().Name(), "IPAPGothic");
  EXPECT_EQ(w.link->Font().Name(), "ＭＳ Ｐゴシック") << "a control with its own font keeps it";
  EXPECT_EQ(w.link->Font().Color(), clBlue);
  EXPECT_FALSE(w.link->ParentFont());
}

TEST_F(ControlsTest, AHandlerMayDestroyTheFormThatDeliveredTheEvent) {
  auto form = std::make_unique<TForm>(nullptr);
  auto* button = new TButton(form.get());
  button->SetParent(form.get());
  button->SetBounds(10, 10, 80, 24);
  form->Show();
  int clicks = 0;
  button->SetOnClick([&](TComponent*) {
    ++clicks;
    form.reset();
  });
  TForm* raw = form.get();
  raw->HandleMouseDown(mbLeft, 20, 20);
  raw->HandleMouseUp(mbLeft, 20, 20);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(form);
  Application.ProcessMessages();
}

TEST_F(ControlsTest, DestroyingAFormDestroysItsControlsAndControlsLeaveTheirParent) {
  auto form = std::make_unique<TForm>(nullptr);
  auto* group = new TGroupBox(nullptr);  // parented, not owned: goes with its parent
  group->SetParent(form.get());
  auto* label = new TLabel(form.get());  // owned and parented inside the group
  label->SetParent(group);
  ASSERT_EQ(group->ControlCount(), 1);
  delete label;
  EXPECT_EQ(group->ControlCount(), 0);
  form->Show();
  form->HandleMouseMove(5, 5);
  EXPECT_EQ(form->HotControl(), group);
  form.reset();  // must not leak or double-free the group (run under a sanitizer to see)
}

}  // namespace
}  // namespace platform
