#include "libraries/frontends/wildcard.h"

#include <cstddef>
#include <string>
#include <vector>

namespace frontends {
namespace {

// Patterns compare whole characters, so a UTF-8 sequence is one unit; a stray byte stands
// for itself (shifted out of the code-point range so that it never equals a real character).
std::vector<char32_t> Decode(std::string_view s) {
  std::vector<char32_t> out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t len =
        c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = len != 0 && i + len <= s.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      ok = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    }
    if (!ok) {
      out.push_back(0x110000 + c);
      ++i;
      continue;
    }
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    out.push_back(cp);
    i += len;
  }
  return out;
}


// Matches the class that starts at p[at] ("[") against c; sets `next` past its "]". A class
// without a closing "]" is not a class: the "[" is then a literal.
bool MatchClass(const std::vector<char32_t>& p, std::size_t at, char32_t c, std::size_t& next,
                bool& isClass) {
  std::size_t i = at + 1;
  bool negate = i < p.size() && (p[i] == '!' || p[i] == '^');
  if (negate) ++i;
  bool matched = false;
  bool first = true;
  for (; i < p.size() && (first || p[i] != ']'); first = false) {
    char32_t lo = p[i];
    char32_t hi = lo;
    if (i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != ']') {
      hi = p[i + 2];
      i += 3;
    } else {
      ++i;
    }
    if (c >= lo && c <= hi) matched = true;
  }
  isClass = i < p.size();
  next = i + 1;
  return matched != negate;
}

// Iterative matcher with one backtrack point for the last "*": linear in practice.
bool Match(const std::vector<char32_t>& p, const std::vector<char32_t>& n, bool classes) {
  std::size_t pi = 0, ni = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (true) {
    if (pi == p.size() && ni == n.size()) {
      return true;
    }
    if (ni < n.size() && pi < p.size()) {
      char32_t pc = p[pi];
      if (pc == '*') {
        starP = pi++;
        starN = ni;
        continue;
      }
      if (pc == '?') {
        ++pi;
        ++ni;
        continue;
      }
      if (pc == '[' && classes) {
        std::size_t next = 0;
        bool isClass = false;
        bool ok = MatchClass(p, pi, n[ni], next, isClass);
        if (isClass) {
          if (ok) {
            pi = next;
            ++ni;
            continue;
          }
        } else if (n[ni] == '[') {
          ++pi;
          ++ni;
          continue;
        }
      } else if (pc == n[ni]) {
        ++pi;
        ++ni;
        continue;
      }
    } else if (pi < p.size() && p[pi] == '*') {
      ++pi;
      continue;
    }
    if (starP == std::string_view::npos || starN >= n.size()) return false;
    pi = starP + 1;
    ni = ++starN;
  }
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name, bool bracketClasses) {
  if (pattern.empty() || pattern == "*" || pattern == "*.*") return true;
  // "\" between folders is read as "/", as the engine reads it.
  std::string normalized(pattern);
  for (char& c : normalized) {
    if (c == '\\') c = '/';
  }
  pattern = normalized;
  while (pattern.size() > 1 && pattern.back() == '/') pattern.remove_suffix(1);
  std::vector<char32_t> p = Decode(pattern);
  std::vector<char32_t> n = Decode(name);
  if (Match(p, n, bracketClasses)) return true;
  // A folder that holds the item selects it.
  std::size_t lastSlash = n.size();
  for (std::size_t i = 0; i < n.size(); ++i) {
    if (n[i] != '/') continue;
    lastSlash = i;
    if (Match(p, std::vector<char32_t>(n.begin(), n.begin() + i), bracketClasses)) return true;
  }
  // A pattern without "/" may name the last component alone.
  return pattern.find('/') == std::string_view::npos && lastSlash < n.size() &&
         Match(p, std::vector<char32_t>(n.begin() + lastSlash + 1, n.end()), bracketClasses);
}

bool ToEnginePattern(std::string_view pattern, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '[') {
      out += pattern[i];
      continue;
    }
    std::size_t close = pattern.find(']', i + 2);
    if (close == std::string_view::npos) {
      out += '[';  // no closing bracket: a literal
      continue;
    }
    std::string_view inner = pattern.substr(i + 1, close - i - 1);
    if (inner.size() != 1 || inner == "*" || inner == "?" || inner == "!" || inner == "^") {
      return false;
    }
    out += inner;
    i = close;
  }
  return true;
}

}  // namespace frontends
