// The window a library reports its progress to: registered by P`SetOwnerWindowEx`, sent the
// "wm_arcextract" message with an information record for every step, and able to stop the
// work by answering non-zero.
#pragma once

#include <memory>
#include <string>

#include "archive/libapi.h"
#include "libraries/engine/engine.h"

namespace frontends {

class OwnerWindow {
 public:
  /// Registers `wnd` (replacing any earlier one). Only message reporting is offered, so a
  /// non-null callback, or a handle that names no window, is refused (false).
  bool Set(platform::HWND wnd, void* callback);
  /// Forgets `wnd`; false when it is not the registered window.
  bool Kill(platform::HWND wnd);
  /// The registered window, 0 when none.
  platform::HWND Window() const { return wnd_; }

  /// A progress function for one engine run that reports to the registered window (none
  /// when no window is registered). `aborted` is set when the window asked to stop. Valid
  /// while this object lives; one run at a time.
  engine::ProgressFn Reporter(const std::string& archive, bool& aborted);

 private:
  platform::HWND wnd_ = 0;
  // One record reused for every message: it is large, and the receiver reads it only while
  // the message is being handled.
  std::unique_ptr<libapi::EXTRACTINGINFOEX> info_;
};

}  // namespace frontends
