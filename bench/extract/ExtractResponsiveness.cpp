// How live the window stays while "抽出" runs: a 1 ms timer ticks whenever the command lets
// events through; the longest gap between two ticks is the longest the window went without
// handling its events. extract_responsiveness [--pdf-engine] FILE...
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/TextExtraction.h"
#include "preview/TextView.h"

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  bool pdfEngine = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--pdf-engine") {
      pdfEngine = true;
      continue;
    }
    QTabWidget tabs;
    auto* view = new kestrel::preview::TextView;
    tabs.addTab(view, " TEXT");
    QProgressBar progress;
    kestrel::app::TextExtraction extraction(
        {&tabs, 0, view, &progress, nullptr, [&] { return std::optional<std::string>(arg); },
         [] { return true; },
         [](const kestrel::Message& m) { std::fprintf(stderr, "message: %s\n", m.text.c_str()); }});
    extraction.SetUsesPdfEngine(pdfEngine);
    tabs.resize(800, 600);
    tabs.show();
    QElapsedTimer sinceTick, total;
    qint64 longest = 0;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (std::getenv("KESTREL_GAPS") && sinceTick.elapsed() > 40)
        std::fprintf(stderr, "  gap %lld ms ending at %.3f s\n",
                     static_cast<long long>(sinceTick.elapsed()), total.elapsed() / 1000.0);
      longest = std::max(longest, sinceTick.elapsed());
      sinceTick.restart();
      ++ticks;
    });
    timer.start();
    sinceTick.start();
    total.start();
    extraction.Run();
    longest = std::max(longest, sinceTick.elapsed());
    std::printf("%s%s: %.3f s, %d lines, %d event turns, longest gap %lld ms\n", arg.c_str(),
                pdfEngine ? " (PDF engine)" : "", total.elapsed() / 1000.0, view->LineCount(),
                ticks, static_cast<long long>(longest));
  }
  return 0;
}
