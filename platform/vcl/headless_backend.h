// The headless backend's own interface, for tests that look at what it did.
#pragma once

#include "platform/vcl/backend.h"

namespace platform {

/// Keeps no windows. Pump sleeps for its wait (nothing can arrive) and "paints" each
/// invalidated visible form once.
class HeadlessBackend : public Backend {
 public:
  bool Headless() const override { return true; }
  void FormShown(TForm& form) override;
  void FormHidden(TForm&) override {}
  void FormChanged(TForm&) override {}
  void FormDestroyed(TForm& form) override;
  void Invalidate(TForm& form) override;
  bool BringToFront(TForm& form) override;
  void Pump(std::chrono::milliseconds maxWait) override;
  void Flush() override;
  TPoint CursorPos() override { return cursor_; }
  void SetCursorPos(const TPoint& p) override { cursor_ = p; }
  /// A 1024x768 screen.
  TPoint ScreenSize() override { return TPoint{1024, 768}; }
  /// An estimate: half the font height per single-byte character, the full height per
  /// other character.
  TPoint TextExtent(const std::string& text, const TFont& font) override;

  /// Number of paints made so far (one per invalidated visible form per Pump).
  int PaintCount() const { return paints_; }

 private:
  std::vector<TForm*> dirty_;
  TPoint cursor_;
  int paints_ = 0;
};

}  // namespace platform
