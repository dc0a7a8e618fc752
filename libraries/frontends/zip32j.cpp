// ZIP32J.DLL: the ZIP packing library file's one entry.
#include "libraries/frontends/exports.h"

PUKONPA_ZIP_ENTRY();
