#include "safe_path.h"

#include <cctype>

namespace engine {

namespace {

std::vector<std::string_view> Split(std::string_view s) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == '/' || s[i] == '\\') {
      out.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

bool HasDrivePrefix(std::string_view s) {
  return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':';
}

}  // namespace

bool SplitTarget(std::string_view name, std::vector<std::string>& parts, std::string& why) {
  parts.clear();
  if (HasDrivePrefix(name)) name.remove_prefix(2);
  for (std::string_view part : Split(name)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      why = "the name leads out of the destination";
      parts.clear();
      return false;
    }
    parts.emplace_back(part);
  }
  if (parts.empty()) {
    why = "the name is empty";
    return false;
  }
  return true;
}

bool LinkStaysInside(const std::vector<std::string>& folder, std::string_view target) {
  if (target.empty() || target[0] == '/' || target[0] == '\\' || HasDrivePrefix(target)) {
    return false;
  }
  std::size_t depth = folder.size();
  bool named = false;
  for (std::string_view part : Split(target)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (named || depth == 0) return false;
      --depth;
    } else {
      named = true;
    }
  }
  return true;
}

}  // namespace engine
