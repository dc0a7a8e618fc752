// drive_library: extracts one archive with one of our library files, calling its command
// entry exactly as the program's drivers do, so that run.sh can time the whole process
// against other extractors.
//
//   drive_library [--owner] [--bin DIR] lha|zip|cab|tar|tgz ARCHIVE DESTDIR
//
// --owner registers a window whose procedure does nothing with P`SetOwnerWindowEx`, so the
// library sends its progress messages; without it none are sent. Prints the result code, the
// time inside the command entry, the messages received and the peak resident memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive/libapi.h"
#include "platform/winapi.h"

namespace {

struct Family {
  const char* name;
  const char* library;
  const char* prefix;
};

constexpr Family kFamilies[] = {
    {"lha", "UNLHA32.DLL", "Unlha"}, {"zip", "UNZIP32.DLL", "UnZip"},
    {"cab", "CAB32.DLL", "Cab"},     {"tar", "tar32.dll", "Tar"},
    {"tgz", "tar32.dll", "Tar"},
};

// The command line each driver builds for the program's extraction (options x = 1, n = 0,
// an owner window), with the same blanks.
std::string CommandLine(const std::string& family, const std::string& arc, const std::string& dir) {
  const std::string a = "\"" + arc + "\"", d = "\"" + dir + "\" ";
  if (family == "lha") return "x -+ -n1 -x1  " + a + " " + d;
  if (family == "zip") return "-x --i  " + a + " " + d;
  if (family == "cab") return "-x -i  " + a + " " + d;
  if (family == "tgz") return "x --use-directory=1 -z  -f " + a + " -o " + d;
  return "x --use-directory=1  -f " + a + " -o " + d;
}

int Usage() {
  std::fprintf(stderr,
               "usage: drive_library [--owner] [--bin DIR] lha|zip|cab|tar|tgz ARCHIVE DESTDIR\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool owner = false;
  std::string bin = platform::ProgramFolder();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--owner") == 0) {
      owner = true;
    } else if (std::strcmp(argv[i], "--bin") == 0 && i + 1 < argc) {
      bin = argv[++i];
    } else {
      args.emplace_back(argv[i]);
    }
  }
  if (args.size() != 3) return Usage();
  const Family* family = nullptr;
  for (const Family& f : kFamilies) {
    if (args[0] == f.name) family = &f;
  }
  if (!family) return Usage();

  platform::SetTrustedLibraryFolders({bin});
  platform::HMODULE lib = platform::LoadLibrary(family->library);
  if (!lib) {
    std::fprintf(stderr, "drive_library: cannot load %s from %s\n", family->library, bin.c_str());
    return 3;
  }
  const std::string prefix = family->prefix;
  auto command = reinterpret_cast<libapi::TCommandEntry>(platform::GetProcAddress(lib, prefix.c_str()));
  auto setOwner = reinterpret_cast<libapi::TSetOwnerWindowExEntry>(
      platform::GetProcAddress(lib, (prefix + "SetOwnerWindowEx").c_str()));
  auto killOwner = reinterpret_cast<libapi::TKillOwnerWindowExEntry>(
      platform::GetProcAddress(lib, (prefix + "KillOwnerWindowEx").c_str()));
  if (!command || !setOwner || !killOwner) {
    std::fprintf(stderr, "drive_library: %s lacks the %s entries\n", family->library, family->prefix);
    return 3;
  }

  // Counting is the only work: the point is what sending the messages costs the library.
  const platform::UINT message = platform::RegisterWindowMessage(libapi::kArcExtractMessage);
  unsigned long messages = 0, begins = 0;
  platform::HWND wnd = 0;
  if (owner) {
    wnd = platform::AllocateHWnd([&](platform::UINT msg, platform::WPARAM state, platform::LPARAM) {
      if (msg == message) {
        ++messages;
        if (state == libapi::kStateBegin) ++begins;
      }
      return platform::LRESULT{0};
    });
    if (!setOwner(wnd, nullptr)) {
      std::fprintf(stderr, "drive_library: %sSetOwnerWindowEx refused the window\n", family->prefix);
      return 3;
    }
  }

  std::string dir = platform::GetFullPathName(args[2]);
  if (dir.empty() || dir.back() != platform::PathDelim) dir += platform::PathDelim;
  const std::string line = CommandLine(family->name, platform::GetFullPathName(args[1]), dir);
  std::vector<char> output(8192);

  const auto start = std::chrono::steady_clock::now();
  const int code = command(wnd, line.c_str(), output.data(), static_cast<platform::DWORD>(output.size()));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  if (owner) {
    killOwner(wnd);
    platform::DeallocateHWnd(wnd);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("code=%d seconds=%.3f messages=%lu begins=%lu maxrss_kb=%ld\n", code, seconds,
              messages, begins, usage.ru_maxrss);
  if (code != 0) {
    output.back() = '\0';
    std::fprintf(stderr, "drive_library: %s returned 0x%x: %s\n", family->prefix,
                 static_cast<unsigned>(code), output.data());
    return 1;
  }
  return 0;
}
