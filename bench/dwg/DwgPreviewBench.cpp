// Selecting a DWG: its stored preview into the 100 x 100 thumbnail, for every DWG of the corpus
// and for a 200 MB file whose preview sits near its start. Only the header and the picture are
// read, so the time must not depend on the file's size.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "dwg/ShowDwgPreview.h"
#include "preview/ImageBox.h"

namespace fs = std::filesystem;

namespace {

kestrel::preview::ImageBox* Box() {
  static auto* box = [] {
    auto* b = new kestrel::preview::ImageBox;
    b->resize(100, 100);
    return b;
  }();
  return box;
}

void Thumbnail(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kestrel::dwg::ShowDwgPreview(path, Box()));
  }
  state.counters["bytes"] = double(fs::file_size(path));
}

// A real DWG's bytes followed by zeros up to 200 MB (written out, not a sparse file).
std::string MakeLargeDwg(const fs::path& folder) {
  const fs::path path = folder / "large-200MB.dwg";
  const fs::path source = fs::path(KESTREL_CORPUS_DIR) / "dwg" / "libredwg_example_2000.dwg";
  fs::copy_file(source, path, fs::copy_options::overwrite_existing);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  const std::vector<char> zeros(1 << 20, '\0');
  for (uint64_t size = fs::file_size(source); size < (200u << 20); size += zeros.size())
    out.write(zeros.data(), std::streamsize(zeros.size()));
  return path.string();
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(fs::path(KESTREL_CORPUS_DIR) / "dwg"))
    files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& f : files) {
    benchmark::RegisterBenchmark(("thumbnail/" + f.filename().string()).c_str(), Thumbnail,
                                 f.string())
        ->Unit(benchmark::kMillisecond);
  }
  const fs::path work = fs::temp_directory_path() / "kestrel-dwg-bench";
  fs::create_directories(work);
  const std::string large = MakeLargeDwg(work);
  benchmark::RegisterBenchmark("thumbnail/large-200MB.dwg", Thumbnail, large)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(work);
  return 0;
}
