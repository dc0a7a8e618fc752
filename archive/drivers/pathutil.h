// Small path routines the drivers share: joining a folder and a name, and the file-name and
// extension parts of a path, all with the native folder separator and multibyte aware.
#pragma once

#include <string>

namespace archive {

/// `folder` and `name` with exactly one separator between them; `name` alone when `folder`
/// is empty. A folder ending in a double-byte character whose trail byte is the separator's
/// code still gets one.
std::string JoinPath(const std::string& folder, const std::string& name);

/// The part of `path` after its last separator (the whole path when it has none).
std::string ExtractFileName(const std::string& path);

/// `path` with its last extension (from the last "." after the last separator) replaced by
/// `ext`; appended when the name has none.
std::string ChangeFileExt(const std::string& path, const std::string& ext);

}  // namespace archive
