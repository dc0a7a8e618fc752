// The archives opened through P`OpenArchive`: each handle holds the archive's items, listed
// once, and a search cursor for P`FindFirst` and P`FindNext`.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/libapi.h"
#include "libraries/engine/engine.h"

namespace frontends {

class Listings {
 public:
  /// Lists an archive's items; `ok` false when the archive cannot be read.
  using Lister = std::function<std::vector<engine::Item>(const std::string& path, bool& ok)>;

  /// `bracketClasses`: the family's wildcards know "[...]" classes.
  Listings(Lister lister, bool bracketClasses);

  /// A new handle for `path`. With `listNow` false the items are listed at the first search,
  /// so that opening only to probe stays cheap. 0 when listing now fails.
  libapi::HARC Open(const std::string& path, bool listNow);
  /// Releases a handle; 0 on success, -1 for an unknown handle.
  int Close(libapi::HARC arc);
  /// First item matching `wildName` (null or empty: all): 0 found, -1 none, -2 bad handle,
  /// -3 the archive cannot be read.
  int FindFirst(libapi::HARC arc, const char* wildName, libapi::INDIVIDUALINFO* info);
  /// Next match of the last FindFirst: 0 found, -1 none, -2 bad handle.
  int FindNext(libapi::HARC arc, libapi::INDIVIDUALINFO* info);

 private:
  struct Open_ {
    std::string path;
    bool listed = false;
    bool readable = true;
    std::vector<engine::Item> items;
    std::string wildName;
    std::size_t cursor = 0;
  };
  int Next(Open_& open, libapi::INDIVIDUALINFO* info);

  Lister lister_;
  bool bracketClasses_;
  libapi::HARC nextHandle_ = 1;
  std::map<libapi::HARC, std::unique_ptr<Open_>> open_;
};

/// Fills an item record from an engine item.
void FillInfo(const engine::Item& item, libapi::INDIVIDUALINFO& info);

}  // namespace frontends
