// The seam between the controls and what draws them: one FLTK backend for real windows, one
// headless backend that keeps no windows at all.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/vcl/graphics.h"

namespace platform {

class TForm;

/// What the forms ask of a window system. All calls come from the user-interface thread.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual bool Headless() const = 0;

  /// The form became visible / hidden; its caption, size, position or frame changed; it is
  /// being destroyed (forget it).
  virtual void FormShown(TForm& form) = 0;
  virtual void FormHidden(TForm& form) = 0;
  virtual void FormChanged(TForm& form) = 0;
  virtual void FormDestroyed(TForm& form) = 0;
  /// The form needs drawing; drawn once at the next Pump however often this is asked.
  virtual void Invalidate(TForm& form) = 0;
  /// Raises the form's window above the others; false when it is not shown.
  virtual bool BringToFront(TForm& form) = 0;
  /// The application icon changed.
  virtual void IconChanged() {}

  /// Waits up to `maxWait` for input (not at all for zero), then handles all pending input
  /// and drawing (with zero, a backend may skip both when it did them moments ago). Input reaches the forms' Handle... calls from here, outside any toolkit
  /// callback.
  virtual void Pump(std::chrono::milliseconds maxWait) = 0;
  /// Draws what is invalidated, without reading input.
  virtual void Flush() = 0;

  virtual TPoint CursorPos() = 0;
  virtual void SetCursorPos(const TPoint& p) = 0;
  /// Screen size in pixels.
  virtual TPoint ScreenSize() = 0;
  /// Width and height of `text` drawn in `font`.
  virtual TPoint TextExtent(const std::string& text, const TFont& font) = 0;
};

/// The headless backend: no windows, nothing drawn; counts the paints it would have made.
std::unique_ptr<Backend> MakeHeadlessBackend();
/// The FLTK backend, or nullptr when no display can be opened.
std::unique_ptr<Backend> MakeFltkBackend();

}  // namespace platform
