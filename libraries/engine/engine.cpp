#include "engine.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "arj_source.h"
#include "dir_tree.h"
#include "libarchive_source.h"
#include "output_file.h"
#include "pattern.h"
#include "probe.h"
#include "safe_path.h"
#include "source.h"

namespace engine {

namespace {

constexpr std::uint64_t kProgressStep = 1 << 20;
constexpr unsigned kMaxNumbered = 100000;

bool DiskFull(int err) { return err == ENOSPC || err == EDQUOT || err == EFBIG; }

// libarchive converts names through the thread's locale; a UTF-8 one makes those
// conversions work without touching the process-wide locale.
class Utf8Locale {
 public:
  Utf8Locale() {
    loc_ = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (loc_ == static_cast<locale_t>(0)) loc_ = newlocale(LC_ALL_MASK, "C.utf8", static_cast<locale_t>(0));
    if (loc_ != static_cast<locale_t>(0)) old_ = uselocale(loc_);
  }
  ~Utf8Locale() {
    if (loc_ != static_cast<locale_t>(0)) {
      uselocale(old_);
      freelocale(loc_);
    }
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

 private:
  locale_t loc_ = static_cast<locale_t>(0);
  locale_t old_ = static_cast<locale_t>(0);
};

std::string Join(const std::vector<std::string>& parts, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) out += '/';
    out += parts[i];
  }
  return out;
}

// How hard links name their targets: "./a/b" and "a/b" are the same item.
std::string LinkKey(const std::string& name) {
  std::vector<std::string> parts;
  std::string why;
  return SplitTarget(name, parts, why) ? Join(parts, parts.size()) : name;
}

enum class DataResult { Ok, ItemError, Fatal, WriteError, Aborted };

// One run of a request: reads the items in order and lists, tests or extracts each.
class Job {
 public:
  Job(const Request& request, const ProgressFn& progress)
      : req_(request), progress_(progress) {}
  Result Run();

 private:
  bool Notify(Stage stage, const Item& item, std::uint64_t written, const std::string& dest);
  void Problem(int code, const std::string& line);
  void Stop(int code, const std::string& line);
  std::string DestPath(const std::vector<std::string>& folder, const std::string& name) const;
  bool TargetParts(const Entry& entry, std::vector<std::string>& parts);
  int FolderFor(const Entry& entry, const std::vector<std::string>& parts, std::size_t count);
  DataResult ReadData(const Entry& entry, OutputFile* out, const std::string& dest);
  void HandleDataFailure(DataResult r, const Entry& entry, int writeErr);

  void Extract(const Entry& entry);
  void ExtractFile(const Entry& entry);
  void ExtractDirectory(const Entry& entry);
  void ExtractSymlink(const Entry& entry);
  void ExtractHardlink(const Entry& entry);
  void TestItem(const Entry& entry);
  bool OpenSource(Format format, std::uint64_t offset);
  int BrokenOrForeign() const;

