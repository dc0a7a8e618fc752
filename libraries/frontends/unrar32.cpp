// UNRAR32.DLL: the RAR library file's entries.
#include "libraries/frontends/exports.h"

namespace {

frontends::Library& ThisLibrary() {
  static frontends::Library library(frontends::Family::Rar);
  return library;
}

}  // namespace

PUKONPA_READER_ENTRIES(Unrar, ThisLibrary);
PUKONPA_OWNER_ENTRIES(Unrar, ThisLibrary);
