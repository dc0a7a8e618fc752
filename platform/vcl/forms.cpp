#include "platform/vcl/forms.h"

#include <algorithm>
#include <iostream>
#include <map>

#include "platform/vcl/backend.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/stdctrls.h"
#include "platform/vcl/timer_queue.h"

namespace platform {

TApplication Application;
TScreen Screen;

namespace {

// Never destroyed: forms may be destroyed by the application object at process exit.
std::map<HWND, TForm*>& HandleTable() {
  static auto* table = new std::map<HWND, TForm*>;
  return *table;
}

// The forms running ShowModal, innermost last: only the innermost takes input.
std::vector<TForm*>& ModalForms() {
  static auto* forms = new std::vector<TForm*>;
  return *forms;
}

// Set while the application object is destroyed at exit, when the window table of the
// non-window half may already be gone.
bool g_exiting = false;

bool AcceptsInput(const TForm* form) {
  return ModalForms().empty() || ModalForms().back() == form;
}

// The forms alive now, each with a number never reused: an event handler may destroy the
// form that is delivering its event, and the form must notice before touching itself again.
std::map<const TForm*, std::uint64_t>& LiveForms() {
  static auto* forms = new std::map<const TForm*, std::uint64_t>;
  return *forms;
}

struct AliveCheck {
  const TForm* form;
  std::uint64_t serial;
  explicit AliveCheck(const TForm* f) : form(f), serial(LiveForms().at(f)) {}
  bool operator()() const {
    auto it = LiveForms().find(form);
    return it != LiveForms().end() && it->second == serial;
  }
};

bool IsWithin(const TControl* c, const TControl* ancestor) {
  for (; c; c = c->Parent())
    if (c == ancestor) return true;
  return false;
}

}  // namespace

int TScreen::Width() const { return Application.GetBackend().ScreenSize().X; }
int TScreen::Height() const { return Application.GetBackend().ScreenSize().Y; }

std::string ErrorDisplayText(const std::string& message) {
  // A byte compare: a multibyte last character (such as "。") always sorts after ".".
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
    return message + ".";
  return message;
}

// ---- TForm ------------------------------------------------------------------------------

TForm::TForm(TComponent* owner) : TForm(owner, true) {}

TForm::TForm(TComponent* owner, bool mayBeMain) : TWinControl(owner) {
  static std::uint64_t serial = 0;
  LiveForms()[this] = ++serial;
  SetVisible(false);
  SetColor(clBtnFace);
  if (mayBeMain) Application.FormCreated(this);
}

TForm::~TForm() {
  LiveForms().erase(this);
  auto& modal = ModalForms();
  modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
  auto& pending = Application.toFree_;
  pending.erase(std::remove(pending.begin(), pending.end(), this), pending.end());
  Application.FormDestroyed(this);
  Application.GetBackend().FormDestroyed(*this);
  if (handle_) {
    HandleTable().erase(handle_);
    if (!g_exiting) DeallocateHWnd(handle_);
  }
  hot_ = captured_ = nullptr;
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Application.GetBackend().FormChanged(*this);
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  Application.GetBackend().FormChanged(*this);
}

void TForm::VisibleChanged() {
  Backend& backend = Application.GetBackend();
  if (Visible()) {
    if (!positioned_ && position_ == poScreenCenter) {
      TPoint screen = backend.ScreenSize();
      SetBounds((screen.X - Width()) / 2, (screen.Y - Height()) / 2, Width(), Height());
    }
    positioned_ = true;
    backend.FormShown(*this);
  } else {
    SetHot(nullptr);
    captured_ = nullptr;
    backend.FormHidden(*this);
  }
}

void TForm::BoundsChanged() { Application.GetBackend().FormChanged(*this); }
void TForm::CaptionChanged() { Application.GetBackend().FormChanged(*this); }

void TForm::Close() {
  TCloseAction action = caHide;
  if (auto h = onClose_) h(this, action);
  if (action == caNone) return;
  if (Application.MainForm() == this) {
    Application.Terminate();
  } else if (action == caFree) {
    Hide();
    Application.toFree_.push_back(this);
  } else {
    Hide();
  }
}

TModalResult TForm::ShowModal() {
  modalResult_ = mrNone;
  Show();
  Application.GetBackend().BringToFront(*this);
  ModalForms().push_back(this);
  while (!Application.Terminated() && modalResult_ == mrNone && Visible())
    Application.HandleMessage();
  auto& modal = ModalForms();
  modal.erase(std::remove(modal.begin(), modal.end(), this), modal.end());
  TModalResult result = modalResult_ != mrNone ? modalResult_ : mrCancel;
  Hide();
  return result;
}

HWND TForm::Handle() {
  if (!handle_) {
    handle_ = AllocateHWnd([](UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    HandleTable()[handle_] = this;
  }
  return handle_;
}

TForm* TForm::FromHandle(HWND wnd) {
  auto it = HandleTable().find(wnd);
  return it == HandleTable().end() ? nullptr : it->second;
}

void TForm::ControlGone(TControl* c) {
  if (IsWithin(hot_, c)) hot_ = nullptr;
  if (IsWithin(captured_, c)) captured_ = nullptr;
  if (IsWithin(defaultButton_, c)) defaultButton_ = nullptr;
  if (IsWithin(cancelButton_, c)) cancelButton_ = nullptr;
}

void TForm::SetHot(TControl* c) {
  if (c == hot_) return;
  TControl* old = hot_;
  hot_ = c;
  AliveCheck alive(this);
  if (old) old->MouseLeave();
  if (c && alive() && hot_ == c) c->MouseEnter();
}

void TForm::HandleMouseMove(int x, int y, TShiftState shift) {
  if (!AcceptsInput(this)) return;
  if (Application.Headless()) Application.GetBackend().SetCursorPos(ClientToScreen({x, y}));
  TControl* hit = ControlAtPos(x, y);
  if (!hit && PtInRect(ClientRect(), {x, y})) hit = this;
  AliveCheck alive(this);
  SetHot(hit);
  if (!alive()) return;
  TControl* target = captured_ ? captured_ : hot_;
  if (!target) return;
  TPoint local = target->ScreenToClient(ClientToScreen({x, y}));
  target->MouseMove(shift, local.X, local.Y);
}

void TForm::HandleMouseDown(TMouseButton button, int x, int y, TShiftState shift) {
  if (!AcceptsInput(this)) return;
  AliveCheck alive(this);
  HandleMouseMove(x, y, shift);
  if (!alive()) return;
  TControl* target = hot_;
  if (!target || !target->Enabled()) return;
  captured_ = target;
  leftDownOnCaptured_ = button == mbLeft;
  TPoint local = target->ScreenToClient(ClientToScreen({x, y}));
  target->MouseDown(button, shift, local.X, local.Y);
}

void TForm::HandleMouseUp(TMouseButton button, int x, int y, TShiftState shift) {
  if (!AcceptsInput(this)) return;
  if (Application.Headless()) Application.GetBackend().SetCursorPos(ClientToScreen({x, y}));
  TControl* target = captured_;
  if (!target) return;
  TPoint local = target->ScreenToClient(ClientToScreen({x, y}));
  // A left press and release on the same control is a click; the click comes first.
  if (button == mbLeft && leftDownOnCaptured_ && PtInRect(target->ClientRect(), local)) {
    leftDownOnCaptured_ = false;
    AliveCheck alive(this);
    target->Click();
    if (!alive() || captured_ != target) return;  // the click destroyed or hid it
  }
  captured_ = nullptr;
  target->MouseUp(button, shift, local.X, local.Y);
}

void TForm::HandleMouseExit() {
  if (!captured_) SetHot(nullptr);
}

void TForm::HandleKey(int key) {
  if (!AcceptsInput(this)) return;
  TButton* button = key == '\r' ? defaultButton_ : key == 27 ? cancelButton_ : nullptr;
  if (button && button->Visible() && button->Enabled()) button->Click();
}

void TForm::HandleCloseRequest() {
  if ((borderIcons_ & biSystemMenu) && AcceptsInput(this)) Close();
}

void TForm::Paint(TCanvas& canvas) { canvas.FillRect(ClientRect(), Color()); }

// ---- TApplication -----------------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr), timers_(std::make_unique<TimerQueue>()) {}

TApplication::~TApplication() {
  // Forms go before the backend that shows them.
  g_exiting = true;
  while (!Components().empty()) delete Components().back();
}

void TApplication::Initialize(TBackendKind kind) {
  std::unique_ptr<Backend> backend;
  if (kind != TBackendKind::Headless) backend = MakeFltkBackend();
  if (!backend) backend = MakeHeadlessBackend();
  backend_ = std::move(backend);
  terminated_ = false;
  WindowHooks hooks;
  hooks.SetForegroundWindow = [](HWND wnd) {
    TForm* form = TForm::FromHandle(wnd);
    return form && Application.GetBackend().BringToFront(*form);
  };
  hooks.GetCursorPos = [](TPoint& p) {
    p = Mouse.CursorPos();
    return true;
  };
  hooks.MessageBox = [](HWND, const std::string& text, const std::string& caption, UINT flags) {
    return Application.MessageBox(text, caption, flags);
  };
  SetWindowHooks(std::move(hooks));
}

bool TApplication::Headless() const { return !backend_ || backend_->Headless(); }

Backend& TApplication::GetBackend() {
  if (!backend_) backend_ = MakeHeadlessBackend();
  return *backend_;
}

void TApplication::SetIcon(std::vector<TPicture> sizes) {
  icon_ = std::move(sizes);
  GetBackend().IconChanged();
}

void TApplication::FormCreated(TForm* form) {
  if (!mainForm_) mainForm_ = form;
}

void TApplication::FormDestroyed(TForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::SetClock(TClock clock) { clock_ = std::move(clock); }

std::chrono::steady_clock::time_point TApplication::Now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void TApplication::ProcessMessages() {
  Backend& backend = GetBackend();
  backend.Pump(std::chrono::milliseconds(0));
  if (timers_->FireDue(Now()) > 0) backend.Flush();
  // Forms closed with caFree go here, outside any of their own handlers.
  while (!toFree_.empty()) {
    TForm* form = toFree_.back();
    toFree_.pop_back();
    delete form;
  }
}

void TApplication::HandleMessage() {
  using namespace std::chrono;
  // Wake for the next timer at the latest; with none, look again now and then.
  milliseconds wait(500);
  if (auto due = timers_->NextDue()) {
    auto left = duration_cast<milliseconds>(*due - Now()) + milliseconds(1);
    wait = std::clamp(left, milliseconds(0), wait);
  }
  GetBackend().Pump(wait);
  ProcessMessages();
}

void TApplication::Run() {
  if (!mainForm_) return;
  if (showMainForm_ && !mainForm_->Visible()) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::HandleException(TComponent*) {
  if (!std::current_exception()) return;
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    ShowException(e);
  } catch (const std::exception& e) {
    ShowException(Exception(e.what()));
  } catch (...) {
    ShowException(Exception("Unknown exception"));
  }
}

void TApplication::ShowException(const Exception& E) {
  MessageBox(ErrorDisplayText(E.Message()), title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  if (Headless()) {
    std::cerr << caption << ": " << text << std::endl;
    return mrOk;
  }
  return ShowMessageForm(text, caption, flags);
}

}  // namespace platform
