#include "libraries/frontends/owner_window.h"

#include <cstring>
#include <memory>

#include "libraries/frontends/copy_text.h"

namespace frontends {
namespace {

int StateOf(engine::Stage stage) {
  switch (stage) {
    case engine::Stage::Begin:
      return libapi::kStateBegin;
    case engine::Stage::Open:
    case engine::Stage::Progress:
      return libapi::kStateInProcess;
    case engine::Stage::End:
      return libapi::kStateEnd;
    case engine::Stage::Finished:
      return libapi::kStateFinished;
  }
  return libapi::kStateInProcess;
}

}  // namespace

bool OwnerWindow::Set(platform::HWND wnd, void* callback) {
  if (callback || wnd == 0 || !platform::IsWindow(wnd)) return false;
  wnd_ = wnd;
  return true;
}

bool OwnerWindow::Kill(platform::HWND wnd) {
  if (wnd_ == 0 || wnd != wnd_) return false;
  wnd_ = 0;
  return true;
}

engine::ProgressFn OwnerWindow::Reporter(const std::string& archive, bool& aborted) {
  if (wnd_ == 0) return {};
  platform::HWND wnd = wnd_;
  static const platform::UINT message =
      platform::RegisterWindowMessage(libapi::kArcExtractMessage);
  if (!info_) info_ = std::make_unique<libapi::EXTRACTINGINFOEX>();
  libapi::EXTRACTINGINFOEX* info = info_.get();
  return [wnd, info, archive, &aborted](engine::Stage stage, const engine::Item& item,
                                        std::uint64_t written, const std::string& destName) {
    // The first message a window sees is an item's state 0; the open stage stays silent.
    if (stage == engine::Stage::Open) return true;
    libapi::EXTRACTINGINFOEX& r = *info;
    std::memset(&r, 0, sizeof r);
    bool isFinished = stage == engine::Stage::Finished;
    CopyText(isFinished ? archive : item.name, r.szSourceFileName, sizeof r.szSourceFileName);
    CopyText(isFinished ? std::string() : destName, r.szDestFileName, sizeof r.szDestFileName);
    r.llFileSize = item.size;
    r.llWriteSize = written;
    r.dwFileSize = static_cast<platform::DWORD>(item.size);
    r.dwWriteSize = static_cast<platform::DWORD>(written);
    r.dwCRC = item.crc;
    r.dwIndex = item.index;
    platform::LRESULT reply = platform::SendMessage(
        wnd, message, static_cast<platform::WPARAM>(StateOf(stage)),
        reinterpret_cast<platform::LPARAM>(&r));
    if (reply != 0) aborted = true;
    return reply == 0;
  };
}

}  // namespace frontends
