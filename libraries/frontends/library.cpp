#include "libraries/frontends/library.h"

#include <cstdio>

#include "libraries/frontends/command_line.h"
#include "libraries/frontends/copy_text.h"
#include "libraries/frontends/wildcard.h"

namespace frontends {
namespace {

engine::Format PrimaryFormat(Family family) {
  switch (family) {
    case Family::Lha:
      return engine::Format::Lha;
    case Family::Arj:
      return engine::Format::Arj;
    case Family::Zip:
      return engine::Format::Zip;
    case Family::Cab:
      return engine::Format::Cab;
    case Family::Tar:
      return engine::Format::Tar;
    case Family::Rar:
      return engine::Format::Rar;
  }
  return engine::Format::Unknown;
}

const char* FamilyName(Family family) {
  switch (family) {
    case Family::Lha:
      return "LHA";
    case Family::Arj:
      return "ARJ";
    case Family::Zip:
      return "ZIP";
    case Family::Cab:
      return "CAB";
    case Family::Tar:
      return "tar/gzip/bzip2";
    case Family::Rar:
      return "RAR";
  }
  return "";
}

// Warnings (0x8001 up to the first error code) still mean the work was done.
bool Succeeded(int code) {
  return code == engine::kOk || (code > 0x8000 && code < engine::kErrCommand);
}

engine::Command EngineCommand(Action action) {
  switch (action) {
    case Action::Test:
      return engine::Command::Test;
    case Action::List:
      return engine::Command::List;
    default:
      return engine::Command::Extract;
  }
}

std::string Listing(const std::vector<engine::Item>& items) {
  std::string out;
  char size[32];
  for (const engine::Item& item : items) {
    std::snprintf(size, sizeof size, "%12llu  ", static_cast<unsigned long long>(item.size));
    out += size;
    out += item.name;
    if (item.isDirectory) out += '/';
    out += '\n';
  }
  return out;
}

}  // namespace

Library::Library(Family family)
    : family_(family),
      listings_(
          [family](const std::string& path, bool& ok) {
            engine::Request request;
            request.command = engine::Command::List;
            request.archive = path;
            request.format = engine::Probe(path);
            if (request.format == engine::Format::Unknown) request.format = PrimaryFormat(family);
            engine::Result result = engine::Run(request);
            ok = Succeeded(result.code);
            return std::move(result.items);
          },
          family == Family::Zip) {}

bool Library::OfFamily(engine::Format format) const {
  if (family_ == Family::Tar) {
    return format == engine::Format::Tar || format == engine::Format::Compressed;
  }
  return format == PrimaryFormat(family_);
}

int Library::Command(platform::HWND, const char* cmdLine, char* output,
                     platform::DWORD size) noexcept {
  std::string text;
  int code = engine::kErrInternal;
  try {
    ParsedCommand cmd = ParseCommandLine(family_, cmdLine ? cmdLine : "");
    if (!cmd.error.empty()) {
      code = engine::kErrCommand;
      text = cmd.error + "\n";
    } else if (cmd.action == Action::NotSupported) {
      code = engine::kErrNotSupported;
      text = "the command \"" + cmd.command + "\" is not supported yet: this library only reads " +
             FamilyName(family_) + " archives\n";
    } else {
      code = Run(cmd, text);
    }
  } catch (const std::exception& e) {
    code = engine::kErrInternal;
    text = std::string("internal error: ") + e.what() + "\n";
  } catch (...) {
    code = engine::kErrInternal;
    text = "internal error\n";
  }
  try {
    CopyText(text, output, size);
  } catch (...) {
  }
  return code;
}

int Library::Run(const ParsedCommand& cmd, std::string& text) {
  engine::Request request;
  request.command = EngineCommand(cmd.action);
  request.archive = cmd.archive;
  request.destDir = cmd.destDir;
  request.useFolders = cmd.useFolders;
  request.overwrite = cmd.overwrite;
  engine::Format probed = engine::Probe(cmd.archive);
  if (probed != engine::Format::Unknown && !OfFamily(probed)) {
    text = cmd.archive + " is not a " + FamilyName(family_) + " archive\n";
    return engine::kErrOpen;
  }
  request.format = probed == engine::Format::Unknown ? PrimaryFormat(family_) : probed;

  // The engine takes "*" and "?" only; ZIP classes and LHA exclusions are settled here by
  // listing first and passing the chosen items by index (a chosen folder's name would also
  // select the excluded files inside it).
  bool direct = cmd.excludes.empty();
  for (const std::string& p : cmd.patterns) {
    std::string enginePattern = p;
    if (cmd.bracketClasses && !ToEnginePattern(p, enginePattern)) direct = false;
    request.patterns.push_back(std::move(enginePattern));
  }
  if (!direct) {
    engine::Request list = request;
    list.command = engine::Command::List;
    list.patterns.clear();
    engine::Result listed = engine::Run(list);
    if (!Succeeded(listed.code)) {
      text = listed.text;
      return listed.code;
    }
    request.patterns.clear();
    for (const engine::Item& item : listed.items) {
      bool chosen = cmd.patterns.empty();
      for (const std::string& p : cmd.patterns) {
        chosen = chosen || WildcardMatch(p, item.name, cmd.bracketClasses);
      }
      for (const std::string& x : cmd.excludes) {
        chosen = chosen && !WildcardMatch(x, item.name, false);
      }
      if (chosen) request.indices.push_back(item.index);
    }
    if (request.indices.empty()) {
      text = "no item of " + cmd.archive + " was selected\n";
      return engine::kOk;
    }
  }

  bool aborted = false;
  engine::Result result = engine::Run(request, owner_.Reporter(cmd.archive, aborted));
  text = cmd.action == Action::List ? Listing(result.items) + result.text : result.text;
  if (aborted && result.code != engine::kErrAborted) {
    result.code = engine::kErrAborted;
    text += "stopped at the owner window's request\n";
  }
  return result.code;
}

libapi::HARC Library::OpenArchive(platform::HWND, const char* fileName,
                                  platform::DWORD mode) noexcept {
  try {
    if (!fileName || !OfFamily(engine::Probe(fileName))) return 0;
    return listings_.Open(fileName, mode != libapi::kProbeOpenMode);
  } catch (...) {
    return 0;
  }
}

int Library::CloseArchive(libapi::HARC arc) noexcept {
  try {
    return listings_.Close(arc);
  } catch (...) {
    return -1;
  }
}

int Library::FindFirst(libapi::HARC arc, const char* wildName,
                       libapi::INDIVIDUALINFO* info) noexcept {
  try {
    return listings_.FindFirst(arc, wildName, info);
  } catch (...) {
    return -3;
  }
}

int Library::FindNext(libapi::HARC arc, libapi::INDIVIDUALINFO* info) noexcept {
  try {
    return listings_.FindNext(arc, info);
  } catch (...) {
    return -3;
  }
}

platform::BOOL Library::CheckArchive(const char* fileName, int) noexcept {
  try {
    if (!fileName) return 0;
    engine::Format probed = engine::Probe(fileName);
    if (probed != engine::Format::Unknown && !OfFamily(probed)) return 0;
    engine::Request request;
    request.command = engine::Command::Test;
    request.archive = fileName;
    request.format = probed == engine::Format::Unknown ? PrimaryFormat(family_) : probed;
    return engine::Run(request).code == engine::kOk ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

platform::BOOL Library::SetOwnerWindowEx(platform::HWND wnd, void* callback) noexcept {
  try {
    return owner_.Set(wnd, callback) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

platform::BOOL Library::KillOwnerWindowEx(platform::HWND wnd) noexcept {
  try {
    return owner_.Kill(wnd) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int Library::Pack(const char* cmdLine, char* output, platform::DWORD size) noexcept {
  try {
    Tokens tokens = Tokenize(cmdLine ? cmdLine : "");
    if (!tokens.error.empty() || tokens.items.empty()) {
      CopyText(tokens.error.empty() ? "empty command line\n" : tokens.error + "\n", output, size);
      return engine::kErrCommand;
    }
    CopyText("making ZIP archives is not supported yet\n", output, size);
    return engine::kErrNotSupported;
  } catch (...) {
    return engine::kErrInternal;
  }
}

}  // namespace frontends
