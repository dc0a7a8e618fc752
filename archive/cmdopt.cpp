#include "archive/cmdopt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/mbcs.h"
#include "platform/sysutils.h"
#include "platform/winapi.h"

namespace archive {

namespace {

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// Writes all of `data` to `fd`; a short write is continued, an error reported as false.
bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

void TCmdOpt::Add(const std::string& text) {
  CmdLine += ' ';
  // An unset text adds only its blank: a NUL inside the line would cut it short for the library.
  if (text != NoValue) CmdLine += text;
}

void TCmdOpt::AddStr(const std::string& name, const std::string& value) {
  if (value == NoValue) return;
  if (name.empty()) {
    Add(Quoted(value));
    return;
  }
  // A leading blank asks for the name as it is, without the dash.
  std::string sw = name[0] == ' ' ? name.substr(1) : '-' + name;
  if (SeparateValue)
    Add(sw + ' ' + Quoted(value));
  else
    Add(Quoted(sw + value));
}

void TCmdOpt::AddInt(const std::string& name, int value) {
  if (value == -1) return;
  Add('-' + name + std::to_string(value));
}

void TCmdOpt::AddPath(const std::string& name, const std::string& value) { AddStr(name, value); }

void TCmdOpt::AddDir(const std::string& name, const std::string& dir) {
  if (dir.empty() || dir == NoValue) return;
  if (mbcs::LastCharIs(dir, platform::PathDelim))
    AddPath(name, dir);
  else
    AddPath(name, dir + platform::PathDelim);
}

void TCmdOpt::AddFile(const std::string& name, const std::string& fileName) {
  AddPath(name, FileNameFilter ? FileNameFilter(fileName) : fileName);
}

void TCmdOpt::AddFiles(const std::string& name, const TStrings& list) {
  for (const auto& entry : list) AddFile(name, entry);
}

void TCmdOpt::AddListFile(const TStrings& list, const std::string& listFileName) {
  std::string content;
  for (const auto& entry : list) {
    content += '"';
    content += FileNameFilter ? FileNameFilter(entry) : entry;
    content += "\"\r\n";
  }

  int fd = ::open(listFileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0)
    throw platform::EFCreateError("Cannot create file \"" + listFileName + "\". " +
                                  std::strerror(errno));
  bool written = WriteAll(fd, content);
  int writeErrno = errno;
  // A failed close can be the first report of a failed write (full disk on some file systems).
  bool closed = ::close(fd) == 0;
  if (!written || !closed)
    throw platform::EWriteError("Stream write error: \"" + listFileName + "\". " +
                                std::strerror(written ? errno : writeErrno));

  AddPath("", "@" + listFileName);
}

}  // namespace archive
