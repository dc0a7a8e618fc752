// Item source over libarchive: LHA, ZIP, CAB, TAR (plain or compressed), RAR v4/v5 and
// single compressed files, with self-extracting .exe files found where libarchive can.
#pragma once

#include <memory>
#include <string>

#include "engine.h"
#include "names.h"
#include "source.h"

struct archive;

namespace engine {

class LibarchiveSource : public ItemSource {
 public:
  /// Readers of `format` only (Unknown: every family libarchive reads for us).
  explicit LibarchiveSource(Format format);
  ~LibarchiveSource() override;

  /// Opens `path`; false with Error() set when it cannot be read as an archive we accept.
  bool Open(const std::string& path);

  ReadStatus Next(Entry& entry) override;
  ReadStatus ReadData(const BlockSink& sink) override;
  std::string Error() const override { return error_; }
  bool LastErrorWasCrc() const override { return crc_; }

 private:
  ReadStatus Fail(int rc);
  std::string SingleFileName() const;

  Format format_;
  struct archive* a_ = nullptr;
  std::string path_;
  std::string error_;
  bool crc_ = false;
  bool first_ = true;
  bool raw_ = false;   // a single compressed file: one item named after the archive
  mutable NameDecoder names_;  // keeps its converter state between names
};

}  // namespace engine
