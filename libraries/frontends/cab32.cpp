// CAB32.DLL: the CAB library file's entries.
#include "libraries/frontends/exports.h"

namespace {

frontends::Library& ThisLibrary() {
  static frontends::Library library(frontends::Family::Cab);
  return library;
}

}  // namespace

PUKONPA_READER_ENTRIES(Cab, ThisLibrary);
PUKONPA_OWNER_ENTRIES(Cab, ThisLibrary);
