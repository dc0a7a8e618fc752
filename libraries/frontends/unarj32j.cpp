// UNARJ32J.DLL: the ARJ library file's entries.
#include "libraries/frontends/exports.h"

namespace {

frontends::Library& ThisLibrary() {
  static frontends::Library library(frontends::Family::Arj);
  return library;
}

}  // namespace

PUKONPA_READER_ENTRIES(Unarj, ThisLibrary);
PUKONPA_OWNER_ENTRIES(Unarj, ThisLibrary);
