// LMZIP32.DLL: the ZIP library file's entries.
#include "libraries/frontends/exports.h"

namespace {

frontends::Library& ThisLibrary() {
  static frontends::Library library(frontends::Family::Zip);
  return library;
}

}  // namespace

PUKONPA_READER_ENTRIES(Unzip, ThisLibrary);
PUKONPA_ZIP_ENTRY();
