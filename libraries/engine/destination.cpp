#include "destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "safe_path.h"

namespace engine {

namespace {

constexpr unsigned kMaxNumbered = 100000;
constexpr std::size_t kMaxRemembered = 50000;

std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) out += '/';
    out += part;
  }
  return out;
}

// How hard links name their targets: "./a/b" and "a/b" are the same member.
std::string MemberKey(const std::string& name) {
  std::vector<std::string> parts;
  std::string why;
  return SplitTarget(name, parts, why) ? Join(parts) : name;
}

// Makes an entry by `make(tempName)`, then renames it over `name`: whatever had the name is
// replaced whole, never written through. 0, or the errno of the failure.
template <typename Make>
int ReplaceWith(int dirfd, const std::string& name, Make make) {
  const std::string temp = ".pukonpa-link-" + std::to_string(getpid());
  unlinkat(dirfd, temp.c_str(), 0);
  const int err =
      make(temp) && renameat(dirfd, temp.c_str(), dirfd, name.c_str()) == 0 ? 0 : errno;
  // rename leaves both names when they are already links of one file.
  unlinkat(dirfd, temp.c_str(), 0);
  return err;
}

Outcome Failed(int err) {
  Outcome o;
  o.kind = Outcome::Failed;
  o.err = err;
  return o;
}

Outcome Refused(std::string why) {
  Outcome o;
  o.kind = Outcome::Refused;
  o.why = std::move(why);
  return o;
}

Outcome Done(Outcome::Kind kind, std::string name) {
  Outcome o;
  o.kind = kind;
  o.name = std::move(name);
  return o;
}

}  // namespace

Destination::Destination(std::string dir, bool useFolders, bool overwrite)
    : dir_(std::move(dir)), useFolders_(useFolders), overwrite_(overwrite), umask_(DirTree::Umask()) {}

bool Destination::Open(std::string& error) { return tree_.Open(dir_, error); }

bool Destination::TargetOf(const std::string& name, Target& target, std::string& why) const {
  std::vector<std::string> parts;
  if (!SplitTarget(name, parts, why)) return false;
  target.name = parts.back();
  parts.pop_back();
  target.folder = useFolders_ ? std::move(parts) : std::vector<std::string>{};
  return true;
}

std::string Destination::PathOf(const Target& target) const {
  std::string out = dir_;
  if (!out.empty() && out.back() != '/') out += '/';
  for (const std::string& part : target.folder) out += part + '/';
  return out + target.name;
}

Outcome Destination::FolderOf(const Target& target, int& fd) {
  fd = tree_.Folder(target.folder, target.folder.size());
  if (fd >= 0) return Done(Outcome::Placed, target.name);
  if (errno == ELOOP) return Refused("a link or file stands in its path");
  return Failed(errno);
}

void Destination::Remember(const std::string& member, const Target& target,
                           const std::string& name) {
  if (!hardlinks_ || placed_.size() >= kMaxRemembered) return;
  std::vector<std::string> parts = target.folder;
  parts.push_back(name);
  placed_[MemberKey(member)] = Join(parts);
}

Outcome Destination::BeginFile(const Target& target) {
  int fd = -1;
  Outcome o = FolderOf(target, fd);
  if (o.kind != Outcome::Placed) return o;
  if (!out_.Create(fd)) return Failed(out_.Errno());
  return o;
}

Outcome Destination::CommitFile(const Entry& entry, const Target& target) {
  // The owner may always read and write; set-id and sticky bits never survive.
  const mode_t mode = ((entry.item.mode & 0777) | 0600) & ~umask_;
  const std::int64_t* mtime = entry.hasMtime ? &entry.item.mtime : nullptr;
  if (!out_.Finish(entry.sizeKnown ? entry.item.size : 0, mode, mtime)) {
    const int err = out_.Errno();
    out_.Discard();
    return Failed(err);
  }
  std::string placed;
  switch (out_.Commit(target.name, overwrite_, placed)) {
    case Placement::New:
    case Placement::Replaced:
      Remember(entry.item.name, target, placed);
      return Done(Outcome::Placed, placed);
    case Placement::Renamed:
      Remember(entry.item.name, target, placed);
      return Done(Outcome::Renamed, placed);
    case Placement::Identical:
      // The file already there stands for the member, so hard links to it still work.
      Remember(entry.item.name, target, placed);
      return Done(Outcome::Identical, placed);
    case Placement::Failed:
      break;
  }
  const int err = out_.Errno();
  out_.Discard();
  return Failed(err);
}

