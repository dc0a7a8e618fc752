// Where an archive starts in a file: at its first byte, or inside a self-extracting .exe
// (found by a bounded scan for a header whose own checks hold).
#pragma once

#include <cstdint>
#include <string>

#include "engine.h"

namespace engine {

/// The family of the archive in `path` and the offset of its first header; Unknown when
/// none was found. For a ZIP the offset is 0: ZIP readers find it from the file's end.
struct Located {
  Format format = Format::Unknown;
  std::uint64_t offset = 0;
};
Located Locate(const std::string& path);

}  // namespace engine
