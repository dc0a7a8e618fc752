#include "libraries/frontends/listing.h"

#include <cstring>

#include "libraries/frontends/copy_text.h"
#include "libraries/frontends/wildcard.h"

namespace frontends {

Listings::Listings(Lister lister, bool bracketClasses)
    : lister_(std::move(lister)), bracketClasses_(bracketClasses) {}

libapi::HARC Listings::Open(const std::string& path, bool listNow) {
  auto open = std::make_unique<Open_>();
  open->path = path;
  if (listNow) {
    bool ok = false;
    open->items = lister_(path, ok);
    if (!ok) return 0;
    open->listed = true;
  }
  libapi::HARC handle = nextHandle_++;
  open_.emplace(handle, std::move(open));
  return handle;
}

int Listings::Close(libapi::HARC arc) { return open_.erase(arc) ? 0 : -1; }

int Listings::FindFirst(libapi::HARC arc, const char* wildName, libapi::INDIVIDUALINFO* info) {
  auto it = open_.find(arc);
  if (it == open_.end() || !info) return -2;
  Open_& open = *it->second;
  if (!open.listed) {
    open.items = lister_(open.path, open.readable);
    open.listed = true;
  }
  if (!open.readable) return -3;
  open.wildName = wildName ? wildName : "";
  open.cursor = 0;
  return Next(open, info);
}

int Listings::FindNext(libapi::HARC arc, libapi::INDIVIDUALINFO* info) {
  auto it = open_.find(arc);
  if (it == open_.end() || !info) return -2;
  if (!it->second->listed) return libapi::kFindEnd;
  return Next(*it->second, info);
}

int Listings::Next(Open_& open, libapi::INDIVIDUALINFO* info) {
  while (open.cursor < open.items.size()) {
    const engine::Item& item = open.items[open.cursor++];
    if (WildcardMatch(open.wildName, item.name, bracketClasses_)) {
      FillInfo(item, *info);
      return 0;
    }
  }
  return libapi::kFindEnd;
}

void FillInfo(const engine::Item& item, libapi::INDIVIDUALINFO& info) {
  std::memset(&info, 0, sizeof info);
  info.llOriginalSize = item.size;
  info.llCompressedSize = item.compressedSize;
  info.dwCRC = item.crc;
  info.llTime = item.mtime;
  platform::DWORD attr = item.isDirectory ? platform::faDirectory : platform::faArchive;
  if ((item.mode & 0200) == 0) attr |= platform::faReadOnly;
  info.dwAttributes = attr;
  CopyText(item.name, info.szFileName, sizeof info.szFileName);
  CopyText(item.method, info.szMode, sizeof info.szMode);
}

}  // namespace frontends
