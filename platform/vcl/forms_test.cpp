// The application object and forms, headless: main form, closing, the error display,
// the window hooks, modal loops.
#include "platform/vcl/forms.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "platform/vcl/extctrls.h"
#include "platform/vcl/headless_backend.h"
#include "platform/vcl/stdctrls.h"

namespace platform {
namespace {

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize(TBackendKind::Headless);
    Application.SetTitle("ぷこんぱ");
  }
};

TEST(ErrorDisplayText, AddsAFullStopAfterCharactersThatSortAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"UNLHA32.DLL がありません。", "UNLHA32.DLL がありません。."},  // last byte 0x82
      {"Library missing", "Library missing."},
      {"Ends with a stop.", "Ends with a stop."},
      {"Ends with a bang!", "Ends with a bang!"},     // '!' sorts before '.'
      {"a-", "a-"},                                   // '-' is just below '.'
      {"a/", "a/."},                                  // '/' is just above it
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorDisplayText(c.message), c.shown) << c.message;
}

TEST_F(FormsTest, FirstFormCreatedIsTheMainFormAndClosingItTerminates) {
  auto first = std::make_unique<TForm>(nullptr);
  auto second = std::make_unique<TForm>(nullptr);
  ASSERT_EQ(Application.MainForm(), first.get());
  second->Show();
  second->Close();
  EXPECT_FALSE(second->Visible());
  EXPECT_FALSE(Application.Terminated()) << "closing another form only hides it";
  first->Show();
  first->Close();
  EXPECT_TRUE(Application.Terminated());
  first.reset();
  EXPECT_EQ(Application.MainForm(), nullptr);
}

TEST_F(FormsTest, OnCloseCanKeepTheFormOpen) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetOnClose([](TComponent*, TCloseAction& action) { action = caNone; });
  form->Show();
  form->Close();
  EXPECT_TRUE(form->Visible());
  EXPECT_FALSE(Application.Terminated());
}

TEST_F(FormsTest, RunShowsTheMainFormOnlyWhenAskedAndReturnsOnTerminate) {
  for (bool show : {true, false}) {
    Application.Initialize(TBackendKind::Headless);
    Application.SetShowMainForm(show);
    auto form = std::make_unique<TForm>(nullptr);
    bool visibleInLoop = false;
    TTimer stop(nullptr);
    stop.SetInterval(1);
    stop.SetOnTimer([&](TComponent*) {
      visibleInLoop = form->Visible();
      form->Close();  // the main form: ends the loop
    });
    Application.Run();
    EXPECT_EQ(visibleInLoop, show);
    EXPECT_TRUE(Application.Terminated());
  }
  Application.SetShowMainForm(true);
}

TEST_F(FormsTest, ScreenCentredFormIsCentredWhenFirstShown) {
  TForm form(nullptr);
  form.SetPosition(poScreenCenter);
  form.SetClientWidth(233);
  form.SetClientHeight(115);
  form.Show();
  EXPECT_EQ(form.Left(), (Screen.Width() - 233) / 2);
  EXPECT_EQ(form.Top(), (Screen.Height() - 115) / 2);
  EXPECT_EQ(form.ClientRect().Right, 233);
  EXPECT_EQ(form.ClientRect().Bottom, 115);
}

TEST_F(FormsTest, HandleIsMadeOnFirstAskAndNamesTheFormForTheWindowHooks) {
  TForm form(nullptr);
  EXPECT_FALSE(form.HandleAllocated());
  HWND h = form.Handle();
  EXPECT_NE(h, 0u);
  EXPECT_EQ(form.Handle(), h);
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(TForm::FromHandle(h), &form);
  EXPECT_FALSE(SetForegroundWindow(h)) << "a hidden form cannot come to the front";
  form.Show();
  EXPECT_TRUE(SetForegroundWindow(h));
}

TEST_F(FormsTest, ExceptionsReachTheErrorDisplayOnStandardError) {
  const struct {
    const char* what;
    void (*raise)();
    const char* shown;
  } cases[] = {
      {"platform exception", [] { throw Exception("CAB32.DLL がありません。"); },
       "ぷこんぱ: CAB32.DLL がありません。.\n"},
      {"standard exception", [] { throw std::runtime_error("boom"); }, "ぷこんぱ: boom.\n"},
      {"silent exception", [] { throw EAbort("quiet"); }, ""},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    try {
      c.raise();
    } catch (...) {
      Application.HandleException(nullptr);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.shown) << c.what;
  }
}

TEST_F(FormsTest, MessageBoxHookIsInstalled) {
  testing::internal::CaptureStderr();
  MessageBox(0, "text", "caption", MB_OK | MB_ICONSTOP);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "caption: text\n");
  TPoint p{};
  Mouse.SetCursorPos({12, 34});
  EXPECT_TRUE(GetCursorPos(p));
  EXPECT_EQ(p.X, 12);
  EXPECT_EQ(p.Y, 34);
}

TEST_F(FormsTest, ShowModalEndsWithTheButtonsResultOrWhenTheApplicationTerminates) {
  const struct {
    const char* what;
    bool terminate;
    TModalResult expected;
  } cases[] = {{"OK pressed", false, mrOk}, {"terminated", true, mrCancel}};
  for (const auto& c : cases) {
    Application.Initialize(TBackendKind::Headless);
    TForm box(nullptr);
    auto* ok = new TButton(&box);
    ok->SetParent(&box);
    ok->SetBounds(10, 10, 75, 23);
    ok->SetModalResult(mrOk);
    TTimer later(nullptr);
    later.SetInterval(1);
    later.SetOnTimer([&](TComponent*) {
      if (c.terminate) {
        Application.Terminate();
      } else {
        box.HandleMouseDown(mbLeft, 20, 20);
        box.HandleMouseUp(mbLeft, 20, 20);
      }
    });
    EXPECT_EQ(box.ShowModal(), c.expected) << c.what;
    EXPECT_FALSE(box.Visible()) << c.what;
  }
}

TEST_F(FormsTest, RepaintRequestsAreCoalescedIntoOnePaint) {
  auto& backend = dynamic_cast<HeadlessBackend&>(Application.GetBackend());
  TForm form(nullptr);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  form.Show();
  Application.ProcessMessages();
  const int before = backend.PaintCount();
  for (int i = 0; i < 10000; ++i) {
    label->SetCaption("file" + std::to_string(i) + ".txt");
    label->Repaint();
  }
  Application.ProcessMessages();
  EXPECT_EQ(backend.PaintCount(), before + 1);
  Application.ProcessMessages();
  EXPECT_EQ(backend.PaintCount(), before + 1) << "nothing to paint";
  form.Hide();
  label->Repaint();
  Application.ProcessMessages();
  EXPECT_EQ(backend.PaintCount(), before + 1) << "hidden forms are not painted";
}

}  // namespace
}  // namespace platform