Outcome Destination::Folder(const Entry& entry, const Target& target) {
  std::vector<std::string> parts = target.folder;
  parts.push_back(target.name);
  if (tree_.Folder(parts, parts.size(), static_cast<mode_t>(entry.item.mode)) < 0) {
    if (errno == ELOOP) return Refused("a link or file stands in its path");
    return Failed(errno);
  }
  if (entry.hasMtime) tree_.RememberTime(parts, entry.item.mtime);
  return Done(Outcome::Placed, target.name);
}

Outcome Destination::Symlink(const Entry& entry, const Target& target) {
  const std::string& link = entry.item.linkTarget;
  if (!LinkStaysInside(target.folder, link)) {
    return Refused("the link to " + link + " leads out of the destination");
  }
  int dirfd = -1;
  Outcome o = FolderOf(target, dirfd);
  if (o.kind != Outcome::Placed) return o;
  std::string placed = target.name;
  if (overwrite_) {
    const int err = ReplaceWith(dirfd, placed, [&](const std::string& temp) {
      return symlinkat(link.c_str(), dirfd, temp.c_str()) == 0;
    });
    if (err != 0) return Failed(err);
  } else {
    Outcome::Kind kind = Outcome::Placed;
    for (unsigned n = 1;; ++n) {
      if (n == kMaxNumbered) return Failed(EEXIST);
      placed = n == 1 ? target.name : NumberedName(target.name, n);
      if (symlinkat(link.c_str(), dirfd, placed.c_str()) == 0) break;
      if (errno != EEXIST) return Failed(errno);
      char existing[4096];
      const ssize_t len = readlinkat(dirfd, placed.c_str(), existing, sizeof existing);
      if (len >= 0 && std::string(existing, static_cast<std::size_t>(len)) == link) {
        return Done(Outcome::Identical, placed);
      }
      kind = Outcome::Renamed;
    }
    o.kind = kind;
  }
  if (entry.hasMtime) {
    const struct timespec ts[2] = {{static_cast<time_t>(entry.item.mtime), 0},
                                   {static_cast<time_t>(entry.item.mtime), 0}};
    utimensat(dirfd, placed.c_str(), ts, AT_SYMLINK_NOFOLLOW);
  }
  o.name = placed;
  return o;
}

Outcome Destination::Hardlink(const Entry& entry, const Target& target) {
  const auto it = placed_.find(MemberKey(entry.hardlinkTarget));
  if (it == placed_.end()) {
    return Refused("its target " + entry.hardlinkTarget + " was not extracted here");
  }
  // A path this destination made itself, so it always splits.
  std::vector<std::string> parts;
  std::string unused;
  SplitTarget(it->second, parts, unused);
  Target source;
  source.name = parts.back();
  parts.pop_back();
  source.folder = std::move(parts);
  int srcfd = -1;
  Outcome o = FolderOf(source, srcfd);
  if (o.kind != Outcome::Placed) return o;
  const int srcDup = dup(srcfd);  // the folder cache may close it while opening the other
  int dirfd = -1;
  o = FolderOf(target, dirfd);
  if (o.kind != Outcome::Placed) {
    close(srcDup);
    return o;
  }
  std::string placed = target.name;
  int err = EEXIST;
  // Flags 0 to linkat: a link in the source position is linked itself, never followed.
  if (overwrite_) {
    err = ReplaceWith(dirfd, placed, [&](const std::string& temp) {
      return linkat(srcDup, source.name.c_str(), dirfd, temp.c_str(), 0) == 0;
    });
  } else {
    struct stat src;
    const bool srcKnown = fstatat(srcDup, source.name.c_str(), &src, AT_SYMLINK_NOFOLLOW) == 0;
    for (unsigned n = 1; n < kMaxNumbered; ++n) {
      placed = n == 1 ? target.name : NumberedName(target.name, n);
      if (linkat(srcDup, source.name.c_str(), dirfd, placed.c_str(), 0) == 0) {
        err = 0;
        o.kind = n == 1 ? Outcome::Placed : Outcome::Renamed;
        break;
      }
      err = errno;
      if (err != EEXIST) break;
      struct stat existing;
      if (srcKnown && fstatat(dirfd, placed.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
          existing.st_dev == src.st_dev && existing.st_ino == src.st_ino) {
        close(srcDup);
        Remember(entry.item.name, target, placed);
        return Done(Outcome::Identical, placed);
      }
    }
  }
  close(srcDup);
  if (err != 0) return Failed(err);
  Remember(entry.item.name, target, placed);
  o.name = placed;
  return o;
}

}  // namespace engine
