#include "engine.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "arj_source.h"
#include "destination.h"
#include "libarchive_source.h"
#include "pattern.h"
#include "probe.h"
#include "source.h"

namespace engine {

namespace {

constexpr std::uint64_t kProgressStep = 1 << 20;
constexpr std::size_t kMaxReportLines = 1000;
constexpr unsigned kMaxBadHeaders = 100;  // then the archive counts as broken throughout

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

enum class DataResult { Ok, ItemError, Fatal, WriteError, Aborted };

// One run of a request: reads the items in order and lists, tests or extracts each,
// reporting progress and keeping the result.
class Job {
 public:
  Job(const Request& request, const ProgressFn& progress)
      : req_(request), progress_(progress) {}
  Result Run();

 private:
  bool Notify(Stage stage, const Item& item, std::uint64_t written, const std::string& dest);
  void Line(const std::string& line);
  void Problem(int code, const std::string& line);
  void Stop(int code, const std::string& line);
  bool OpenSource(Format format, std::uint64_t offset);
  int BrokenOrForeign() const;

  DataResult ReadData(const Entry& entry, OutputFile* out, const std::string& dest);
  void DataFailure(DataResult r, const Entry& entry, int writeErr);
  void Extract(const Entry& entry);
  std::optional<Outcome> WriteFile(const Entry& entry, const Target& target,
                                   const std::string& path);
  void Report(const Entry& entry, const Target& target, const Outcome& outcome,
              const std::string& path);
  void TestItem(const Entry& entry);

