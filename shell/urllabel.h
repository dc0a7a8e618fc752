// A label that shows a link: its colour follows the pointer and the mouse buttons, and a
// press can open its caption (a web page or a mail address) with the desktop's handler.
#pragma once

#include "platform/vcl/stdctrls.h"

namespace shell {

class TURLLabel : public platform::TLabel {
 public:
  /// Hand pointer; HotTrack on, HotColor clAqua, PushedColor clRed, SavedColor black.
  explicit TURLLabel(platform::TComponent* Owner);

  /// When true, a press of any mouse button opens the caption through ShellExecute("OPEN").
  bool Executable() const { return Executable_; }
  void SetExecutable(bool value) { Executable_ = value; }
  /// When true, the font colour follows the pointer (HotColor) and the buttons (PushedColor).
  bool HotTrack() const { return HotTrack_; }
  /// The setters store a different value and repaint; the current font colour stays.
  void SetHotTrack(bool value);
  platform::TColor HotColor() const { return HotColor_; }
  void SetHotColor(platform::TColor value);
  platform::TColor PushedColor() const { return PushedColor_; }
  void SetPushedColor(platform::TColor value);
  /// The font colour remembered when the pointer last entered with HotTrack on.
  platform::TColor SavedColor() const { return SavedColor_; }

  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(platform::TMouseButton button, platform::TShiftState shift, int x,
                 int y) override;
  void MouseUp(platform::TMouseButton button, platform::TShiftState shift, int x,
               int y) override;

 private:
  bool Executable_ = false;
  bool HotTrack_ = true;
  platform::TColor SavedColor_ = platform::clBlack;
  platform::TColor HotColor_ = platform::clAqua;
  platform::TColor PushedColor_ = platform::clRed;
};

}  // namespace shell
