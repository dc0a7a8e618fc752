// The one engine behind every archiver library: it lists, tests and extracts an archive of
// any family we read, safely, reporting progress per item. The front ends only translate
// their family's command line into a Request.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace engine {

/// Archive families the engine reads.
enum class Format { Unknown, Lha, Zip, Cab, Arj, Tar, Rar, Compressed /* single .gz/.bz2/.Z/.xz */ };

/// Result codes every library returns (0 = success); listed in libraries/README.md.
enum Code : int {
  kOk = 0,
  kWarnSkipped = 0x8001,   ///< done, but some items were skipped (existing identical files)
  kWarnRenamed = 0x8002,   ///< done, but some files got a free name beside an existing one
  kErrCommand = 0x8010,    ///< malformed command line or unknown command
  kErrNotSupported = 0x8011,
  kErrOpen = 0x8020,       ///< the archive cannot be opened or is not one we read
  kErrFormat = 0x8021,     ///< broken or truncated archive data
  kErrCrc = 0x8022,        ///< an item's check value did not match
  kErrWrite = 0x8030,      ///< a file could not be written (disk full, permissions)
  kErrUnsafe = 0x8031,     ///< an item was refused because it would leave the destination
  kErrAborted = 0x8040,    ///< the owner window asked to stop
  kErrInternal = 0x8050,
};

/// One item as the archive describes it, its name decoded to the system code page with
/// "/" between folders.
struct Item {
  std::string name;
  std::uint64_t size = 0;
  std::uint64_t compressedSize = 0;
  std::uint32_t crc = 0;
  bool hasCrc = false;
  std::int64_t mtime = 0;       ///< seconds since 1970
  std::uint32_t mode = 0644;    ///< permission bits as stored
  bool isDirectory = false;
  bool isSymlink = false;
  std::string linkTarget;
  std::string method;           ///< "-lh5-", "deflate", "stored", ...
  std::uint32_t index = 0;
};

/// Open: the archive was opened (item.name is its path). Begin: before an item (destName
/// where it is meant to go). Progress: at most once per MiB of an item's data. End: the item
/// is in place (destName where it went, written its size). Finished: all done (written the
/// total).
enum class Stage { Open, Begin, Progress, End, Finished };

/// Called on the calling thread as the work goes; return false to stop (the current item is
/// not left behind; the result is kErrAborted). The answer to Finished is ignored.
using ProgressFn = std::function<bool(Stage stage, const Item& item, std::uint64_t written,
                                      const std::string& destName)>;

enum class Command { Extract, Test, List };

struct Request {
  Command command = Command::Extract;
  std::string archive;                 ///< path of the archive
  std::string destDir;                 ///< destination folder; empty: the current folder
  /// Names or wildcards (* ?) matched against each decoded name, its last component (a
  /// pattern without "/") and the folders holding it; "\" counts as "/". Empty: every item.
  std::vector<std::string> patterns;
  /// When not empty, only the items at these indices (ascending, as a List of the same
  /// archive numbered them) instead of `patterns`: exact, as no pattern can be.
  std::vector<std::uint32_t> indices;
  bool useFolders = true;              ///< false: every file goes straight into destDir
  /// Without it nothing existing is touched: identical content is skipped, different content
  /// extracted as "name (2).ext". With it files are replaced whole (never written through).
  bool overwrite = false;
  Format format = Format::Unknown;     ///< readers to use; Unknown: detect from the content
};

struct Result {
  int code = kOk;
  std::string text;                    ///< readable report (renamed, skipped, refused, counts)
  std::vector<Item> items;             ///< Command::List: the matching items
  /// Files and links written (Test: items checked), of those renamed, left as identical,
  /// and items that failed or were refused.
  unsigned extracted = 0, renamed = 0, skipped = 0, failed = 0;
};

/// Runs one request; never throws.
Result Run(const Request& request, const ProgressFn& progress = {});

/// Detects the family from the first bytes of the file only (for a self-extracting .exe a
/// bounded scan); Unknown for anything else, quickly, without reading the whole file.
Format Probe(const std::string& path);

}  // namespace engine
