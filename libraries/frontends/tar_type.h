// The type code of tar32.dll's TarGetArchiveType, judged from the file's content.
#pragma once

#include <string>

namespace frontends {

/// 1 tar; 2 gzip-compressed tar; 3 compress (.Z) tar; 4 a single gzip file; 5 a single .Z
/// file, or anything xz- or lzma-compressed (tar or not); 6 bzip2-compressed tar; 7 a single
/// bzip2 file; 0 anything else (also a missing file). Reads only the first header.
int TarArchiveType(const std::string& path);

}  // namespace frontends
