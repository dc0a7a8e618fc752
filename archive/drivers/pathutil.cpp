#include "archive/drivers/pathutil.h"

#include "platform/mbcs.h"
#include "platform/winapi.h"

namespace archive {

namespace {
const std::string kDelim(1, platform::PathDelim);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (mbcs::LastCharIs(folder, platform::PathDelim)) return folder + name;
  return folder + kDelim + name;
}

std::string ExtractFileName(const std::string& path) {
  const std::size_t i = mbcs::LastDelimiter(kDelim, path);
  return i == std::string::npos ? path : path.substr(i + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  const std::size_t i = mbcs::LastDelimiter(kDelim + ".", path);
  if (i != std::string::npos && path[i] == '.') return path.substr(0, i) + ext;
  return path + ext;
}

}  // namespace archive
