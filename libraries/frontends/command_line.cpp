#include "libraries/frontends/command_line.h"

#include <fstream>
#include <iterator>

namespace frontends {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

Tokens Tokenize(std::string_view line) {
  Tokens out;
  std::size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    Token token;
    bool inQuotes = false;
    for (; i < line.size() && (inQuotes || !IsBlank(line[i])); ++i) {
      if (line[i] == '"') {
        inQuotes = !inQuotes;
        token.quoted = true;
      } else {
        token.text += line[i];
      }
    }
    if (inQuotes) {
      out.error = "unbalanced double quote in the command line";
      out.items.clear();
      return out;
    }
    out.items.push_back(std::move(token));
  }
  return out;
}

Tokens ReadResponseFile(const std::string& path) {
  Tokens out;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    out.error = "cannot read the response file " + path;
    return out;
  }
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    out.error = "cannot read the response file " + path;
    return out;
  }
  std::size_t start = 0;
  while (start <= content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view line(content.data() + start, end - start);
    // A name may itself hold blanks, so a line is one name, not a list of items.
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (!line.empty()) {
      Token token;
      if (line.front() == '"') {
        if (line.size() < 2 || line.back() != '"' ||
            line.substr(1, line.size() - 2).find('"') != std::string_view::npos) {
          out.error = "malformed line in the response file " + path;
          out.items.clear();
          return out;
        }
        token.text = std::string(line.substr(1, line.size() - 2));
      } else {
        token.text = std::string(line);
      }
      token.quoted = true;
      out.items.push_back(std::move(token));
    }
    start = end + 1;
  }
  return out;
}

Tokens ExpandResponseFiles(Tokens tokens) {
  if (!tokens.error.empty()) return tokens;
  Tokens out;
  for (Token& token : tokens.items) {
    if (token.text.size() > 1 && token.text[0] == '@') {
      Tokens listed = ReadResponseFile(token.text.substr(1));
      if (!listed.error.empty()) return listed;
      for (Token& name : listed.items) out.items.push_back(std::move(name));
    } else {
      out.items.push_back(std::move(token));
    }
  }
  return out;
}

}  // namespace frontends
