#include "shell/urllabel.h"

namespace shell {

using namespace platform;

TURLLabel::TURLLabel(TComponent* Owner) : TLabel(Owner) { SetCursor(crHandPoint); }

void TURLLabel::SetHotTrack(bool value) {
  if (value == HotTrack_) return;
  HotTrack_ = value;
  Invalidate();
}

void TURLLabel::SetHotColor(TColor value) {
  if (value == HotColor_) return;
  HotColor_ = value;
  Invalidate();
}

void TURLLabel::SetPushedColor(TColor value) {
  if (value == PushedColor_) return;
  PushedColor_ = value;
  Invalidate();
}

void TURLLabel::MouseEnter() {
  TLabel::MouseEnter();
  if (!HotTrack_) return;
  SavedColor_ = Font().Color();
  Font().SetColor(HotColor_);
  Invalidate();
}

void TURLLabel::MouseLeave() {
  TLabel::MouseLeave();
  if (!HotTrack_) return;
  Font().SetColor(SavedColor_);
  Invalidate();
}

void TURLLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLabel::MouseDown(button, shift, x, y);
  if (HotTrack_) {
    Font().SetColor(PushedColor_);
    Invalidate();
  }
  // Opens on the press; xdg-open runs detached, so the window stays responsive.
  if (Executable_) ShellExecute(0, "OPEN", Caption(), "", "", SW_SHOW);
}

void TURLLabel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TLabel::MouseUp(button, shift, x, y);
  if (!HotTrack_) return;
  // Where the pointer is now decides, not where the release was reported.
  TPoint p;
  GetCursorPos(p);
  Font().SetColor(PtInRect(ClientRect(), ScreenToClient(p)) ? HotColor_ : SavedColor_);
  Invalidate();
}

}  // namespace shell
