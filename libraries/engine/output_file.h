// One extracted file on its way into place: written under a temporary name in its target
// folder (an unnamed O_TMPFILE where the file system has it), then linked in under its final
// name only when complete, without ever replacing or writing through what is there.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

/// How a finished file was put in place.
enum class Placement { New, Replaced, Renamed, Identical, Failed };

/// One object serves every file of a run, so that its buffer is allocated once.
class OutputFile {
 public:
  /// `unnamedTemp` false: always a named temporary file, as on file systems without
  /// O_TMPFILE (tests use it to reach that path).
  explicit OutputFile(bool unnamedTemp = true);
  ~OutputFile();  ///< discards an uncommitted file
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Starts a temporary file in the folder `dirfd` (discarding any uncommitted one). False
  /// with Errno() set on failure.
  bool Create(int dirfd);
  /// Appends data at `offset` (beyond the end leaves a hole). False with errno on failure.
  bool Write(const void* data, std::size_t size, std::uint64_t offset);
  /// Flushes, extends to `size` when shorter, sets permissions and the time (if any).
  bool Finish(std::uint64_t size, mode_t mode, const std::int64_t* mtime);
  /// Puts the file in place as `name` in its folder. Without `overwrite` an existing entry
  /// is never touched: identical content counts as Identical, otherwise the file gets a
  /// free name "stem (n).ext", returned in `placedName`.
  Placement Commit(const std::string& name, bool overwrite, std::string& placedName);
  /// Drops the temporary file.
  void Discard();
  /// errno of the last failure.
  int Errno() const { return err_; }

 private:
  bool Flush();
  bool LinkNoReplace(const std::string& name);
  bool SameContent(const std::string& name);
  bool LinkAsTemp();

  bool unnamedTemp_ = true;
  int dirfd_ = -1;
  int fd_ = -1;
  std::string tempName_;  // empty for an unnamed O_TMPFILE
  std::vector<char> buffer_;
  std::size_t buffered_ = 0;
  std::uint64_t bufferStart_ = 0;  // file offset of buffer_[0]
  std::uint64_t end_ = 0;          // logical end of what was written
  std::uint64_t finalSize_ = 0;
  int err_ = 0;
};

/// "stem (n).ext" for "stem.ext" (a leading dot does not start an extension).
std::string NumberedName(const std::string& name, unsigned n);

}  // namespace engine
