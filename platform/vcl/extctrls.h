// Further controls: image, bevel, and the timer.
#pragma once

#include <chrono>

#include "platform/vcl/controls.h"

namespace platform {

/// Shows a picture at its own size from the top-left corner, with its transparency.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  TPicture& Picture() { return picture_; }
  const TPicture& Picture() const { return picture_; }
  /// Replaces the picture and repaints.
  void SetPicture(const TPicture& picture);
  void Paint(TCanvas& canvas) override;

 private:
  TPicture picture_;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

/// A 3-D line or frame (bsBottomLine: a rule along the bottom edge).
class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* owner);
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle style);
  void Paint(TCanvas& canvas) override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

/// Fires OnTimer every Interval milliseconds while Enabled, from the message processing:
/// at most one tick per ProcessMessages or loop turn, the next due one interval after the
/// tick (missed ticks are dropped, not caught up). Enabling a running timer does not
/// restart it; changing Interval does. Enabled and Interval 1000 at start.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  TNotifyEvent OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent e);
  /// True while ticks are scheduled: Enabled, Interval > 0 and OnTimer set.
  bool Running() const;
  /// Fires OnTimer once (called by the application's timer queue).
  void Tick();

 private:
  void Update(bool restart);
  bool enabled_ = true;
  unsigned interval_ = 1000;
  TNotifyEvent onTimer_;
};

}  // namespace platform
