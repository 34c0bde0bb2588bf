// Loading a long folder list into the folder combo box: at once (sorted with collation keys),
// against inserting the lines one by one with a linear collator scan as start-up used to; and
// the whole window start-up with a 40,000-line "KestrelTopFolders.txt".
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/CatalogueController.h"
#include "app/MainWindow.h"

using kestrel::app::CatalogueController;

namespace {

// Top folders as a firm keeps them, in no order: customers, projects, years, disciplines.
QStringList FolderLines(int count) {
  const char* roots[] = {"/home/user/projects", "/srv/cad", "/mnt/share/図面", "D:/Drawings"};
  const char* clients[] = {"Tokyo_Office", "osaka_plant", "渋谷ビル", "Site_B",
                           "横浜倉庫",     "ACME",        "acme",     "名古屋支店"};
  const char* parts[] = {"01_Architecture", "02_構造", "03_MEP", "05_意匠",
                         "99_Archive",      "SD",      "DD",     "CD",
                         "Rev_A",           "old",     "ﾃｽﾄ"};
  std::mt19937 rng(17);
  QStringList lines;
  lines.reserve(count);
  for (int i = 0; i < count; ++i) {
    QString p = QString::fromUtf8(roots[rng() % std::size(roots)]);
    p += "/" + QString::fromUtf8(clients[rng() % std::size(clients)]);
    p += "/" + QString::number(2000 + rng() % 26) + "_" + QString::number(i);
    p += "/" + QString::fromUtf8(parts[rng() % std::size(parts)]);
    lines << p;
  }
  return lines;
}

// Start-up's former way: each line after every item that does not sort after it, found from
// the first item on.
void InsertOneByOne(QComboBox* combo, const QString& text) {
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  int at = 0;
  while (at < combo->count() && collator.compare(combo->itemText(at), text) <= 0)
    ++at;
  combo->insertItem(at, text);
}

void BM_FolderBoxOneByOne(benchmark::State& state) {
  const QStringList lines = FolderLines(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QComboBox combo;
    for (const QString& line : lines)
      InsertOneByOne(&combo, line);
    benchmark::DoNotOptimize(combo.count());
  }
}
BENCHMARK(BM_FolderBoxOneByOne)
    ->Arg(5'000)
    ->Arg(10'000)
    ->Arg(20'000)
    ->Arg(40'000)
    ->Iterations(1)
    ->Repetitions(1)  // minutes at 40,000 lines
    ->Unit(benchmark::kMillisecond);

void BM_FolderBoxAtOnce(benchmark::State& state) {
  const QStringList lines = FolderLines(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    QComboBox combo;
    CatalogueController::SetSortedItems(&combo, lines);
    benchmark::DoNotOptimize(combo.count());
  }
}
BENCHMARK(BM_FolderBoxAtOnce)
    ->Arg(5'000)
    ->Arg(10'000)
    ->Arg(20'000)
    ->Arg(40'000)
    ->Unit(benchmark::kMillisecond);

// The window from construction to its first shown frame, with a folder list of N lines (0: no
// list, what the rest of start-up costs).
void BM_WindowStartUp(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("kestrel-bench-folders-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::string bytes;
  for (const QString& line : FolderLines(static_cast<int>(state.range(0))))
    bytes += line.toStdString() + "\r\n";
  kestrel::app::AppEnvironment env;
  env.settingsFolder = folder.string() + "/";
  env.settingsFileName = "kestrel.ini";
  env.messages = [](const kestrel::Message&) {};
  env.forcePdfUnavailable = true;
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(folder / "kestrel.ini");
    std::ofstream(folder / "KestrelTopFolders.txt", std::ios::binary | std::ios::trunc) << bytes;
    state.ResumeTiming();
    {
      kestrel::app::MainWindow window(env);
      window.show();
      QApplication::processEvents();
      benchmark::DoNotOptimize(window.folderCombo()->count());
      state.PauseTiming();  // the shut-down is not start-up
    }
    state.ResumeTiming();
  }
  fs::remove_all(folder);
}
BENCHMARK(BM_WindowStartUp)->Arg(0)->Arg(40'000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The offscreen platform warns about every shown window.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtWarningMsg && type != QtDebugMsg && type != QtInfoMsg)
      std::fprintf(stderr, "%s\n", qPrintable(text));
  });
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
