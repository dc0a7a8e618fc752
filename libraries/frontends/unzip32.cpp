// UNZIP32.DLL: the ZIP library file's entries.
#include "libraries/frontends/exports.h"

namespace {

frontends::Library& ThisLibrary() {
  static frontends::Library library(frontends::Family::Zip);
  return library;
}

}  // namespace

PUKONPA_READER_ENTRIES(UnZip, ThisLibrary);
PUKONPA_OWNER_ENTRIES(UnZip, ThisLibrary);
