#include "platform/vcl/controls.h"

#include <algorithm>

#include "platform/vcl/backend.h"
#include "platform/vcl/forms.h"

namespace platform {

TMouse Mouse;

TPoint TMouse::CursorPos() const { return Application.GetBackend().CursorPos(); }
void TMouse::SetCursorPos(const TPoint& p) { Application.GetBackend().SetCursorPos(p); }

TForm* GetParentForm(const TControl* control) {
  if (!control) return nullptr;
  const TControl* c = control;
  while (c->Parent()) c = c->Parent();
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  font_.SetOnChange([this] {
    if (!settingParentFont_) parentFont_ = false;
    FontChanged();
  });
}

TControl::~TControl() {
  if (TForm* form = GetParentForm(this)) form->ControlGone(this);
  if (parent_) {
    Invalidate();
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    parent_ = nullptr;
  }
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  BoundsChanged();
  Invalidate();
}

TRect TControl::ClientRect() const { return Rect(0, 0, width_, height_); }

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (!visible_)
    if (TForm* form = GetParentForm(this)) form->ControlGone(this);
  Invalidate();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Invalidate();
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (TControl* p = parent; p; p = p->parent_)
    if (p == this) return;  // a control cannot hold itself
  if (parent_) {
    if (TForm* form = GetParentForm(this)) form->ControlGone(this);
    Invalidate();
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    TWinControl* old = parent_;
    parent_ = nullptr;
    old->ControlsChanged();
  }
  parent_ = parent;
  if (!parent_) return;
  parent_->controls_.push_back(this);
  if (parentFont_) ParentFontChanged(parent_->font_);
  if (parentColor_) ParentColorChanged(parent_->color_);
  parent_->ControlsChanged();
  Invalidate();
}

void TControl::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  CaptionChanged();
}

void TControl::CaptionChanged() { Invalidate(); }

void TControl::SetParentFont(bool parentFont) {
  parentFont_ = parentFont;
  if (parentFont_ && parent_) ParentFontChanged(parent_->font_);
}

void TControl::ParentFontChanged(const TFont& font) {
  if (!parentFont_) return;
  settingParentFont_ = true;
  font_.Assign(font);
  settingParentFont_ = false;
}

void TControl::FontChanged() { Invalidate(); }

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* c : w->controls_) c->ParentColorChanged(color_);
}

void TControl::ParentColorChanged(TColor color) {
  if (!parentColor_ || color == color_) return;
  color_ = color;
  Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(this))
    for (TControl* c : w->controls_) c->ParentColorChanged(color_);
}

void TControl::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Invalidate();
}

TPoint TControl::ClientOrigin() const {
  TPoint origin{left_, top_};
  if (parent_) {
    TPoint p = parent_->ClientOrigin();
    origin.X += p.X;
    origin.Y += p.Y;
  }
  return origin;
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
  TPoint o = ClientOrigin();
  return TPoint{p.X - o.X, p.Y - o.Y};
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
  TPoint o = ClientOrigin();
  return TPoint{p.X + o.X, p.Y + o.Y};
}

void TControl::Invalidate() {
  TForm* form = GetParentForm(this);
  if (form && form->Visible()) Application.GetBackend().Invalidate(*form);
}

// Handlers are copied before the call: a handler may destroy the control that fired it.
void TControl::Click() {
  if (auto h = onClick_) h(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (auto h = onMouseDown_) h(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (auto h = onMouseUp_) h(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState, int, int) {}

void TControl::MouseEnter() {
  if (auto h = onMouseEnter_) h(this);
}

void TControl::MouseLeave() {
  if (auto h = onMouseLeave_) h(this);
}

void TControl::Paint(TCanvas&) {}

TWinControl::~TWinControl() {
  // Held controls go with their holder, last first; each takes itself out of our list.
  while (!controls_.empty()) delete controls_.back();
}

TControl* TWinControl::ControlAtPos(int x, int y) const {
  const TPoint p{x, y};
  for (bool windowed : {true, false}) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
      TControl* c = *it;
      if (c->IsWindowed() != windowed || !c->Visible() || !PtInRect(c->BoundsRect(), p))
        continue;
      if (windowed)
        if (TControl* inner =
                static_cast<TWinControl*>(c)->ControlAtPos(x - c->Left(), y - c->Top()))
          return inner;
      return c;
    }
  }
  return nullptr;
}

void TWinControl::PaintAll(TCanvas& canvas) {
  Paint(canvas);
  for (bool windowed : {false, true}) {
    for (TControl* c : controls_) {
      if (c->IsWindowed() != windowed || !c->Visible()) continue;
      canvas.Push(c->Left(), c->Top(), Rect(0, 0, c->Width(), c->Height()));
      if (windowed)
        static_cast<TWinControl*>(c)->PaintAll(canvas);
      else
        c->Paint(canvas);
      canvas.Pop();
    }
  }
}

void TWinControl::FontChanged() {
  TControl::FontChanged();
  for (TControl* c : controls_) c->ParentFontChanged(Font());
}

}  // namespace platform