  const Request& req_;
  const ProgressFn& progress_;
  Result result_;
  int firstError_ = 0;
  int stopCode_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t lastWritten_ = 0;  // bytes of the last item's data
  std::size_t lines_ = 0;          // detail lines reported so far
  std::unique_ptr<ItemSource> source_;
  std::unique_ptr<Destination> dest_;  // made at the first item to extract
};

bool Job::Notify(Stage stage, const Item& item, std::uint64_t written, const std::string& dest) {
  if (!progress_) return true;
  if (progress_(stage, item, written, dest) || stage == Stage::Finished) return true;
  Stop(kErrAborted, "stopped by the owner window");
  return false;
}

void Job::Line(const std::string& line) {
  // The report stays small however many items there are; the counts say the rest.
  if (++lines_ > kMaxReportLines) return;
  result_.text += line;
  result_.text += '\n';
}

void Job::Problem(int code, const std::string& line) {
  if (firstError_ == 0) firstError_ = code;
  Line(line);
}

void Job::Stop(int code, const std::string& line) {
  if (stopCode_ == 0) stopCode_ = code;
  lines_ = 0;  // why the work stopped is always told
  Line(line);
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

void Job::DataFailure(DataResult r, const Entry& entry, int writeErr) {
  ++result_.failed;
  switch (r) {
    case DataResult::ItemError:
      Problem(source_->LastErrorCode(),
              (source_->LastErrorCode() == kErrNotSupported ? "not extracted: " : "broken: ") +
                  entry.item.name + " (" + source_->Error() + ")");
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

// Nothing when the data failed (already reported); else what became of the file.
std::optional<Outcome> Job::WriteFile(const Entry& entry, const Target& target,
                                      const std::string& path) {
  const Outcome begun = dest_->BeginFile(target);
  if (begun.kind != Outcome::Placed) return begun;
  const DataResult r = ReadData(entry, &dest_->File(), path);
  if (r != DataResult::Ok) {
    const int err = dest_->File().Errno();
    dest_->AbandonFile();
    DataFailure(r, entry, err);
    return std::nullopt;
  }
  return dest_->CommitFile(entry, target);
}

void Job::Report(const Entry& entry, const Target& target, const Outcome& outcome,
                 const std::string& path) {
  const std::string placed = dest_->PathOf(Target{target.folder, outcome.name});
  const bool counts = entry.kind != EntryKind::Directory;
  switch (outcome.kind) {
    case Outcome::Refused:
      ++result_.failed;
      Problem(kErrUnsafe, "refused: " + entry.item.name + " (" + outcome.why + ")");
      return;
    case Outcome::Failed:
      ++result_.failed;
      if (DiskFull(outcome.err)) {
        Stop(kErrWrite, "disk full at " + entry.item.name);
      } else {
        Problem(kErrWrite, "cannot write " + entry.item.name + ": " + std::strerror(outcome.err));
      }
      return;
    case Outcome::Identical:
      ++result_.skipped;
      Line("skipped (identical one exists): " + placed);
      break;
    case Outcome::Renamed:
      ++result_.renamed;
      ++result_.extracted;
      Line("renamed: " + path + " -> " + placed);
      break;
    case Outcome::Placed:
      if (counts) ++result_.extracted;
      break;
  }
  Notify(Stage::End, entry.item, lastWritten_, placed);
}

void Job::Extract(const Entry& entry) {
  if (!dest_) {
    dest_ = std::make_unique<Destination>(req_.destDir, req_.useFolders, req_.overwrite);
    std::string error;
    if (!dest_->Open(error)) {
      Stop(kErrWrite, error);
      return;
    }
    dest_->SetHardlinks(source_->HardlinksPossible());
  }
  if (entry.kind == EntryKind::Directory && !req_.useFolders) return;
  if (entry.kind == EntryKind::Special) {
    ++result_.failed;
    Problem(kErrUnsafe, "refused: " + entry.item.name + " (a device, FIFO or socket)");
    return;
  }
  Target target;
  std::string why;
  if (!dest_->TargetOf(entry.item.name, target, why)) {
    if (entry.kind == EntryKind::Directory && why == "the name is empty") return;  // "./"
    ++result_.failed;
    Problem(kErrUnsafe, "refused: " + entry.item.name + " (" + why + ")");
    return;
  }
  const std::string path = dest_->PathOf(target);
  lastWritten_ = 0;
  if (!Notify(Stage::Begin, entry.item, 0, path)) return;
  std::optional<Outcome> outcome;
  const bool hasData = entry.kind == EntryKind::File ||
                       (entry.kind == EntryKind::Hardlink && entry.sizeKnown && entry.item.size > 0);
  if (hasData) {
    outcome = WriteFile(entry, target, path);
  } else if (entry.kind == EntryKind::Directory) {
    outcome = dest_->Folder(entry, target);
  } else if (entry.kind == EntryKind::Symlink) {
    outcome = dest_->Symlink(entry, target);
  } else {
    outcome = dest_->Hardlink(entry, target);
  }
  if (outcome) Report(entry, target, *outcome, path);
}

void Job::TestItem(const Entry& entry) {
  lastWritten_ = 0;
  if (!Notify(Stage::Begin, entry.item, 0, entry.item.name)) return;
  if (entry.kind == EntryKind::File ||
      (entry.kind == EntryKind::Hardlink && entry.sizeKnown && entry.item.size > 0)) {
    const DataResult r = ReadData(entry, nullptr, entry.item.name);
    if (r != DataResult::Ok) {
      DataFailure(r, entry, 0);
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
  unsigned badHeaders = 0;
  while (stopCode_ == 0) {
    Entry entry;
    const ReadStatus rs = source_->Next(entry);
    if (rs == ReadStatus::End) break;
    if (rs == ReadStatus::ItemError && any && ++badHeaders < kMaxBadHeaders) {
      ++result_.failed;
      Problem(kErrFormat, "broken header skipped: " + source_->Error());
      ++index;
      continue;
    }
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
    const bool chosen = req_.indices.empty()
                            ? Selected(req_.patterns, entry.item.name)
                            : std::binary_search(req_.indices.begin(), req_.indices.end(),
                                                 entry.item.index);
    if (!chosen) continue;
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
  if (dest_) dest_->Close();
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
