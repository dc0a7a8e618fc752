#include "pattern.h"

namespace engine {

namespace {

std::size_t Utf8Len(std::string_view s, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t len = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  return i + len <= s.size() ? len : 1;
}

std::string Normalize(std::string_view pattern) {
  std::string p(pattern);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  while (p.size() > 1 && p[0] == '.' && p[1] == '/') p.erase(0, 2);
  return p;
}

bool MatchOne(const std::string& pattern, std::string_view name) {
  if (WildcardMatch(pattern, name)) return true;
  if (pattern.find('/') == std::string::npos) {
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos && WildcardMatch(pattern, name.substr(slash + 1))) {
      return true;
    }
  }
  // A selected folder selects everything under it.
  for (std::size_t slash = name.find('/'); slash != std::string_view::npos;
       slash = name.find('/', slash + 1)) {
    if (WildcardMatch(pattern, name.substr(0, slash))) return true;
  }
  return false;
}

}  // namespace

bool WildcardMatch(std::string_view p, std::string_view s) {
  // Iterative match with one backtrack point for the last "*".
  std::size_t pi = 0, si = 0;
  std::size_t starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starS = si;
    } else if (pi < p.size() && p[pi] == '?') {
      ++pi;
      si += Utf8Len(s, si);
    } else if (pi < p.size() && p[pi] == s[si]) {
      ++pi;
      ++si;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      starS += Utf8Len(s, starS);
      si = starS;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

bool Selected(const std::vector<std::string>& patterns, std::string_view name) {
  if (patterns.empty()) return true;
  for (const std::string& raw : patterns) {
    if (MatchOne(Normalize(raw), name)) return true;
  }
  return false;
}

}  // namespace engine
