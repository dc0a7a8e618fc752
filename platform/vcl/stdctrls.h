// Standard controls: label, button, group box.
#pragma once

#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"

namespace platform {

/// One line of text in the control's font (lines split only at '\n'). Keeps the size it is
/// given; text beyond the width is cut off. Not transparent at start.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* owner);
  void Paint(TCanvas& canvas) override;
};

/// A push button: a left press and release on it fire OnClick; a non-zero ModalResult also
/// ends its form's ShowModal with that value.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult r) { modalResult_ = r; }
  /// True while the left button pressed on it is held over it (drawn sunken).
  bool Down() const { return down_; }
  void Click() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void Paint(TCanvas& canvas) override;

 private:
  TModalResult modalResult_ = mrNone;
  bool pressed_ = false;
  bool down_ = false;
};

/// A framed group with its caption on the top edge; held controls are placed relative to
/// the group's top-left corner.
class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* owner);
  void Paint(TCanvas& canvas) override;
};

}  // namespace platform
