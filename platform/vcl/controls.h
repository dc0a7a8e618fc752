// Controls: the base of everything shown in a window (position, size, caption, font,
// visibility, mouse events), controls drawn on their parent, and controls holding others.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/classes.h"
#include "platform/vcl/graphics.h"
#include "platform/winapi.h"

namespace platform {

class TWinControl;
class TForm;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using TShiftState = unsigned;

/// Mouse pointer shapes.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crHandPoint = -21;

/// Handler of a plain event; Sender is the control that fired it.
using TNotifyEvent = std::function<void(TComponent* Sender)>;
/// Handler of a mouse press or release; X, Y in the control's client coordinates.
using TMouseEvent =
    std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

/// Something shown in a window. Visible from the start; drawn only while it has a parent.
/// Font and colour follow the parent's until set on the control itself.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  /// Position in the parent's client area, and size.
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Rect(left_, top_, left_ + width_, top_ + height_); }
  /// (0, 0, Width, Height) for most controls; forms report their client area.
  virtual TRect ClientRect() const;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  TWinControl* Parent() const { return parent_; }
  /// Moves the control into `parent`'s list of controls (on top of the others); nullptr
  /// takes it out.
  void SetParent(TWinControl* parent);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);

  /// The control's font; changing it (or a setter on it) ends following the parent's font.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool parentFont);
  /// Background colour (clBtnFace at start, following the parent's until set).
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  /// A transparent control draws no background of its own.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  /// The pointer shape shown over the control.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor) { cursor_ = cursor; }

  /// Converts between screen coordinates and this control's client coordinates.
  TPoint ScreenToClient(const TPoint& p) const;
  TPoint ClientToScreen(const TPoint& p) const;
  /// Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin() const;

  /// Asks for the control to be drawn again at the next message processing. Cheap: many
  /// requests before that are drawn once.
  void Invalidate();
  /// As Invalidate (drawing is always coalesced into the next message processing).
  void Repaint() { Invalidate(); }

  TNotifyEvent OnClick() const { return onClick_; }
  void SetOnClick(TNotifyEvent e) { onClick_ = std::move(e); }
  TMouseEvent OnMouseDown() const { return onMouseDown_; }
  void SetOnMouseDown(TMouseEvent e) { onMouseDown_ = std::move(e); }
  TMouseEvent OnMouseUp() const { return onMouseUp_; }
  void SetOnMouseUp(TMouseEvent e) { onMouseUp_ = std::move(e); }
  TNotifyEvent OnMouseEnter() const { return onMouseEnter_; }
  void SetOnMouseEnter(TNotifyEvent e) { onMouseEnter_ = std::move(e); }
  TNotifyEvent OnMouseLeave() const { return onMouseLeave_; }
  void SetOnMouseLeave(TNotifyEvent e) { onMouseLeave_ = std::move(e); }

  // Input, delivered by the form (from the backend, or from tests through TForm's Handle...
  // calls). Overrides call the base first: the base fires the matching On... event.
  /// A left press and release on the control. Fires OnClick.
  virtual void Click();
  /// Any mouse button pressed on the control; X, Y client coordinates. Fires OnMouseDown.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  /// The release of a button pressed on this control (delivered here even when the pointer
  /// has left it). Fires OnMouseUp.
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  /// The pointer moved over the control (or while a button pressed on it is held).
  virtual void MouseMove(TShiftState shift, int x, int y);
  /// The pointer came over the control. Fires OnMouseEnter.
  virtual void MouseEnter();
  /// The pointer left the control. Fires OnMouseLeave.
  virtual void MouseLeave();

  /// Draws the control with its top-left corner at the canvas origin, clipped to its size.
  virtual void Paint(TCanvas& canvas);
  /// True for controls that hold others (TWinControl).
  virtual bool IsWindowed() const { return false; }

 protected:
  /// Called after the font changed (directly or from the parent). Repaints.
  virtual void FontChanged();
  /// Called after Visible changed.
  virtual void VisibleChanged();
  /// Called after the bounds changed.
  virtual void BoundsChanged() {}
  /// Called after the caption changed. Repaints.
  virtual void CaptionChanged();

 private:
  friend class TWinControl;
  void ParentFontChanged(const TFont& font);
  void ParentColorChanged(TColor color);
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool transparent_ = false;
  bool parentFont_ = true;
  bool parentColor_ = true;
  bool settingParentFont_ = false;
  TWinControl* parent_ = nullptr;
  std::string caption_;
  TFont font_;
  TColor color_ = clBtnFace;
  TCursor cursor_ = crDefault;
  TNotifyEvent onClick_, onMouseEnter_, onMouseLeave_;
  TMouseEvent onMouseDown_, onMouseUp_;
};

/// A control drawn on its parent (label, image, bevel).
class TGraphicControl : public TControl {
 public:
  using TControl::TControl;
};

/// A control that holds other controls. Destroying it destroys the controls it holds.
class TWinControl : public TControl {
 public:
  using TControl::TControl;
  ~TWinControl() override;
  int ControlCount() const { return int(controls_.size()); }
  /// Held controls, bottom first.
  TControl* Controls(int index) const { return controls_.at(std::size_t(index)); }
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order) { tabOrder_ = order; }
  /// The deepest visible control under (x, y) of this control's client area: windowed
  /// controls above the others, later ones above earlier; nullptr when none.
  TControl* ControlAtPos(int x, int y) const;
  /// Paints the control, then its graphic controls, then its windowed controls.
  void PaintAll(TCanvas& canvas);
  bool IsWindowed() const override { return true; }

 protected:
  void FontChanged() override;
  /// Called after a control was inserted or removed.
  virtual void ControlsChanged() {}

 private:
  friend class TControl;
  std::vector<TControl*> controls_;
  int tabOrder_ = -1;
};

/// The form `control` lies on (the control itself for a form), or nullptr.
TForm* GetParentForm(const TControl* control);

/// The mouse pointer.
class TMouse {
 public:
  /// The pointer's screen position.
  TPoint CursorPos() const;
  /// Moves the pointer (headless: only what CursorPos reports).
  void SetCursorPos(const TPoint& p);
};
extern TMouse Mouse;

}  // namespace platform
