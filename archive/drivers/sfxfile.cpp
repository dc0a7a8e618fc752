#include "archive/drivers/sfxfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/drivers/pathutil.h"
#include "platform/sysutils.h"
#include "platform/winapi.h"

namespace archive {

namespace {

constexpr std::size_t kPathBufferSize = 512;

// Closes a descriptor when the copy ends, whichever way it ends.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

int OpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    throw platform::EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(errno));
  return fd;
}

void CopyAll(int from, int to, const std::string& fromName, const std::string& toName) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      throw platform::EStreamError("Read error on \"" + fromName + "\". " + std::strerror(errno));
    }
    if (got == 0) return;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        throw platform::EWriteError("Stream write error on \"" + toName + "\". " +
                                    std::strerror(errno));
      }
      done += put;
    }
  }
}

}  // namespace

std::string FindSelfExtractorStub(const std::string& fileName) {
  std::string stub = platform::SearchPath(fileName);
  return stub.size() < kPathBufferSize ? stub : std::string();
}

std::string SelfExtractorName(const std::string& archive, const std::string& dir) {
  const std::string name = ChangeFileExt(archive, ".EXE");
  return dir.empty() ? name : JoinPath(dir, ExtractFileName(name));
}

void WriteSelfExtractor(const std::string& stub, const std::string& archive,
                        const std::string& output) {
  FileHandle in(OpenForReading(archive));
  std::string temp = output + ".XXXXXX";
  FileHandle out(::mkostemp(temp.data(), O_CLOEXEC));
  if (out.get() < 0)
    throw platform::EFCreateError("Cannot create file \"" + output + "\". " +
                                  std::strerror(errno));
  try {
    FileHandle head(OpenForReading(stub));
    CopyAll(head.get(), out.get(), stub, output);
    CopyAll(in.get(), out.get(), archive, output);
    // The stub is a program: the result should be runnable like it.
    struct stat st {};
    if (::fstat(head.get(), &st) == 0) ::fchmod(out.get(), st.st_mode & 0777);
    if (::close(out.release()) != 0)
      throw platform::EWriteError("Stream write error on \"" + output + "\". " +
                                  std::strerror(errno));
    if (::rename(temp.c_str(), output.c_str()) != 0)
      throw platform::EFCreateError("Cannot create file \"" + output + "\". " +
                                    std::strerror(errno));
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

}  // namespace archive
