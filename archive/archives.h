// TArchiveFile, the component callers use: it picks the driver from the file name, unpacks
// through it and relays the library's progress messages to the caller's handler.
#pragma once

#include <memory>
#include <string>

#include "archive/archiver.h"
#include "archive/archiver_types.h"
#include "archive/options.h"
#include "platform/classes.h"
#include "platform/winapi.h"

namespace archive {

class TArchiveFile : public platform::TComponent {
 public:
  /// No driver, no window, no registration; ArchiverType atAutoDetect.
  explicit TArchiveFile(platform::TComponent* Owner);
  /// Releases the relay window, then the driver, then the options.
  ~TArchiveFile() override;

  // Published properties, in the order a form applies them.

  const std::string& FileName() const { return FileName_; }
  /// Selects the driver DetectArchiverType(value, true) names, then stores the name. When
  /// that raises (the library is missing) nothing changes.
  void SetFileName(const std::string& value);

  /// The size in bytes of the buffer the library writes its text output into.
  int OutputSize() const { return static_cast<int>(Output_.size()); }
  /// Resizes the buffer keeping its contents, then empties its text (first byte NUL). A
  /// negative size raises EArchiver.
  void SetOutputSize(int size);

  /// The options Unpack uses when it is given none; owned.
  TArchiverOptions& Options() { return *Options_; }

  TArchiverType ArchiverType() const { return ArchiverType_; }
  /// atLha..atRar: a new driver of that type (even for the current type), replacing the old
  /// one only once made; atNone: nothing; atAutoDetect: the type only. Any other value raises
  /// "現在のバージョンではこの形式の書庫をサポートしていません。" unless csReading.
  void SetArchiverType(TArchiverType value);

  const TArchiverProgressEvent& OnProgress() const { return OnProgress_; }
  void SetOnProgress(TArchiverProgressEvent handler) { OnProgress_ = std::move(handler); }

  /// Extracts FileName into Dir through the driver (Options: the component's own when null;
  /// Files: null for every item) and returns the library's result unchanged. Raises
  /// "書庫の形式を判別できません。" without a driver. With a progress handler, the library
  /// reports to a hidden window of this component whose messages reach the handler.
  int Unpack(HWND Wnd, const TArchiverOptions* Options, const std::string& Dir,
             const TStrings* Files);

  /// The current driver, or null.
  TArchiver* Archiver() const { return Archiver_.get(); }
  /// The driver's command line after the last Unpack that returned.
  const std::string& CommandLine() const { return CommandLine_; }
  /// The output buffer (OutputSize bytes).
  const std::string& Output() const { return Output_; }
  /// The hidden relay window, 0 until the first Unpack with a progress handler.
  HWND RelayWindow() const { return RelayWindow_; }

 private:
  void AttachRelay();
  void DetachRelay();
  platform::LRESULT RelayProc(platform::UINT msg, platform::WPARAM wParam,
                              platform::LPARAM lParam);

  TArchiverType ArchiverType_ = atAutoDetect;
  std::unique_ptr<TArchiver> Archiver_;
  std::unique_ptr<TArchiverOptions> Options_;
  std::string FileName_;
  std::string CommandLine_;
  std::string Output_;
  HWND RelayWindow_ = 0;
  TArchiverProgressEvent OnProgress_;
};

/// The archiver type of `FileName`: by its last extension (letters a-z compared without case)
/// when ByExtension, where ".exe" and ByExtension false ask every library in turn (tar, RAR,
/// ARJ, CAB, ZIP, LHA; a later positive answer wins). atNone when nothing matches.
TArchiverType DetectArchiverType(const std::string& FileName, bool ByExtension);

}  // namespace archive