  const Request& req_;
  const ProgressFn& progress_;
  Result result_;
  int firstError_ = 0;
  int stopCode_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t lastWritten_ = 0;  // bytes of the last item's data
  std::unique_ptr<ItemSource> source_;
  DirTree tree_;
  std::unique_ptr<OutputFile> out_;
  mode_t umask_ = 022;
  struct Placed {
    std::vector<std::string> folder;
    std::string name;
  };
  std::unordered_map<std::string, Placed> placed_;  // LinkKey(item name) -> where it went
};

bool Job::Notify(Stage stage, const Item& item, std::uint64_t written, const std::string& dest) {
  if (!progress_) return true;
  if (progress_(stage, item, written, dest) || stage == Stage::Finished) return true;
  Stop(kErrAborted, "stopped by the owner window");
  return false;
}

void Job::Problem(int code, const std::string& line) {
  if (firstError_ == 0) firstError_ = code;
  result_.text += line;
  result_.text += '\n';
}

void Job::Stop(int code, const std::string& line) {
  if (stopCode_ == 0) stopCode_ = code;
  result_.text += line;
  result_.text += '\n';
}

std::string Job::DestPath(const std::vector<std::string>& folder, const std::string& name) const {
  std::string out = req_.destDir;
  if (!out.empty() && out.back() != '/') out += '/';
  for (const std::string& part : folder) out += part + '/';
  return out + name;
}

bool Job::TargetParts(const Entry& entry, std::vector<std::string>& parts) {
  std::string why;
  if (!SplitTarget(entry.item.name, parts, why)) {
    ++result_.failed;
    Problem(kErrUnsafe, "refused: " + entry.item.name + " (" + why + ")");
    return false;
  }
  if (!req_.useFolders) parts.erase(parts.begin(), parts.end() - 1);
  return true;
}

int Job::FolderFor(const Entry& entry, const std::vector<std::string>& parts, std::size_t count) {
  const int fd = tree_.Folder(parts, count, 0);
  if (fd >= 0) return fd;
  const int err = errno;
  ++result_.failed;
  if (err == ELOOP) {
    Problem(kErrUnsafe, "refused: " + entry.item.name + " (a link or file stands in its path)");
  } else if (DiskFull(err)) {
    Stop(kErrWrite, "disk full: " + entry.item.name);
  } else {
    Problem(kErrWrite, "cannot create the folder of " + entry.item.name + ": " + std::strerror(err));
  }
  return -1;
}

DataResult Job::ReadData(const Entry& entry, OutputFile* out, const std::string& dest) {
  std::uint64_t written = 0;
  std::uint64_t nextReport = kProgressStep;
  DataResult stopped = DataResult::Ok;
  const ReadStatus rs = source_->ReadData(
      [&](const void* data, std::size_t size, std::uint64_t offset) {
        if (out != nullptr && !out->Write(data, size, offset)) {
          stopped = DataResult::WriteError;
          return false;
        }
        written += size;
        total_ += size;
        if (written >= nextReport) {
          if (!Notify(Stage::Progress, entry.item, written, dest)) {
            stopped = DataResult::Aborted;
            return false;
          }
          nextReport = written + kProgressStep;
        }
        return true;
      });
  lastWritten_ = written;
  switch (rs) {
    case ReadStatus::End:
    case ReadStatus::Ok:
      return DataResult::Ok;
    case ReadStatus::ItemError:
      return DataResult::ItemError;
    case ReadStatus::Fatal:
      return DataResult::Fatal;
    case ReadStatus::Stopped:
      break;
  }
  return stopped;
}

void Job::HandleDataFailure(DataResult r, const Entry& entry, int writeErr) {
  ++result_.failed;
  switch (r) {
    case DataResult::ItemError:
      Problem(source_->LastErrorWasCrc() ? kErrCrc : kErrFormat,
              "broken: " + entry.item.name + " (" + source_->Error() + ")");
      break;
    case DataResult::Fatal:
      Stop(kErrFormat, "broken archive at " + entry.item.name + " (" + source_->Error() + ")");
      break;
    case DataResult::WriteError:
      if (DiskFull(writeErr)) {
        Stop(kErrWrite, "disk full while writing " + entry.item.name);
      } else {
        Problem(kErrWrite, "cannot write " + entry.item.name + ": " + std::strerror(writeErr));
      }
      break;
    case DataResult::Aborted:
    case DataResult::Ok:
      break;
  }
}

void Job::ExtractFile(const Entry& entry) {
  std::vector<std::string> parts;
  if (!TargetParts(entry, parts)) return;
  const std::string name = parts.back();
  parts.pop_back();
  const std::string dest = DestPath(parts, name);
  if (!Notify(Stage::Begin, entry.item, 0, dest)) return;
  const int dirfd = FolderFor(entry, parts, parts.size());
  if (dirfd < 0) return;
  OutputFile& out = *out_;
  if (!out.Create(dirfd)) {
    HandleDataFailure(DataResult::WriteError, entry, out.Errno());
    return;
  }
  const DataResult r = ReadData(entry, &out, dest);
  if (r != DataResult::Ok) {
    const int err = out.Errno();
    out.Discard();
    HandleDataFailure(r, entry, err);
    return;
  }
  const mode_t mode = ((entry.item.mode & 0777) | 0600) & ~umask_;
  const std::int64_t* mtime = entry.hasMtime ? &entry.item.mtime : nullptr;
  if (!out.Finish(entry.sizeKnown ? entry.item.size : 0, mode, mtime)) {
    const int err = out.Errno();
    out.Discard();
    HandleDataFailure(DataResult::WriteError, entry, err);
    return;
  }
  std::string placedName;
  const Placement placement = out.Commit(name, req_.overwrite, placedName);
  const std::string placedPath = DestPath(parts, placedName);
  switch (placement) {
    case Placement::Failed:
      HandleDataFailure(DataResult::WriteError, entry, out.Errno());
      out.Discard();
      return;
    case Placement::Identical:
      ++result_.skipped;
      result_.text += "skipped (identical file exists): " + placedPath + "\n";
      break;
    case Placement::Renamed:
      ++result_.renamed;
      ++result_.extracted;
      result_.text += "renamed: " + dest + " -> " + placedPath + "\n";
      break;
    case Placement::New:
    case Placement::Replaced:
      ++result_.extracted;
      break;
  }
  placed_[LinkKey(entry.item.name)] = Placed{parts, placedName};
  Notify(Stage::End, entry.item, lastWritten_, placedPath);
}

void Job::ExtractDirectory(const Entry& entry) {
  if (!req_.useFolders) return;
  std::vector<std::string> parts;
  std::string why;
  if (!SplitTarget(entry.item.name, parts, why)) {
    if (parts.empty() && why == "the name is empty") return;  // "./" and the like
    ++result_.failed;
    Problem(kErrUnsafe, "refused: " + entry.item.name + " (" + why + ")");
    return;
  }
  const std::string dest = DestPath({}, Join(parts, parts.size()));
  if (!Notify(Stage::Begin, entry.item, 0, dest)) return;
  const int fd = tree_.Folder(parts, parts.size(), static_cast<mode_t>(entry.item.mode));
  if (fd < 0) {
    const int err = errno;
    ++result_.failed;
    if (err == ELOOP) {
      Problem(kErrUnsafe, "refused: " + entry.item.name + " (a link or file stands in its path)");
    } else if (DiskFull(err)) {
      Stop(kErrWrite, "disk full: " + entry.item.name);
    } else {
      Problem(kErrWrite, "cannot create " + entry.item.name + ": " + std::strerror(err));
    }
    return;
  }
  if (entry.hasMtime) tree_.RememberTime(parts, entry.item.mtime);
  Notify(Stage::End, entry.item, 0, dest);
}

void Job::ExtractSymlink(const Entry& entry) {
  std::vector<std::string> parts;
  if (!TargetParts(entry, parts)) return;
  const std::string name = parts.back();
  parts.pop_back();
  const std::string& target = entry.item.linkTarget;
  if (!LinkStaysInside(parts, target)) {
    ++result_.failed;
    Problem(kErrUnsafe, "skipped link: " + entry.item.name + " -> " + target +
                            " (it leads out of the destination)");
    return;
  }
  const std::string dest = DestPath(parts, name);
  if (!Notify(Stage::Begin, entry.item, 0, dest)) return;
  const int dirfd = FolderFor(entry, parts, parts.size());
  if (dirfd < 0) return;
  std::string placed;
  bool ok = false;
  if (req_.overwrite) {
    const std::string temp = ".pukonpa-link-" + std::to_string(getpid());
    unlinkat(dirfd, temp.c_str(), 0);
    ok = symlinkat(target.c_str(), dirfd, temp.c_str()) == 0 &&
         renameat(dirfd, temp.c_str(), dirfd, name.c_str()) == 0;
    if (!ok) unlinkat(dirfd, temp.c_str(), 0);
    placed = name;
  } else {
    for (unsigned n = 1; n < kMaxNumbered && !ok; ++n) {
      placed = n == 1 ? name : NumberedName(name, n);
      if (symlinkat(target.c_str(), dirfd, placed.c_str()) == 0) {
        ok = true;
        if (n > 1) {
          ++result_.renamed;
          result_.text += "renamed: " + dest + " -> " + DestPath(parts, placed) + "\n";
        }
        break;
      }
      if (errno != EEXIST) break;
      char existing[4096];
      const ssize_t len = readlinkat(dirfd, placed.c_str(), existing, sizeof existing);
      if (len >= 0 && std::string(existing, static_cast<std::size_t>(len)) == target) {
        ++result_.skipped;
        result_.text += "skipped (identical link exists): " + DestPath(parts, placed) + "\n";
        Notify(Stage::End, entry.item, 0, DestPath(parts, placed));
        return;
      }
    }
  }
  if (!ok) {
    HandleDataFailure(DataResult::WriteError, entry, errno);
    return;
  }
  if (entry.hasMtime) {
    const struct timespec ts[2] = {{static_cast<time_t>(entry.item.mtime), 0},
                                   {static_cast<time_t>(entry.item.mtime), 0}};
    utimensat(dirfd, placed.c_str(), ts, AT_SYMLINK_NOFOLLOW);
  }
  ++result_.extracted;
  Notify(Stage::End, entry.item, 0, DestPath(parts, placed));
}

void Job::ExtractHardlink(const Entry& entry) {
  std::vector<std::string> parts;
  if (!TargetParts(entry, parts)) return;
  const std::string name = parts.back();
  parts.pop_back();
  // Only to a file this run put in place: never to anything else on the disk.
  const auto it = placed_.find(LinkKey(entry.hardlinkTarget));
  if (it == placed_.end()) {
    ++result_.failed;
    Problem(kErrUnsafe, "skipped hard link: " + entry.item.name + " (its target " +
                            entry.hardlinkTarget + " was not extracted)");
    return;
  }
  const Placed source = it->second;
  const std::string dest = DestPath(parts, name);
  if (!Notify(Stage::Begin, entry.item, 0, dest)) return;
  const int srcfd = FolderFor(entry, source.folder, source.folder.size());
  if (srcfd < 0) return;
  const int srcDup = dup(srcfd);  // the folder cache may close it while opening the other
  const int dirfd = FolderFor(entry, parts, parts.size());
  if (dirfd < 0) {
    close(srcDup);
    return;
  }
  std::string placed;
  bool ok = false;
  for (unsigned n = 1; n < kMaxNumbered; ++n) {
    placed = n == 1 ? name : NumberedName(name, n);
    if (linkat(srcDup, source.name.c_str(), dirfd, placed.c_str(), 0) == 0) {
      ok = true;
      if (n > 1) {
        ++result_.renamed;
        result_.text += "renamed: " + dest + " -> " + DestPath(parts, placed) + "\n";
      }
      break;
    }
    if (errno != EEXIST) break;
  }
  const int err = errno;
  close(srcDup);
  if (!ok) {
    HandleDataFailure(DataResult::WriteError, entry, err);
    return;
  }
  ++result_.extracted;
  placed_[LinkKey(entry.item.name)] = Placed{parts, placed};
  Notify(Stage::End, entry.item, 0, DestPath(parts, placed));
}

void Job::Extract(const Entry& entry) {
  // The destination is made only once there is something to put in it.
  if (!out_) {
    std::string error;
    if (!tree_.Open(req_.destDir, error)) {
      Stop(kErrWrite, error);
      return;
    }
    out_ = std::make_unique<OutputFile>();
  }
  switch (entry.kind) {
    case EntryKind::File:
      ExtractFile(entry);
      break;
    case EntryKind::Directory:
      ExtractDirectory(entry);
      break;
    case EntryKind::Symlink:
      ExtractSymlink(entry);
      break;
    case EntryKind::Hardlink:
      if (entry.sizeKnown && entry.item.size > 0) {
        ExtractFile(entry);
      } else {
        ExtractHardlink(entry);
      }
      break;
    case EntryKind::Special:
      ++result_.failed;
      Problem(kErrUnsafe, "skipped: " + entry.item.name + " (device, FIFO or socket)");
      break;
  }
}

void Job::TestItem(const Entry& entry) {
  lastWritten_ = 0;
  if (!Notify(Stage::Begin, entry.item, 0, entry.item.name)) return;
  if (entry.kind == EntryKind::File ||
      (entry.kind == EntryKind::Hardlink && entry.sizeKnown && entry.item.size > 0)) {
    const DataResult r = ReadData(entry, nullptr, entry.item.name);
    if (r != DataResult::Ok) {
      HandleDataFailure(r, entry, 0);
      return;
    }
  }
  ++result_.extracted;
  Notify(Stage::End, entry.item, lastWritten_, entry.item.name);
}

bool Job::OpenSource(Format format, std::uint64_t offset) {
  if (format == Format::Arj) {
    auto arj = std::make_unique<ArjSource>();
    const bool ok = arj->Open(req_.archive);
    source_ = std::move(arj);
    return ok;
  }
  auto other = std::make_unique<LibarchiveSource>(format);
  const bool ok = other->Open(req_.archive, offset);
  source_ = std::move(other);
  return ok;
}

int Job::BrokenOrForeign() const {
  // A file of a family this request reads, which still fails, is broken rather than foreign.
  const Format probed = Probe(req_.archive);
  const bool tarLike = probed == Format::Tar || probed == Format::Compressed;
  const bool ours = req_.format == Format::Unknown || req_.format == probed ||
                    (tarLike && (req_.format == Format::Tar || req_.format == Format::Compressed));
  return probed != Format::Unknown && ours ? kErrFormat : kErrOpen;
}

Result Job::Run() {
  const Utf8Locale locale;
  umask_ = DirTree::Umask();
  Format format = req_.format;
  // Only the probed family's readers: no other reader gets to claim a self-extractor's stub.
  const Located found = Locate(req_.archive);
  if (format == Format::Unknown) format = found.format;
  if (!OpenSource(format, found.format == format ? found.offset : 0)) {
    result_.code = BrokenOrForeign();
    result_.text = "cannot open " + req_.archive + ": " + source_->Error() + "\n";
    return result_;
  }
  Item archiveItem;
  archiveItem.name = req_.archive;
  Notify(Stage::Open, archiveItem, 0, req_.destDir);

  std::uint32_t index = 0;
  bool any = false;
  while (stopCode_ == 0) {
    Entry entry;
    const ReadStatus rs = source_->Next(entry);
    if (rs == ReadStatus::End) break;
    if (rs != ReadStatus::Ok) {
      if (!any) {
        // A file we recognise but cannot read to its first item is broken, not foreign.
        result_.code = BrokenOrForeign();
        result_.text = "cannot read " + req_.archive + ": " + source_->Error() + "\n";
        return result_;
      }
      Stop(kErrFormat, "broken archive: " + source_->Error());
      break;
    }
    any = true;
    entry.item.index = index++;
    if (!Selected(req_.patterns, entry.item.name)) continue;
    switch (req_.command) {
      case Command::List:
        result_.items.push_back(entry.item);
        break;
      case Command::Test:
        TestItem(entry);
        break;
      case Command::Extract:
        Extract(entry);
        break;
    }
  }
  if (out_) tree_.ApplyTimes();
  Notify(Stage::Finished, archiveItem, total_, req_.destDir);

  if (stopCode_ != 0) {
    result_.code = stopCode_;
  } else if (firstError_ != 0) {
    result_.code = firstError_;
  } else if (result_.renamed > 0) {
    result_.code = kWarnRenamed;
  } else if (result_.skipped > 0) {
    result_.code = kWarnSkipped;
  }
  const char* verb = req_.command == Command::Test ? " tested" : " extracted";
  if (req_.command == Command::List) {
    result_.text += std::to_string(result_.items.size()) + " items\n";
  } else {
    result_.text += std::to_string(result_.extracted) + verb + ", " +
                    std::to_string(result_.renamed) + " renamed, " +
                    std::to_string(result_.skipped) + " skipped, " +
                    std::to_string(result_.failed) + " failed\n";
  }
  return result_;
}

}  // namespace

Result Run(const Request& request, const ProgressFn& progress) {
  try {
    Job job(request, progress);
    return job.Run();
  } catch (const std::exception& e) {
    Result r;
    r.code = kErrInternal;
    r.text = std::string("internal error: ") + e.what() + "\n";
    return r;
  } catch (...) {
    Result r;
    r.code = kErrInternal;
    r.text = "internal error\n";
    return r;
  }
}

}  // namespace engine
