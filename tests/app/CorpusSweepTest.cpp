// Every sample file of the shared corpus, every fixture and fuzz seed of the readers' tests, and
// the special files a reader must refuse, previewed through the real window on each of its tabs.
// Nothing may crash, hang or leak (the sanitizer build checks the leaks). A watchdog ends the
// run when one preview takes longer than its guard: a guard against hangs, not a timing test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/PreviewProbe.h"
#include "common/SpecialFiles.h"

namespace fs = std::filesystem;
using kestrel::test::PreviewProbe;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 5;  // sanitizers and no optimisation
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kSlowdown = 5;
#else
constexpr int kSlowdown = 1;
#endif
#else
constexpr int kSlowdown = 1;
#endif
constexpr std::chrono::milliseconds kGuard{2000 * kSlowdown};

// Ends the process with a message when Arm() is not followed by Disarm() within the guard.
class Watchdog {
 public:
  Watchdog()
      : thread_([this] {
          std::unique_lock lock(mutex_);
          while (!stop_) {
            if (!armed_) {
              changed_.wait(lock);
              continue;
            }
            if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
                std::chrono::steady_clock::now() >= deadline_) {
              std::fprintf(stderr, "preview of %s did not end within %lld ms\n", what_.c_str(),
                           static_cast<long long>(kGuard.count()));
              std::fflush(stderr);
              _exit(124);
            }
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  void Arm(std::string what) {
    std::lock_guard lock(mutex_);
    what_ = std::move(what);
    deadline_ = std::chrono::steady_clock::now() + kGuard;
    armed_ = true;
    changed_.notify_all();
  }
  void Disarm() {
    std::lock_guard lock(mutex_);
    armed_ = false;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string what_;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false;
  bool stop_ = false;
  std::thread thread_;
};

void AddFilesBelow(const fs::path& root, std::vector<std::string>& paths) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) return;
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
    if (entry.is_regular_file(ec)) found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end());
  paths.insert(paths.end(), found.begin(), found.end());
}

}  // namespace

TEST(CorpusSweep, EveryFileOnEveryTab) {
  std::vector<std::string> paths;
  AddFilesBelow(KESTREL_CORPUS_DIR, paths);
  const size_t corpusFiles = paths.size();
  AddFilesBelow(KESTREL_FIXTURES_DIR, paths);
  AddFilesBelow(fs::path(KESTREL_FIXTURES_DIR) / ".." / ".." / "fuzz" / "seeds", paths);

  // The special files the readers refuse, under each extension that has a reader; the endless
  // writer is left to the hostile-entries test, which runs every selection in a child.
  std::vector<std::unique_ptr<kestrel::test::SpecialFiles>> specials;
  for (const char* ext : {".txt", ".lsp", ".dxf", ".png", ".pdf", ".dwg"}) {
    specials.push_back(std::make_unique<kestrel::test::SpecialFiles>(ext));
    for (const kestrel::test::SpecialFile& f : specials.back()->Files()) {
      if (!f.endlessWriter) paths.push_back(f.path);
    }
    const std::string base = specials.back()->Folder().string() + "/";
    fs::create_symlink("/proc/self/status", base + "proc" + ext);
    paths.push_back(base + "proc" + ext);
    std::ofstream(base + "sparse" + ext) << "";
    fs::resize_file(base + "sparse" + ext, uint64_t(4) << 30);
    paths.push_back(base + "sparse" + ext);
    paths.push_back(base + "missing" + ext);
  }

  ASSERT_GT(corpusFiles, 50u) << "the shared corpus is missing: " << KESTREL_CORPUS_DIR;
  PreviewProbe probe;
  probe.List(paths);
  Watchdog watchdog;
  int drawn = 0;  // the sweep does draw: most corpus drawings show on the drawing tab
  for (PreviewProbe::Tab tab : {PreviewProbe::kText, PreviewProbe::kPdf, PreviewProbe::kDrawing}) {
    probe.ShowTab(tab);
    for (size_t row = 0; row < paths.size(); ++row) {
      watchdog.Arm(paths[row] + " on tab " + std::to_string(tab));
      probe.Select(int(row));
      watchdog.Disarm();
      // Every selection names its file, whatever its reader made of it.
      const std::string shown = probe.Describe(int(row));
      EXPECT_EQ(shown.find("|not named"), std::string::npos) << paths[row] << ": " << shown;
      drawn += tab == PreviewProbe::kDrawing && row < corpusFiles &&
               shown.ends_with("|tab picture=picture");
    }
  }
  EXPECT_GE(drawn, 30);
}
