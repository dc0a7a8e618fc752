// A recording archiver library: exports one family's entries under the prefix given by the
// build (REC_PREFIX for the inspection entries, REC_COMMAND and REC_COMMAND2 for the command
// entries), records every call, and can report progress to its owner window. Built in
// variants lacking chosen entries (REC_OMIT_OWNER, REC_OMIT_FINDNEXT, REC_COMMAND_ONLY).
#include <cstring>
#include <vector>

#include "tests/recording/recording.h"

#define REC_CAT2(a, b) a##b
#define REC_CAT(a, b) REC_CAT2(a, b)
#define REC_STR2(x) #x
#define REC_STR(x) REC_STR2(x)
#define REC_ENTRY(suffix) REC_CAT(REC_PREFIX, suffix)

using libapi::HARC;
using libapi::INDIVIDUALINFO;
using platform::BOOL;
using platform::DWORD;
using platform::HWND;
using recording::Call;

extern "C" long RecordingNextSequence();

namespace {

std::vector<Call> calls;
std::int64_t result = 0;
std::int64_t openHandle = 0;
std::int64_t archiveType = 0;
std::string progressItem;
std::int64_t lastReply = -1;
HWND owner = 0;

Call& Record(const char* entry, HWND wnd, const char* text) {
  Call c{};
  std::strncpy(c.entry, entry, sizeof c.entry - 1);
  c.sequence = RecordingNextSequence();
  c.wnd = wnd;
  if (text) std::strncpy(c.text, text, sizeof c.text - 1);
  calls.push_back(c);
  return calls.back();
}

int Command(const char* entry, HWND wnd, const char* cmdLine, char* output, DWORD size) {
  Call& c = Record(entry, wnd, cmdLine);
  c.bufferNull = output == nullptr;
  c.size = size;
  if (!progressItem.empty() && owner != 0) {
    libapi::EXTRACTINGINFOEX info{};
    std::strncpy(info.szSourceFileName, progressItem.c_str(), libapi::kNameMax);
    const auto msg = platform::RegisterWindowMessage(libapi::kArcExtractMessage);
    lastReply = platform::SendMessage(owner, msg, libapi::kStateBegin,
                                      reinterpret_cast<platform::LPARAM>(&info));
  }
  return static_cast<int>(result);
}

}  // namespace

extern "C" {

int RecordingCount() { return static_cast<int>(calls.size()); }
const Call* RecordingGet(int index) { return &calls.at(static_cast<std::size_t>(index)); }
void RecordingClear() {
  calls.clear();
  result = openHandle = archiveType = 0;
  progressItem.clear();
  lastReply = -1;
  owner = 0;
}
void RecordingSetResult(std::int64_t v) { result = v; }
void RecordingSetOpenHandle(std::int64_t v) { openHandle = v; }
void RecordingSetArchiveType(std::int64_t v) { archiveType = v; }
void RecordingSetProgressItem(const char* name) { progressItem = name; }
std::int64_t RecordingLastReply() { return lastReply; }

int REC_COMMAND(HWND wnd, const char* cmdLine, char* output, DWORD size) {
  return Command(REC_STR(REC_COMMAND), wnd, cmdLine, output, size);
}

#ifdef REC_COMMAND2
int REC_COMMAND2(HWND wnd, const char* cmdLine, char* output, DWORD size) {
  return Command(REC_STR(REC_COMMAND2), wnd, cmdLine, output, size);
}
#endif

#ifndef REC_COMMAND_ONLY
HARC REC_ENTRY(OpenArchive)(HWND wnd, const char* fileName, DWORD mode) {
  Record(REC_STR(REC_ENTRY(OpenArchive)), wnd, fileName).mode = mode;
  return static_cast<HARC>(openHandle);
}

int REC_ENTRY(CloseArchive)(HARC arc) {
  Record(REC_STR(REC_ENTRY(CloseArchive)), 0, nullptr).mode = static_cast<std::int64_t>(arc);
  return 0;
}

int REC_ENTRY(FindFirst)(HARC arc, const char* wildName, INDIVIDUALINFO*) {
  Record(REC_STR(REC_ENTRY(FindFirst)), 0, wildName).mode = static_cast<std::int64_t>(arc);
  return libapi::kFindEnd;
}

#ifndef REC_OMIT_FINDNEXT
int REC_ENTRY(FindNext)(HARC arc, INDIVIDUALINFO*) {
  Record(REC_STR(REC_ENTRY(FindNext)), 0, nullptr).mode = static_cast<std::int64_t>(arc);
  return libapi::kFindEnd;
}
#endif

int REC_ENTRY(CheckArchive)(const char* fileName, int mode) {
  Record(REC_STR(REC_ENTRY(CheckArchive)), 0, fileName).mode = mode;
  return 1;
}

#ifndef REC_OMIT_OWNER
BOOL REC_ENTRY(SetOwnerWindowEx)(HWND wnd, void* callback) {
  Record(REC_STR(REC_ENTRY(SetOwnerWindowEx)), wnd, nullptr).callbackNull = callback == nullptr;
  owner = wnd;
  return 1;
}

BOOL REC_ENTRY(KillOwnerWindowEx)(HWND wnd) {
  Record(REC_STR(REC_ENTRY(KillOwnerWindowEx)), wnd, nullptr);
  owner = 0;
  return 1;
}
#endif
#endif  // REC_COMMAND_ONLY

#ifdef REC_TAR
int TarGetArchiveType(const char* fileName) {
  Record("TarGetArchiveType", 0, fileName);
  return static_cast<int>(archiveType);
}
#endif

}  // extern "C"
