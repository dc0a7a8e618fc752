// The destination folder as the engine writes into it: every entry placed beneath it through
// directory handles (never by path strings), files through temporary files, links only
// when they stay inside, existing entries never replaced unless asked.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "dir_tree.h"
#include "output_file.h"
#include "source.h"

namespace engine {

/// Where an entry lands: its folder below the destination and its name in that folder.
struct Target {
  std::vector<std::string> folder;
  std::string name;
};

/// What became of an entry.
struct Outcome {
  enum Kind { Placed, Renamed, Identical, Refused, Failed };
  Kind kind = Placed;
  std::string name;  ///< the name used in the target folder (Renamed: the free name)
  std::string why;   ///< Refused: the reason
  int err = 0;       ///< Failed: errno
};

/// Puts entries in place beneath one destination folder.
class Destination {
 public:
  /// `useFolders` false puts every file straight into `dir`; `overwrite` replaces files.
  Destination(std::string dir, bool useFolders, bool overwrite);

  /// Opens the folder, creating it when missing.
  bool Open(std::string& error);
  /// Whether files placed are remembered as targets for hard links (formats without hard
  /// links need not spend the memory).
  void SetHardlinks(bool possible) { hardlinks_ = possible; }

  /// Where the member `name` lands; false with `why` when the name would lead out.
  bool TargetOf(const std::string& name, Target& target, std::string& why) const;
  /// The path of `target` as the user sees it (the folder given, then the target).
  std::string PathOf(const Target& target) const;

  /// Makes the target's folder and starts its temporary file, which File() then receives.
  Outcome BeginFile(const Target& target);
  OutputFile& File() { return out_; }
  /// Completes the file begun last (size, permissions, time) and puts it in place.
  Outcome CommitFile(const Entry& entry, const Target& target);
  /// Drops the file begun last.
  void AbandonFile() { out_.Discard(); }

  /// Makes a folder entry (its time is set by Close).
  Outcome Folder(const Entry& entry, const Target& target);
  /// Makes a symbolic link, only when its target stays inside.
  Outcome Symlink(const Entry& entry, const Target& target);
  /// Makes a hard link, only to a file this destination placed itself.
  Outcome Hardlink(const Entry& entry, const Target& target);

  /// Sets the folders' times once their contents are in place.
  void Close() { tree_.ApplyTimes(); }

 private:
  Outcome FolderOf(const Target& target, int& fd);
  void Remember(const std::string& member, const Target& target, const std::string& name);

  std::string dir_;
  bool useFolders_;
  bool overwrite_;
  bool hardlinks_ = true;
  mode_t umask_;
  DirTree tree_;
  OutputFile out_;
  // Files placed so far, for hard links: member name, normalised -> "folder/name" placed.
  // Bounded, so that memory stays small on archives of millions of files.
  std::unordered_map<std::string, std::string> placed_;
};

}  // namespace engine
