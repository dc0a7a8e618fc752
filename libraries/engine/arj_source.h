// Item source over our own ARJ reader (libarchive reads no ARJ).
#pragma once

#include <memory>
#include <string>

#include "names.h"
#include "source.h"

namespace arj {
class Reader;
}

namespace engine {

/// Items of an ARJ archive, read by our ARJ reader.
class ArjSource : public ItemSource {
 public:
  ArjSource();
  ~ArjSource() override;

  /// Opens `path` and finds its main header (past a self-extractor stub); false with
  /// Error() set when it holds no ARJ archive.
  bool Open(const std::string& path);

  ReadStatus Next(Entry& entry) override;
  ReadStatus ReadData(const BlockSink& sink) override;
  std::string Error() const override { return error_; }
  int LastErrorCode() const override { return errorCode_; }
  bool HardlinksPossible() const override { return false; }

 private:
  ReadStatus Fail();

  int fd_ = -1;
  std::unique_ptr<arj::Reader> reader_;
  std::string error_;
  int errorCode_ = kErrFormat;
  bool isDirectory_ = false;
  NameDecoder names_;
};

}  // namespace engine
