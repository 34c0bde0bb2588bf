// The word search over a million file-list entries, and what the list costs in memory.
#include <benchmark/benchmark.h>

#include <random>

#include "catalogue/FilterFileList.h"

using namespace kestrel::catalogue;

namespace {

// A million realistic paths: project, discipline, phase folders, mixed names and extensions.
const FileList& MillionEntries(size_t* pathBytes = nullptr) {
  static FileList list;
  static size_t bytes = 0;
  if (list.empty()) {
    std::mt19937 rng(7);
    const char* proj[] = {"Tokyo_Office", "Osaka_Plant", "渋谷ビル", "Site_B", "Warehouse"};
    const char* disc[] = {"01_Architecture", "02_Structure", "03_MEP", "05_意匠", "99_Archive"};
    const char* sub[] = {"SD", "DD", "CD", "Rev_A", "old", "work", "1F", "details_詳細", "plans"};
    const char* stem[] = {"floor_plan", "FloorPlan", "site-PLAN", "elevation", "平面図",
                          "detail",     "schedule",  "notes",     "lighting",  "hvac"};
    const char* ext[] = {".dwg", ".DWG", ".dxf", ".pdf", ".lsp", ".txt", ".docx"};
    for (int i = 0; i < 1'000'000; ++i) {
      std::string p = "/home/user/projects/";
      p += proj[rng() % 5];
      p += '/';
      p += disc[rng() % 5];
      p += '/';
      p += sub[rng() % 9];
      p += '/';
      p += stem[rng() % 10];
      p += '_' + std::to_string(i);
      p += ext[rng() % 7];
      bytes += p.size();
      list.Append(p, 0x57A96000u);
    }
    list.SortAndRemoveDuplicates();
  }
  if (pathBytes) *pathBytes = bytes;
  return list;
}

void BM_TwoWordAndSearch(benchmark::State& state) {
  const FileList& list = MillionEntries();
  const SearchQuery query = MakeSearchQuery("plan dwg", false);
  size_t hits = 0;
  for (auto _ : state) {
    std::vector<uint32_t> found;
    FilterFileList(list, query, found, [](size_t) { return true; });
    hits = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["entries"] = static_cast<double>(list.size());
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_TwoWordAndSearch)->Unit(benchmark::kMillisecond);

void BM_FileListMemory(benchmark::State& state) {
  size_t pathBytes = 0;
  const FileList& list = MillionEntries(&pathBytes);
  for (auto _ : state)
    benchmark::DoNotOptimize(list.MemoryBytes());
  state.counters["overhead_bytes_per_entry"] =
      static_cast<double>(list.MemoryBytes() - pathBytes) / static_cast<double>(list.size());
}
BENCHMARK(BM_FileListMemory)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
