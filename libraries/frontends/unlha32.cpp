// UNLHA32.DLL: the LHA library file's entries.
#include "libraries/frontends/exports.h"

namespace {

frontends::Library& ThisLibrary() {
  static frontends::Library library(frontends::Family::Lha);
  return library;
}

}  // namespace

PUKONPA_READER_ENTRIES(Unlha, ThisLibrary);
PUKONPA_OWNER_ENTRIES(Unlha, ThisLibrary);
