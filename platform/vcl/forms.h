// Forms (top-level windows), the application object with its message loop, timers and
// error display, and the screen.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sysutils.h"
#include "platform/vcl/controls.h"

namespace platform {

class Backend;
class TButton;
class TTimer;
class TimerQueue;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
/// A set of TBorderIcon bits.
using TBorderIcons = unsigned;
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;
/// Results of a modal form (a button's ModalResult ends ShowModal with it).
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2;

/// A top-level window. Hidden until shown. The first form created becomes the application's
/// main form. Left/Top are the screen position of the client area; Width/Height equal the
/// client size (the window manager adds the frame).
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  /// biSystemMenu gives the caption bar its close box; without it the window offers no close.
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  /// poScreenCenter centres the window on the screen when it is first shown.
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetClientWidth(int w) { SetWidth(w); }
  void SetClientHeight(int h) { SetHeight(h); }
  TRect ClientRect() const override { return Rect(0, 0, Width(), Height()); }
  TPoint ClientOrigin() const override { return TPoint{Left(), Top()}; }

  /// Closes the form: OnClose may change the action (caHide by default, caNone keeps it);
  /// closing the main form terminates the application.
  void Close();
  TCloseEvent OnClose() const { return onClose_; }
  void SetOnClose(TCloseEvent e) { onClose_ = std::move(e); }

  /// Shows the form and runs the message loop until ModalResult is set, the form is hidden or
  /// the application terminates; hides the form and returns ModalResult (mrCancel when the
  /// loop ended otherwise).
  TModalResult ShowModal();
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  /// The buttons that Enter and Escape press.
  void SetDefaultButton(TButton* button) { defaultButton_ = button; }
  void SetCancelButton(TButton* button) { cancelButton_ = button; }

  /// The form's window handle, made on first ask; SendMessage to it answers 0.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != 0; }
  /// The form whose Handle() is `wnd`, or nullptr.
  static TForm* FromHandle(HWND wnd);

  // Input in client coordinates, from the backend or from tests. They find the control under
  // the pointer and deliver enter/leave, press, release, move and click to it.
  void HandleMouseMove(int x, int y, TShiftState shift = 0);
  void HandleMouseDown(TMouseButton button, int x, int y, TShiftState shift = 0);
  void HandleMouseUp(TMouseButton button, int x, int y, TShiftState shift = 0);
  /// The pointer left the window.
  void HandleMouseExit();
  /// A key: '\r' presses the default button, 27 (Escape) the cancel button.
  void HandleKey(int key);
  /// The window manager's close box: Close() when the form has biSystemMenu, else ignored.
  void HandleCloseRequest();
  /// The control that currently has the pointer over it, or nullptr.
  TControl* HotControl() const { return hot_; }

  void Paint(TCanvas& canvas) override;

 protected:
  /// A form that never becomes the main form (message boxes).
  TForm(TComponent* owner, bool mayBeMain);
  void VisibleChanged() override;
  void BoundsChanged() override;
  void CaptionChanged() override;

 private:
  friend class TControl;
  friend class TApplication;
  void ControlGone(TControl* c);
  void SetHot(TControl* c);
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  bool positioned_ = false;
  TCloseEvent onClose_;
  TModalResult modalResult_ = mrNone;
  TButton* defaultButton_ = nullptr;
  TButton* cancelButton_ = nullptr;
  HWND handle_ = 0;
  TControl* hot_ = nullptr;
  TControl* captured_ = nullptr;
  bool leftDownOnCaptured_ = false;
};

/// Which backend draws the windows.
enum class TBackendKind { Auto, Headless, Fltk };

/// The application: title, main form, message loop, timers and the standard error display.
class TApplication : public TComponent {
 public:
  using TClock = std::function<std::chrono::steady_clock::time_point()>;

  TApplication();
  ~TApplication() override;

  /// Picks the backend (Auto: FLTK when a display can be opened, else headless), clears
  /// Terminated and installs the window hooks of platform/winapi.h. Call before any form is
  /// created; without it the application runs headless.
  void Initialize(TBackendKind kind = TBackendKind::Auto);
  bool Headless() const;
  Backend& GetBackend();

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  /// When true (the default) Run shows the main form first.
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }
  /// The first form created (nullptr once it is destroyed).
  TForm* MainForm() const { return mainForm_; }
  /// The program icon for windows, in one or more sizes.
  void SetIcon(std::vector<TPicture> sizes);
  const std::vector<TPicture>& Icon() const { return icon_; }

  /// Shows the main form (if ShowMainForm) and handles messages until Terminate. Returns at
  /// once when there is no main form.
  void Run();
  /// Handles pending input and paint and fires each due timer once, then returns without
  /// waiting. Cheap: on screen, input and drawing are looked at most every 20 ms, so a
  /// flood of calls costs little (a change shows at the first call after that).
  void ProcessMessages();
  /// Waits until input arrives or a timer falls due, then handles as ProcessMessages.
  void HandleMessage();
  /// Ends Run (and any modal loop) at its next turn.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }

  /// Call from inside a catch block: shows the exception being handled through
  /// ShowException (EAbort is silent; a non-platform exception shows its what()).
  void HandleException(TComponent* Sender);
  /// The standard error display: a modal box titled with Title, a stop icon and OK, text
  /// ErrorDisplayText(E.Message()). Headless: the text goes to standard error.
  void ShowException(const Exception& E);
  /// A modal message box of ours with an OK button (MB_ICONSTOP adds the stop icon); answers
  /// mrOk (the value of IDOK). Headless: written to standard error.
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  /// The time source of timers (tests install their own).
  void SetClock(TClock clock);
  std::chrono::steady_clock::time_point Now() const;
  TimerQueue& Timers() { return *timers_; }

 private:
  friend class TForm;
  void FormCreated(TForm* form);
  void FormDestroyed(TForm* form);
  std::unique_ptr<Backend> backend_;
  std::unique_ptr<TimerQueue> timers_;
  std::string title_;
  bool showMainForm_ = true;
  bool terminated_ = false;
  TForm* mainForm_ = nullptr;
  std::vector<TPicture> icon_;
  TClock clock_;
  std::vector<TForm*> toFree_;
};

/// The one application object.
extern TApplication Application;

/// The error display's text: `message`, followed by "." when its last byte sorts after "."
/// (so Japanese messages ending in "。" get one; empty, "!" or "." endings do not).
std::string ErrorDisplayText(const std::string& message);

/// The screen the windows appear on.
class TScreen {
 public:
  int Width() const;
  int Height() const;
};
extern TScreen Screen;

}  // namespace platform
