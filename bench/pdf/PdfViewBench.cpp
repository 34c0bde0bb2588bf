// The PDF view on large documents: time to the first shown page, and peak memory at a zoom.
//   bench_pdf_view gen DIR               writes DIR/pages200.pdf and DIR/a0_drawing.pdf
//   bench_pdf_view first FILE [WxH]      ms from the load to the page on screen, then to sharp
//   bench_pdf_view memory FILE ZOOM      scrolls over the page at ZOOM %; peak resident MB
// Each measurement runs in a process of its own (peak memory is the process's).
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

#include "preview/PdfView.h"

using kestrel::preview::PdfView;
using kestrel::preview::TPdfControlScaleMode;

namespace {

void Generate(const QString& dir) {
  {
    QPdfWriter w(dir + "/pages200.pdf");
    w.setPageSize(QPageSize(QPageSize::A4));
    w.setResolution(72);
    QPainter p(&w);
    p.setFont(QFont("IPAGothic", 10));
    for (int page = 0; page < 200; ++page) {
      if (page > 0) w.newPage();
      for (int line = 0; line < 60; ++line)
        p.drawText(40, 40 + line * 12,
                   QStringLiteral("%1 頁 %2 行: 図面の一覧と仕様書の本文、Kestrel preview text")
                       .arg(page + 1)
                       .arg(line + 1));
    }
  }
  {
    // An A0 sheet of a plan: 200,000 short lines, 5,000 circles and 2,000 labels.
    QPdfWriter w(dir + "/a0_drawing.pdf");
    w.setPageSize(QPageSize(QPageSize::A0));
    w.setPageOrientation(QPageLayout::Landscape);
    w.setResolution(72);
    QPainter p(&w);
    QRandomGenerator rng(11);
    const int W = 3370, H = 2384;
    p.setPen(QPen(Qt::black, 0.3));
    for (int i = 0; i < 200000; ++i) {
      const double x = rng.bounded(W), y = rng.bounded(H);
      p.drawLine(QPointF(x, y), QPointF(x + rng.bounded(40.0) - 20, y + rng.bounded(40.0) - 20));
    }
    for (int i = 0; i < 5000; ++i)
      p.drawEllipse(QPointF(rng.bounded(W), rng.bounded(H)), 5, 5);
    p.setFont(QFont("IPAGothic", 6));
    for (int i = 0; i < 2000; ++i)
      p.drawText(QPointF(rng.bounded(W), rng.bounded(H)), QStringLiteral("室 %1").arg(i));
  }
}

bool WaitFor(PdfView& view, bool sharp) {
  QElapsedTimer t;
  t.start();
  while (!(view.PageShown() && (!sharp || view.RenderIdle()))) {
    if (t.elapsed() > 120000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(200);
  }
  return true;
}

// CPU time of every thread of the process so far, in ms: the machine is shared, wall time is not
// all ours.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double PeakResidentMB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1000.0;  // kB
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc >= 3 && std::strcmp(argv[1], "gen") == 0) {
    Generate(QString::fromLocal8Bit(argv[2]));
    return 0;
  }
  if (argc < 3) {
    std::fputs("usage: bench_pdf_view gen DIR | first FILE [WxH] | memory FILE ZOOM\n", stderr);
    return 2;
  }
  int w = 1280, h = 800;
  if (std::strcmp(argv[1], "first") == 0 && argc >= 4) std::sscanf(argv[3], "%dx%d", &w, &h);
  PdfView view;
  if (!view.CreateEngine()) return 1;
  view.resize(w, h);
  view.show();
  QCoreApplication::processEvents();

  if (std::strcmp(argv[1], "first") == 0) {
    QElapsedTimer t;
    t.start();
    const double cpu0 = CpuMs();
    view.SetScaleMode(TPdfControlScaleMode::smFitAuto);
    view.LoadFromFile(argv[2]);
    const double loaded = t.nsecsElapsed() / 1e6;
    if (!WaitFor(view, false)) return 1;
    const double shown = t.nsecsElapsed() / 1e6;
    const double shownCpu = CpuMs() - cpu0;
    if (!WaitFor(view, true)) return 1;
    const double sharp = t.nsecsElapsed() / 1e6;
    // The next page, once the view has drawn it ahead.
    double turned = 0;
    if (view.PageCount() > 1) {
      if (!WaitFor(view, true)) return 1;
      QElapsedTimer turn;
      turn.start();
      view.GotoNextPage(false);
      if (!WaitFor(view, false)) return 1;
      turned = turn.nsecsElapsed() / 1e6;
    }
    std::printf(
        "pages %d loaded %.1f ms shown %.1f ms sharp %.1f ms next-page %.1f ms cpu %.1f ms\n",
        view.PageCount(), loaded, shown, sharp, turned, shownCpu);
    return 0;
  }
  if (std::strcmp(argv[1], "memory") == 0 && argc >= 4) {
    view.LoadFromFile(argv[2]);
    view.SetScaleMode(TPdfControlScaleMode::smZoom);
    view.SetZoomPercentage(std::atoi(argv[3]));
    if (!WaitFor(view, true)) return 1;
    // Across the page in a 5 x 5 grid of scroll positions, each one rendered sharp.
    QScrollBar* hb = view.horizontalScrollBar();
    QScrollBar* vb = view.verticalScrollBar();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 5; ++i) {
      for (int j = 0; j < 5; ++j) {
        hb->setValue(hb->maximum() * j / 4);
        vb->setValue(vb->maximum() * i / 4);
        if (!WaitFor(view, true)) return 1;
      }
    }
    const QSize page = view.DrawnPageSize();
    std::printf("zoom %d page %dx%d px cached %.1f MB peak %.1f MB (25 views in %.0f ms)\n",
                view.ZoomPercentage(), page.width(), page.height(), view.CachedBytes() / 1e6,
                PeakResidentMB(), t.nsecsElapsed() / 1e6);
    return 0;
  }
  return 2;
}
