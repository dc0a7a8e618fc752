// Name patterns of the command lines and of P`FindFirst`, read as the engine reads them: "*"
// any run of characters ("/" included), "?" one character, case counts, "\" between folders
// reads as "/"; a pattern without "/" may match the last component; a pattern naming a
// folder selects what is inside. Optionally "[...]" character classes, which the ZIP family
// uses ("[[]" is a literal "[").
#pragma once

#include <string_view>

namespace frontends {

/// True when `pattern` selects `name`. An empty pattern, "*" and "*.*" select every name.
bool WildcardMatch(std::string_view pattern, std::string_view name, bool bracketClasses = false);

/// The same pattern in the engine's syntax (no classes): a class of one character becomes
/// that character. False when that cannot be said there (a real class, or a literal "*" or
/// "?").
bool ToEnginePattern(std::string_view pattern, std::string& out);

}  // namespace frontends
