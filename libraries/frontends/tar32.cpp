// tar32.dll: the tar library file's entries.
#include "libraries/frontends/exports.h"
#include "libraries/frontends/tar_type.h"

namespace {

frontends::Library& ThisLibrary() {
  static frontends::Library library(frontends::Family::Tar);
  return library;
}

}  // namespace

PUKONPA_READER_ENTRIES(Tar, ThisLibrary);
PUKONPA_OWNER_ENTRIES(Tar, ThisLibrary);

PUKONPA_EXPORT int TarGetArchiveType(const char* fileName) {
  try {
    return fileName ? frontends::TarArchiveType(fileName) : 0;
  } catch (...) {
    return 0;
  }
}
static_assert(std::is_same_v<decltype(&TarGetArchiveType), libapi::TGetArchiveTypeEntry>);
