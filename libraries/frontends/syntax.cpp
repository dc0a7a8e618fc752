#include "libraries/frontends/syntax.h"

#include <array>
#include <charconv>
#include <optional>

#include "libraries/frontends/command_line.h"
#include "platform/winapi.h"

namespace frontends {
namespace {

std::optional<int> ParseInt(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

bool EndsWithDelim(const std::string& s) { return !s.empty() && s.back() == platform::PathDelim; }

ParsedCommand Fail(std::string reason) {
  ParsedCommand out;
  out.error = std::move(reason);
  return out;
}

// Archive, optional folder (the item after the archive when it ends with the folder
// separator), then members; "@file" members are read from their response files.
void TakePositionals(std::vector<Token> items, ParsedCommand& cmd, bool archiveGiven) {
  std::size_t i = 0;
  if (!archiveGiven) {
    if (items.empty()) {
      cmd.error = "no archive name in the command line";
      return;
    }
    cmd.archive = items[i++].text;
    if (cmd.archive.empty()) {
      cmd.error = "empty archive name in the command line";
      return;
    }
    if (i < items.size() && EndsWithDelim(items[i].text)) cmd.destDir = items[i++].text;
  }
  Tokens members;
  members.items.assign(std::make_move_iterator(items.begin() + i),
                       std::make_move_iterator(items.end()));
  members = ExpandResponseFiles(std::move(members));
  if (!members.error.empty()) {
    cmd.error = members.error;
    return;
  }
  for (Token& t : members.items) {
    if (!t.text.empty()) cmd.patterns.push_back(std::move(t.text));
  }
}

// ---- LHA and ARJ -----------------------------------------------------------------------

enum class LhaKind { Number, Text, Exclude };

struct LhaSwitch {
  std::string_view name;
  LhaKind kind;
};

// Every switch the option record can produce; the longest name that fits wins ("-job" is
// job, not jo with the value "b").
constexpr std::array<LhaSwitch, 53> kLhaSwitches{{
    {"a", LhaKind::Number},   {"c", LhaKind::Number},   {"e", LhaKind::Number},
    {"f", LhaKind::Number},   {"h", LhaKind::Number},   {"i", LhaKind::Number},
    {"l", LhaKind::Number},   {"m", LhaKind::Number},   {"n", LhaKind::Number},
    {"o", LhaKind::Number},   {"p", LhaKind::Number},   {"r", LhaKind::Number},
    {"s", LhaKind::Number},   {"t", LhaKind::Number},   {"u", LhaKind::Number},
    {"w", LhaKind::Text},     {"x", LhaKind::Number},   {"y", LhaKind::Number},
    {"z", LhaKind::Number},   {"jc", LhaKind::Number},  {"jd", LhaKind::Number},
    {"je", LhaKind::Number},  {"jf", LhaKind::Number},  {"jh", LhaKind::Number},
    {"ji", LhaKind::Number},  {"jm", LhaKind::Number},  {"jn", LhaKind::Number},
    {"jo", LhaKind::Text},    {"job", LhaKind::Text},   {"jp", LhaKind::Number},
    {"jr", LhaKind::Number},  {"jss", LhaKind::Number}, {"jw", LhaKind::Number},
    {"jx", LhaKind::Exclude}, {"jyc", LhaKind::Number}, {"jyd", LhaKind::Number},
    {"jyk", LhaKind::Number}, {"jyn", LhaKind::Number}, {"jyo", LhaKind::Number},
    {"jz", LhaKind::Text},    {"ga", LhaKind::Number},  {"gd", LhaKind::Number},
    {"ge", LhaKind::Number},  {"gf", LhaKind::Number},  {"gj", LhaKind::Number},
    {"gm", LhaKind::Number},  {"gn", LhaKind::Number},  {"go", LhaKind::Number},
    {"gp", LhaKind::Number},  {"gr", LhaKind::Text},    {"gs", LhaKind::Number},
    {"gu", LhaKind::Number},  {"gw", LhaKind::Number},
}};

// Applies one LHA switch ("-x1", "-wDIR/", "-jx*.BAK", "-+"); false when it is none.
bool ApplyLhaSwitch(std::string_view body, ParsedCommand& cmd) {
  if (body == "+") return true;
  const LhaSwitch* best = nullptr;
  for (const LhaSwitch& s : kLhaSwitches) {
    if (body.substr(0, s.name.size()) == s.name && (!best || s.name.size() > best->name.size())) {
      best = &s;
    }
  }
  if (!best) return false;
  std::string_view value = body.substr(best->name.size());
  switch (best->kind) {
    case LhaKind::Text:
      return true;
    case LhaKind::Exclude:
      if (!value.empty()) cmd.excludes.emplace_back(value);
      return true;
    case LhaKind::Number:
      break;
  }
  // A bare numeric switch means 1, as "-x" stands for "-x1".
  std::optional<int> number = value.empty() ? std::optional<int>(1) : ParseInt(value);
  if (!number) return false;
  if (best->name == "c") cmd.overwrite = *number >= 1;
  if (best->name == "x") cmd.useFolders = *number != 0;
  return true;
}

ParsedCommand ParseLha(std::vector<Token> items) {
  ParsedCommand cmd;
  cmd.command = items.front().text;
  const std::string& c = cmd.command;
  bool flat = false;
  if (c == "x" || c == "X") {
  } else if (c == "e" || c == "E") {
    flat = true;
  } else if (c == "t" || c == "T") {
    cmd.action = Action::Test;
  } else if (c == "l" || c == "L" || c == "v" || c == "V") {
    cmd.action = Action::List;
  } else if (c.size() == 1 && std::string_view("aAuUmMfFdDsScC").find(c[0]) != c.npos) {
    cmd.action = Action::NotSupported;
  } else {
    return Fail("unknown command \"" + c + "\"");
  }
  std::vector<Token> positionals;
  bool switchesEnded = false;
  for (std::size_t i = 1; i < items.size(); ++i) {
    Token& t = items[i];
    if (!switchesEnded && t.text == "--") {
      switchesEnded = true;
      continue;
    }
    // The builder quotes text switches ("-wDIR/"), so a quoted item is a switch too when it
    // reads as one; otherwise it is a name that happens to begin with a dash.
    if (!switchesEnded && t.text.size() > 1 && t.text[0] == '-') {
      if (ApplyLhaSwitch(std::string_view(t.text).substr(1), cmd)) continue;
      if (!t.quoted) return Fail("unknown switch \"" + t.text + "\"");
    }
    positionals.push_back(std::move(t));
  }
  if (flat) cmd.useFolders = false;
  TakePositionals(std::move(positionals), cmd, false);
  return cmd;
}

// ---- ZIP, CAB and RAR: the command is the first dash switch -----------------------------

struct DashSyntax {
  std::vector<std::string_view> extract;       // commands that extract with folders
  std::vector<std::string_view> extractFlat;   // commands that extract without folders
  std::vector<std::string_view> test;
  std::vector<std::string_view> list;
  std::vector<std::string_view> unsupported;
  std::vector<std::string_view> overwriteOn;   // switches that ask for overwriting
  std::vector<std::string_view> overwriteOff;
  std::vector<std::string_view> flat;          // switches that drop the folders
  std::vector<std::string_view> inert;         // accepted without effect
  bool overwriteByDefault = false;
  bool bracketClasses = false;
};

bool In(const std::vector<std::string_view>& set, std::string_view s) {
  for (std::string_view x : set) {
    if (x == s) return true;
  }
  return false;
}

ParsedCommand ParseDash(const DashSyntax& syntax, std::vector<Token> items) {
  ParsedCommand cmd;
  cmd.command = items.front().text;
  cmd.bracketClasses = syntax.bracketClasses;
  cmd.overwrite = syntax.overwriteByDefault;
  const std::string& c = cmd.command;
  if (items.front().quoted) return Fail("the command must come first, not \"" + c + "\"");
  if (In(syntax.extract, c)) {
  } else if (In(syntax.extractFlat, c)) {
    cmd.useFolders = false;
  } else if (In(syntax.test, c)) {
    cmd.action = Action::Test;
  } else if (In(syntax.list, c)) {
    cmd.action = Action::List;
  } else if (In(syntax.unsupported, c)) {
    cmd.action = Action::NotSupported;
  } else {
    return Fail("unknown command \"" + c + "\"");
  }
  std::vector<Token> positionals;
  bool switchesEnded = false;
  for (std::size_t i = 1; i < items.size(); ++i) {
    Token& t = items[i];
    if (switchesEnded || t.quoted || t.text.size() < 2 || t.text[0] != '-') {
      positionals.push_back(std::move(t));
    } else if (t.text == "--") {
      switchesEnded = true;
    } else if (In(syntax.overwriteOn, t.text)) {
      cmd.overwrite = true;
    } else if (In(syntax.overwriteOff, t.text)) {
      cmd.overwrite = false;
    } else if (In(syntax.flat, t.text)) {
      cmd.useFolders = false;
    } else if (!In(syntax.inert, t.text)) {
      return Fail("unknown switch \"" + t.text + "\"");
    }
  }
  TakePositionals(std::move(positionals), cmd, false);
  return cmd;
}

const DashSyntax& ZipSyntax() {
  static const DashSyntax s{{"-x"}, {}, {"-t"}, {"-l", "-v"},
                            {"-a", "-d", "-f", "-u", "-ru", "-A"},
                            {"-o"}, {"-n"}, {"-j"}, {"--i", "-q"}, false, true};
  return s;
}

const DashSyntax& CabSyntax() {
  static const DashSyntax s{{"-x"}, {}, {"-t"}, {"-l"}, {"-a", "-f"},
                            {"-o"}, {}, {"-j"}, {"-i", "-r", "-q"}, false, false};
  return s;
}

const DashSyntax& RarSyntax() {
  static const DashSyntax s{{"-x"}, {"-e"}, {"-t"}, {"-l", "-v"}, {"-a"},
                            {}, {"-u"}, {}, {"-y", "-s"}, true, false};
  return s;
}

// ---- TAR ---------------------------------------------------------------------------------

// "--name=N" with an integer N; false when `text` is not that switch.
bool LongNumber(std::string_view text, std::string_view name, std::optional<int>& value) {
  if (text.substr(0, name.size()) != name) return false;
  value = ParseInt(text.substr(name.size()));
  return true;
}

// "-z", "-z9", "-B", "-B1": a compression switch with an optional level.
bool Level(std::string_view text, std::string_view name) {
  return text.substr(0, name.size()) == name &&
         (text.size() == name.size() || ParseInt(text.substr(name.size())).has_value());
}

ParsedCommand ParseTar(std::vector<Token> items) {
  ParsedCommand cmd;
  cmd.command = items.front().text;
  const std::string& c = cmd.command;
  if (c == "x") {
  } else if (c == "t") {
    cmd.action = Action::List;
  } else if (c.size() == 1 && std::string_view("cruA").find(c[0]) != std::string_view::npos) {
    cmd.action = Action::NotSupported;
  } else {
    return Fail("unknown command \"" + c + "\"");
  }
  std::vector<Token> positionals;
  bool archiveGiven = false;
  bool switchesEnded = false;
  for (std::size_t i = 1; i < items.size(); ++i) {
    Token& t = items[i];
    std::string_view s = t.text;
    std::optional<int> n;
    if (switchesEnded || t.quoted || s.size() < 2 || s[0] != '-') {
      positionals.push_back(std::move(t));
    } else if (s == "--") {
      switchesEnded = true;
    } else if (s == "-f" || s == "-o") {
      if (i + 1 == items.size()) return Fail("\"" + t.text + "\" needs a name after it");
      std::string& target = s == "-f" ? cmd.archive : cmd.destDir;
      target = items[++i].text;
      if (s == "-f") archiveGiven = !target.empty();
    } else if (LongNumber(s, "--use-directory=", n)) {
      if (!n) return Fail("bad value in \"" + t.text + "\"");
      cmd.useFolders = *n != 0;
    } else if (LongNumber(s, "--check-all-path=", n) || LongNumber(s, "--display-dialog=", n)) {
      if (!n) return Fail("bad value in \"" + t.text + "\"");
    } else if (s == "--overwrite") {
      cmd.overwrite = true;
    } else if (!(s == "-AH" || s == "-I" || s == "-g" || Level(s, "-z") || Level(s, "-B"))) {
      return Fail("unknown switch \"" + t.text + "\"");
    }
  }
  if (!archiveGiven) return Fail("no archive name (-f \"name\") in the command line");
  TakePositionals(std::move(positionals), cmd, true);
  return cmd;
}

}  // namespace

ParsedCommand ParseCommandLine(Family family, std::string_view line) {
  Tokens tokens = Tokenize(line);
  if (!tokens.error.empty()) return Fail(tokens.error);
  if (tokens.items.empty()) return Fail("empty command line");
  ParsedCommand cmd;
  switch (family) {
    case Family::Lha:
    case Family::Arj:
      cmd = ParseLha(std::move(tokens.items));
      break;
    case Family::Zip:
      cmd = ParseDash(ZipSyntax(), std::move(tokens.items));
      break;
    case Family::Cab:
      cmd = ParseDash(CabSyntax(), std::move(tokens.items));
      break;
    case Family::Rar:
      cmd = ParseDash(RarSyntax(), std::move(tokens.items));
      break;
    case Family::Tar:
      cmd = ParseTar(std::move(tokens.items));
      break;
  }
  if (!cmd.error.empty()) return Fail(cmd.error);
  return cmd;
}

}  // namespace frontends
