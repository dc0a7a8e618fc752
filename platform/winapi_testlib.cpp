// A library for the platform tests: it registers the progress message by name and sends it
// from inside the library, as an archiver library does.
#include <cstdint>

#include "platform/winapi.h"

extern "C" long SendFromLibrary(std::uintptr_t wnd, std::uintptr_t wParam, std::intptr_t lParam) {
  platform::UINT msg = platform::RegisterWindowMessage("wm_arcextract");
  return static_cast<long>(platform::SendMessage(wnd, msg, wParam, lParam));
}

extern "C" unsigned RegisteredFromLibrary(const char* name) {
  return platform::RegisterWindowMessage(name);
}
