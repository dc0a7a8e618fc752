#include "archive/archives.h"

#include <utility>

#include "archive/drivers/arj32.h"
#include "archive/drivers/cab32.h"
#include "archive/drivers/lha32.h"
#include "archive/drivers/rar32.h"
#include "archive/drivers/tar32.h"
#include "archive/drivers/zip32.h"
#include "platform/mbcs.h"

namespace archive {

namespace {

// Registered on first need and shared by every component for the life of the process.
platform::UINT ArcExtractMessage = 0;

std::unique_ptr<TArchiver> NewDriver(TArchiverType type) {
  switch (type) {
    case atLha:
      return std::make_unique<TLha32>();
    case atZip:
      return std::make_unique<TZip32>();
    case atCab:
      return std::make_unique<TCab32>();
    case atArj:
      return std::make_unique<TArj32>();
    case atTar:
      return std::make_unique<TTar32>();
    case atTgz:
      return std::make_unique<TTgz32>();
    case atBZ2:
      return std::make_unique<TBZ232>();
    case atRar:
      return std::make_unique<TRar32>();
    default:
      return nullptr;
  }
}

struct ExtensionType {
  const char* ext;
  TArchiverType type;
};

constexpr ExtensionType kExtensions[] = {
    {".lzh", atLha}, {".zip", atZip}, {".cab", atCab}, {".arj", atArj},
    {".tar", atTar}, {".z", atTgz},   {".gz", atTgz},  {".tgz", atTgz},
    {".taz", atTgz}, {".bz2", atBZ2}, {".rar", atRar},
};

// From the last "." after the last folder separator, the dot included; empty when none.
std::string ExtensionOf(const std::string& fileName) {
  const std::string delimiters{platform::PathDelim, '.'};
  const std::size_t i = mbcs::LastDelimiter(delimiters, fileName);
  if (i == std::string::npos || fileName[i] != '.') return {};
  return fileName.substr(i);
}

}  // namespace

TArchiveFile::TArchiveFile(platform::TComponent* Owner)
    : platform::TComponent(Owner), Options_(std::make_unique<TArchiverOptions>()) {}

TArchiveFile::~TArchiveFile() {
  if (RelayWindow_ != 0) platform::DeallocateHWnd(RelayWindow_);
  Archiver_.reset();
  Options_.reset();
}

void TArchiveFile::SetFileName(const std::string& value) {
  SetArchiverType(DetectArchiverType(value, true));
  FileName_ = value;
}

void TArchiveFile::SetOutputSize(int size) {
  if (size < 0) throw EArchiver("OutputSize に負の値は設定できません。");
  Output_.resize(static_cast<std::size_t>(size));
  if (size > 0) Output_[0] = '\0';
}

void TArchiveFile::SetArchiverType(TArchiverType value) {
  if (value <= atRar) {
    auto driver = NewDriver(value);  // raises before anything changes
    Archiver_ = std::move(driver);
    ArchiverType_ = value;
  } else if (value == atNone) {
    // no format recognised: keep the current driver and type
  } else if (value == atAutoDetect) {
    ArchiverType_ = atAutoDetect;
  } else if (ComponentState() & platform::csReading) {
    ArchiverType_ = value;
  } else {
    throw EArchiver("現在のバージョンではこの形式の書庫をサポートしていません。");
  }
}

int TArchiveFile::Unpack(HWND Wnd, const TArchiverOptions* Options, const std::string& Dir,
                         const TStrings* Files) {
  if (!Archiver_) throw EArchiver("書庫の形式を判別できません。");
  AttachRelay();
  const TArchiverOptions& options = Options ? *Options : *Options_;
  const int result = Archiver_->Unpack(Wnd, FileName_, options, Dir, Files,
                                       options.ResFileUsage.Contains(ruOnUnpack), Output_);
  DetachRelay();
  CommandLine_ = Archiver_->CommandLine;
  return result;
}

void TArchiveFile::AttachRelay() {
  if (!OnProgress_) return;
  if (ArcExtractMessage == 0)
    ArcExtractMessage = platform::RegisterWindowMessage(libapi::kArcExtractMessage);
  if (RelayWindow_ == 0)
    RelayWindow_ = platform::AllocateHWnd(
        [this](platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam) {
          return RelayProc(msg, wParam, lParam);
        });
  // Without the owner window the extraction still runs, only without progress reports.
  try {
    Archiver_->SetOwnerWindow(RelayWindow_, nullptr);
  } catch (...) {
  }
}

void TArchiveFile::DetachRelay() {
  if (!OnProgress_) return;
  try {
    Archiver_->KillOwnerWindow(RelayWindow_);
  } catch (...) {
  }
}

platform::LRESULT TArchiveFile::RelayProc(platform::UINT msg, platform::WPARAM wParam,
                                          platform::LPARAM lParam) {
  if (ArcExtractMessage == 0 || msg != ArcExtractMessage) return 0;
  bool abort = false;
  if (OnProgress_)
    OnProgress_(this, static_cast<int>(wParam), reinterpret_cast<libapi::LPEXTRACTINGINFOEX>(lParam),
                abort);
  return abort ? 1 : 0;
}

TArchiverType DetectArchiverType(const std::string& FileName, bool ByExtension) {
  TArchiverType result = atNone;
  if (ByExtension) {
    const std::string ext = mbcs::AnsiLowerCase(ExtensionOf(FileName));
    if (ext == ".exe") return DetectArchiverType(FileName, false);
    for (const auto& e : kExtensions)
      if (ext == e.ext) result = e.type;
    return result;
  }
  // Every probe runs, so every present library is loaded; later answers take priority.
  result = GetTarArchiverType(FileName);
  if (IsRarArchive(FileName)) result = atRar;
  if (IsArjArchive(FileName)) result = atArj;
  if (IsCabArchive(FileName)) result = atCab;
  if (IsZipArchive(FileName)) result = atZip;
  if (IsLhaArchive(FileName)) result = atLha;
  return result;
}

}  // namespace archive
