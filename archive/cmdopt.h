// TCmdOpt: accumulates one library command line with fixed quoting and spacing. Every item
// is preceded by exactly one blank; values that may hold blanks are double-quoted; integer
// switches never are.
#pragma once

#include <string>

#include "archive/archiver_types.h"

namespace archive {

/// Rewrites one file name before it is written (the ZIP driver's escaping).
using TFileNameFilter = std::string (*)(const std::string& name);

class TCmdOpt {
 public:
  /// false: `"-joTMP"`; true: `-jo "TMP"` (the TAR family).
  bool SeparateValue = false;
  /// Applied to every name AddFile, AddFiles and AddListFile write.
  TFileNameFilter FileNameFilter = nullptr;
  /// The text built so far; begins with a blank once anything was appended.
  std::string CmdLine;

  /// Appends `text` unchanged; an empty text (or NoValue) still appends its blank.
  void Add(const std::string& text);
  /// Appends a quoted string switch; nothing for NoValue. A name starting with a blank is
  /// written without it and without a dash.
  void AddStr(const std::string& name, const std::string& value);
  /// Appends -<name><value>, unquoted; nothing for -1.
  void AddInt(const std::string& name, int value);
  /// Exactly AddStr.
  void AddPath(const std::string& name, const std::string& value);
  /// A folder: nothing when empty or NoValue; a final separator is added when missing.
  void AddDir(const std::string& name, const std::string& dir);
  /// A file name, through FileNameFilter when set.
  void AddFile(const std::string& name, const std::string& fileName);
  /// AddFile for every entry, first to last.
  void AddFiles(const std::string& name, const TStrings& list);
  /// Writes `listFileName` (one quoted, filtered name per line, CR LF ended) in one write,
  /// then appends "@<listFileName>" quoted. A file that cannot be written raises the
  /// platform's stream error and leaves CmdLine unchanged.
  void AddListFile(const TStrings& list, const std::string& listFileName);
};

}  // namespace archive
