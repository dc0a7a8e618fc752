// Splits a library command line into its items: blanks separate items, double quotes group
// blanks into one item and are dropped, and "@file" items are replaced by the names the
// response file lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace frontends {

/// One item of a command line.
struct Token {
  std::string text;     ///< the item without its quotes
  bool quoted = false;  ///< some part of it stood inside double quotes
};

/// Result of splitting: `error` is empty on success.
struct Tokens {
  std::vector<Token> items;
  std::string error;
};

/// Splits `line` at blanks (space, tab, CR, LF) outside double quotes. An unbalanced quote is
/// an error. A quoted empty item ("") is kept as an empty item.
Tokens Tokenize(std::string_view line);

/// Reads a response file: one name per line (CR LF or LF), each in double quotes or bare;
/// blank lines are skipped. Sets `error` when the file cannot be read or a line is malformed.
Tokens ReadResponseFile(const std::string& path);

/// Replaces every item that begins with "@" (and is longer than that) by the names of its
/// response file, each marked quoted. Stops at the first unreadable file.
Tokens ExpandResponseFiles(Tokens tokens);

}  // namespace frontends
