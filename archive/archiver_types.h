// Types shared by the archive component, its drivers and their callers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/libapi.h"
#include "platform/sysutils.h"

namespace platform {
class TComponent;
}

namespace archive {

enum TArchiverType : std::uint8_t {
  atLha,
  atZip,
  atCab,
  atArj,
  atTar,
  atTgz,
  atBZ2,
  atRar,
  atNone,
  atAutoDetect,
};

/// The error of the archive component and its drivers: a message text only.
class EArchiver : public platform::Exception {
  using platform::Exception::Exception;
};

/// The one-character string whose only character is NUL: an unset string option, for which
/// the command-line builder appends nothing. An empty string is a present, empty value.
inline const std::string NoValue(1, '\0');

/// A list of item names; nullptr where the Parts say "nil".
using TStrings = std::vector<std::string>;

/// Progress handler: (Sender, State, lpEis, Abort). Set Abort to ask the library to stop.
using TArchiverProgressEvent = std::function<void(
    platform::TComponent* Sender, int State, libapi::LPEXTRACTINGINFOEX lpEis, bool& Abort)>;

}  // namespace archive
