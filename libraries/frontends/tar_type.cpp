#include "libraries/frontends/tar_type.h"

#include <archive.h>
#include <archive_entry.h>

namespace frontends {
namespace {

// Opens `path` through every decompression filter with either the tar reader or the raw
// reader; the outer filter's code when a first header could be read, else -1.
int FirstHeaderFilter(const std::string& path, bool asTar) {
  struct archive* a = archive_read_new();
  if (!a) return -1;
  archive_read_support_filter_all(a);
  if (asTar) {
    archive_read_support_format_tar(a);
    archive_read_support_format_gnutar(a);
  } else {
    archive_read_support_format_raw(a);
  }
  int filter = -1;
  struct archive_entry* entry = nullptr;
  if (archive_read_open_filename(a, path.c_str(), 10240) == ARCHIVE_OK) {
    int r = archive_read_next_header(a, &entry);
    if (r == ARCHIVE_OK || r == ARCHIVE_WARN) filter = archive_filter_code(a, 0);
  }
  archive_read_free(a);
  return filter;
}

}  // namespace

int TarArchiveType(const std::string& path) {
  switch (FirstHeaderFilter(path, true)) {
    case ARCHIVE_FILTER_NONE:
      return 1;
    case ARCHIVE_FILTER_GZIP:
      return 2;
    case ARCHIVE_FILTER_COMPRESS:
      return 3;
    case ARCHIVE_FILTER_BZIP2:
      return 6;
    case ARCHIVE_FILTER_XZ:
    case ARCHIVE_FILTER_LZMA:
      return 5;
    case -1:
      break;
    default:
      return 0;
  }
  switch (FirstHeaderFilter(path, false)) {
    case ARCHIVE_FILTER_GZIP:
      return 4;
    case ARCHIVE_FILTER_COMPRESS:
    case ARCHIVE_FILTER_XZ:
    case ARCHIVE_FILTER_LZMA:
      return 5;
    case ARCHIVE_FILTER_BZIP2:
      return 7;
    default:
      return 0;
  }
}

}  // namespace frontends
