// Item source over libarchive: LHA, ZIP, CAB, TAR (plain or compressed), RAR v4/v5 and
// single compressed files, with self-extracting .exe files found where libarchive can.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "names.h"
#include "source.h"

struct archive;

namespace engine {

/// Items of an archive that libarchive reads.
class LibarchiveSource : public ItemSource {
 public:
  /// Readers of `format` only (Unknown: every family libarchive reads for us).
  explicit LibarchiveSource(Format format);
  ~LibarchiveSource() override;

  /// Opens `path`, whose archive starts at `offset` (past a self-extractor's stub); false
  /// with Error() set when it cannot be read as an archive we accept.
  bool Open(const std::string& path, std::uint64_t offset = 0);

  ReadStatus Next(Entry& entry) override;
  ReadStatus ReadData(const BlockSink& sink) override;
  std::string Error() const override { return error_; }
  int LastErrorCode() const override { return errorCode_; }
  bool HardlinksPossible() const override;

  /// Reading from an offset: the file, and where the archive starts in it (for the read
  /// callbacks).
  struct Window {
    int fd = -1;
    std::uint64_t base = 0;
    std::vector<char> buffer;
  };

 private:
  ReadStatus Fail(int rc);
  std::string SingleFileName() const;
  std::string LostName();
  std::string DecodeName(const char* name) const;

  Format format_;
  struct archive* a_ = nullptr;
  std::string path_;
  std::string error_;
  int errorCode_ = kErrFormat;
  bool first_ = true;
  bool raw_ = false;   // a single compressed file: one item named after the archive
  Window window_;
  mutable NameDecoder names_;
  std::size_t index_ = 0;                 // headers read so far
  std::vector<std::string> cabNames_;     // stored names, read when libarchive lost one
  bool cabNamesRead_ = false;  // keeps its converter state between names
};

}  // namespace engine
