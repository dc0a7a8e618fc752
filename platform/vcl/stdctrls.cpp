#include "platform/vcl/stdctrls.h"

#include <algorithm>

namespace platform {

namespace {

// A classic 3-D edge: `light` along the top and left, `dark` along the bottom and right.
void Edge(TCanvas& c, const TRect& r, TColor light, TColor dark) {
  c.Line(r.Left, r.Top, r.Right - 2, r.Top, light);
  c.Line(r.Left, r.Top, r.Left, r.Bottom - 2, light);
  c.Line(r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1, dark);
  c.Line(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1, dark);
}

}  // namespace

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 65, 13); }

void TLabel::Paint(TCanvas& canvas) {
  if (!Transparent()) canvas.FillRect(ClientRect(), Color());
  if (Enabled()) {
    canvas.TextOut(0, 0, Caption(), Font());
  } else {
    TFont grey;
    grey.Assign(Font());
    grey.SetColor(clBtnHighlight);
    canvas.TextOut(1, 1, Caption(), grey);
    grey.SetColor(clBtnShadow);
    canvas.TextOut(0, 0, Caption(), grey);
  }
}

TButton::TButton(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 75, 25); }

void TButton::Click() {
  // The form learns the result first: the handler may destroy the button.
  if (modalResult_ != mrNone)
    if (TForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TWinControl::Click();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    pressed_ = down_ = true;
    Invalidate();
  }
  TWinControl::MouseDown(button, shift, x, y);
}

void TButton::MouseMove(TShiftState shift, int x, int y) {
  if (pressed_) {
    bool down = PtInRect(ClientRect(), {x, y});
    if (down != down_) {
      down_ = down;
      Invalidate();
    }
  }
  TWinControl::MouseMove(shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && pressed_) {
    pressed_ = down_ = false;
    Invalidate();
  }
  TWinControl::MouseUp(button, shift, x, y);
}

void TButton::Paint(TCanvas& canvas) {
  TRect r = ClientRect();
  canvas.FillRect(r, clBtnFace);
  if (down_) {
    Edge(canvas, r, cl3DDkShadow, clBtnHighlight);
    Edge(canvas, Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), clBtnShadow, clBtnFace);
  } else {
    Edge(canvas, r, clBtnHighlight, cl3DDkShadow);
    Edge(canvas, Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), clBtnFace, clBtnShadow);
  }
  TPoint ext = canvas.TextExtent(Caption(), Font());
  int shift = down_ ? 1 : 0;
  TFont font;
  font.Assign(Font());
  if (!Enabled()) font.SetColor(clBtnShadow);
  canvas.TextOut((Width() - ext.X) / 2 + shift, (Height() - ext.Y) / 2 + shift, Caption(), font);
}

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 105); }

void TGroupBox::Paint(TCanvas& canvas) {
  canvas.FillRect(ClientRect(), Color());
  TPoint ext = canvas.TextExtent(Caption().empty() ? "0" : Caption(), Font());
  const int top = ext.Y / 2;
  // An etched frame: a shadow line with a highlight line just inside and below it.
  const int r = Width() - 1, b = Height() - 1;
  canvas.Line(0, top, r - 1, top, clBtnShadow);
  canvas.Line(0, top, 0, b - 1, clBtnShadow);
  canvas.Line(0, b - 1, r - 1, b - 1, clBtnShadow);
  canvas.Line(r - 1, top, r - 1, b - 1, clBtnShadow);
  canvas.Line(1, top + 1, r - 2, top + 1, clBtnHighlight);
  canvas.Line(1, top + 1, 1, b - 2, clBtnHighlight);
  canvas.Line(0, b, r, b, clBtnHighlight);
  canvas.Line(r, top, r, b, clBtnHighlight);
  if (!Caption().empty()) {
    canvas.FillRect(Rect(6, 0, 8 + ext.X + 2, ext.Y), Color());
    canvas.TextOut(8, 0, Caption(), Font());
  }
}

}  // namespace platform
