// The message box: a small modal window of ours.
#pragma once

#include <string>

#include "platform/vcl/graphics.h"
#include "platform/winapi.h"

namespace platform {

/// Shows `text` in a modal window titled `caption` with an OK button (and the stop icon for
/// MB_ICONSTOP); returns when OK or the close box is pressed, or when the application
/// terminates. Answers 1 (IDOK).
int ShowMessageForm(const std::string& text, const std::string& caption, UINT flags);

/// The stop icon: a red disc with a white cross, 32x32.
const TPicture& StopIcon();

}  // namespace platform
