// The seam between the engine and the readers of archive formats: one item source per
// reader (libarchive for most families, our own decoder for ARJ). A source yields headers
// with names already decoded, then the current item's data in blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "engine.h"

namespace engine {

/// What kind of thing an item is; anything but these is never created on disk.
enum class EntryKind { File, Directory, Symlink, Hardlink, Special };

/// One header as the engine needs it.
struct Entry {
  Item item;                  ///< decoded name, sizes, times, mode, link target
  EntryKind kind = EntryKind::File;
  std::string hardlinkTarget; ///< decoded name of the earlier item (kind Hardlink)
  bool sizeKnown = false;     ///< item.size is the real uncompressed size
  bool hasMtime = false;      ///< item.mtime came from the archive
};

/// Outcome of a source call.
enum class ReadStatus {
  Ok,        ///< a header was delivered
  End,       ///< no more items / the item's data is complete and verified
  ItemError, ///< this item is bad (check value, unsupported method); the next may be read
  Fatal,     ///< the archive cannot be read further (truncated, corrupt structure)
  Stopped,   ///< the sink asked to stop
};

/// Receives one block of an item's data at its offset in the item (holes between blocks
/// read as zeros); returns false to stop.
using BlockSink = std::function<bool(const void* data, std::size_t size, std::uint64_t offset)>;

/// A reader of one archive, used once from the first header to the end. Readers push data
/// into a sink, so that decoders that produce data as they go need no buffer of a member.
class ItemSource {
 public:
  virtual ~ItemSource() = default;
  /// Moves to the next item, skipping any unread data of the current one.
  virtual ReadStatus Next(Entry& entry) = 0;
  /// Delivers the current item's data to `sink`; End once all of it was delivered and its
  /// check value matched.
  virtual ReadStatus ReadData(const BlockSink& sink) = 0;
  /// Text of the last error (empty when there is none).
  virtual std::string Error() const = 0;
  /// What the last ItemError was: the result code it maps to (kErrCrc for a check-value
  /// mismatch, kErrNotSupported for encryption or an unknown method, else kErrFormat).
  virtual int LastErrorCode() const = 0;
  /// True when the archive's format can hold hard links (known once a header was read).
  virtual bool HardlinksPossible() const = 0;
};

}  // namespace engine
