// The lexical half of keeping extraction inside the destination: which folders and file
// name a member name maps to, and whether a symbolic link's target stays inside. The other
// half (never following a link on disk) is DirTree's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

/// Splits a decoded member name into its components below the destination. A leading "/"
/// and a drive prefix ("C:") are dropped, as are empty and "." components. Returns false with
/// `why` set when a ".." component would climb out, or nothing remains.
bool SplitTarget(std::string_view name, std::vector<std::string>& parts, std::string& why);

/// True when a link placed in the folder `folder` (components below the destination) with
/// `target` resolves inside the destination without relying on other links: the target is
/// relative, its ".." components all lead and climb no higher than the destination, and no
/// ".." follows a named component (which might itself be a link).
bool LinkStaysInside(const std::vector<std::string>& folder, std::string_view target);

}  // namespace engine
