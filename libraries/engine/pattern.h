// Which items a request selects: exact names or wildcards (* and ?) matched against the
// decoded name, against its last component when the pattern has no "/", and against each
// folder that holds the item (a pattern naming a folder selects what is inside).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

/// Wildcard match of the whole of `name`: "*" any run of characters (also "/"), "?" one
/// character (one UTF-8 sequence).
bool WildcardMatch(std::string_view pattern, std::string_view name);

/// True when `patterns` is empty or one of them selects `name` as described above.
/// Patterns may use "\" between folders.
bool Selected(const std::vector<std::string>& patterns, std::string_view name);

}  // namespace engine
