// Micro benchmarks of the per-item costs behind the whole-process numbers of run.sh: one
// progress message sent to a do-nothing window, and the engine extracting a ZIP of many small
// files with and without a progress function.
#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/libapi.h"
#include "engine.h"
#include "platform/winapi.h"

namespace {

void BM_SendMessage(benchmark::State& state) {
  const platform::UINT msg = platform::RegisterWindowMessage(libapi::kArcExtractMessage);
  const platform::HWND wnd = platform::AllocateHWnd(
      [](platform::UINT, platform::WPARAM, platform::LPARAM) { return platform::LRESULT{0}; });
  libapi::EXTRACTINGINFOEX info{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        platform::SendMessage(wnd, msg, libapi::kStateBegin, reinterpret_cast<platform::LPARAM>(&info)));
  }
  platform::DeallocateHWnd(wnd);
}
BENCHMARK(BM_SendMessage);

int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return std::remove(path); }
void RemoveTree(const std::string& dir) { nftw(dir.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

// A deflated ZIP of `count` files of 0-4 KB text in 20 folders, made once in /dev/shm (or
// TMPDIR) so the numbers show the engine, not a disk.
std::string SmallFilesZip(int count) {
  const char* base = std::getenv("TMPDIR");
  const std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (base ? base : "/tmp");
  const std::string path = dir + "/pukonpa-engine-bench-" + std::to_string(count) + ".zip";
  if (access(path.c_str(), R_OK) == 0) return path;
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  archive_write_open_filename(a, path.c_str());
  std::string data;
  for (int i = 0; i < count; ++i) {
    data.assign(static_cast<std::size_t>((i * 7919) % 4096), 'a');
    for (std::size_t j = 0; j < data.size(); j += 7) data[j] = static_cast<char>('a' + (i + j) % 26);
    archive_entry* e = archive_entry_new();
    const std::string name = "d" + std::to_string(i % 20) + "/f" + std::to_string(i) + ".txt";
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, static_cast<la_int64_t>(data.size()));
    archive_write_header(a, e);
    archive_write_data(a, data.data(), data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
  return path;
}

// Argument: 1 with a progress function that does nothing, 0 without.
void BM_ExtractSmallFiles(benchmark::State& state) {
  constexpr int kFiles = 2000;
  const std::string zip = SmallFilesZip(kFiles);
  const std::string dest = zip + ".out";
  engine::ProgressFn progress;
  if (state.range(0) != 0) {
    progress = [](engine::Stage, const engine::Item&, std::uint64_t, const std::string&) { return true; };
  }
  for (auto _ : state) {
    state.PauseTiming();
    RemoveTree(dest);
    mkdir(dest.c_str(), 0755);
    engine::Request request;
    request.archive = zip;
    request.destDir = dest;
    state.ResumeTiming();
    const engine::Result result = engine::Run(request, progress);
    if (result.code != engine::kOk || result.extracted != kFiles) {
      state.SkipWithError(("extraction failed: " + result.text).c_str());
      break;
    }
  }
  RemoveTree(dest);
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ExtractSmallFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
