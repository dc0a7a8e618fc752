#include "platform/vcl/extctrls.h"

#include "platform/vcl/forms.h"
#include "platform/vcl/timer_queue.h"

namespace platform {

TImage::TImage(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }

void TImage::SetPicture(const TPicture& picture) {
  picture_.Assign(picture);
  Invalidate();
}

void TImage::Paint(TCanvas& canvas) { canvas.Draw(0, 0, picture_); }

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape shape) {
  if (shape == shape_) return;
  shape_ = shape;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TBevel::Paint(TCanvas& c) {
  const TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  const TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  const int r = Width() - 1, b = Height() - 1;
  switch (shape_) {
    case bsBox:
      c.Line(0, 0, r, 0, first);
      c.Line(0, 0, 0, b, first);
      c.Line(0, b, r, b, second);
      c.Line(r, 0, r, b, second);
      break;
    case bsFrame:
      c.Line(0, 0, r - 1, 0, first);
      c.Line(0, 0, 0, b - 1, first);
      c.Line(0, b - 1, r - 1, b - 1, first);
      c.Line(r - 1, 0, r - 1, b - 1, first);
      c.Line(1, 1, r - 2, 1, second);
      c.Line(1, 1, 1, b - 2, second);
      c.Line(0, b, r, b, second);
      c.Line(r, 0, r, b, second);
      break;
    case bsTopLine:
      c.Line(0, 0, r, 0, first);
      c.Line(0, 1, r, 1, second);
      break;
    case bsBottomLine:
      c.Line(0, b - 1, r, b - 1, first);
      c.Line(0, b, r, b, second);
      break;
    case bsLeftLine:
      c.Line(0, 0, 0, b, first);
      c.Line(1, 0, 1, b, second);
      break;
    case bsRightLine:
      c.Line(r - 1, 0, r - 1, b, first);
      c.Line(r, 0, r, b, second);
      break;
    case bsSpacer:
      break;
  }
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() { Application.Timers().Stop(this); }

bool TTimer::Running() const { return enabled_ && interval_ > 0 && onTimer_; }

void TTimer::Update(bool restart) {
  if (Running())
    Application.Timers().Start(this, Application.Now(), restart);
  else
    Application.Timers().Stop(this);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update(false);
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Update(true);
}

void TTimer::SetOnTimer(TNotifyEvent e) {
  onTimer_ = std::move(e);
  Update(false);
}

void TTimer::Tick() {
  if (auto h = onTimer_) h(this);
}

}  // namespace platform
