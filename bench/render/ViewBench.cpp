// The interactive drawing view at 1920 × 1080, offscreen, through the drawing tab's widget: from
// the Qt event to the painted picture. A wheel notch (zoom in and out about a point), a pan-drag
// step (the quick picture), a gesture's redraw (recentre, and the whole drawing with draw-all),
// and the overlays that need no redraw: a crosshair move and a rubber-band move.
//
// The drawing: KBENCH_VIEW_DXF (a file, loaded as the window loads it), else the generated
// 200 MB drawing under $KBENCH/dxf.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/DrawingTab.h"
#include "preview/ImageBox.h"
#include "render/DxfPreview.h"

namespace kestrel::app {

// One tab for every benchmark: the load takes a second or more. It goes before the
// application does (main).
std::unique_ptr<DrawingTab>& TabHolder() {
  static std::unique_ptr<DrawingTab> tab;
  return tab;
}

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

std::string DrawingPath() {
  if (const char* path = std::getenv("KBENCH_VIEW_DXF")) return path;
  const char* dir = std::getenv("KBENCH");
  return std::string(dir ? dir : "/tmp/kestrel-bench") + "/dxf/r2018_200mb.dxf";
}

DrawingTab* Tab() {
  static std::unique_ptr<DrawingTab>& tab = TabHolder() = [] {
    auto t = std::make_unique<DrawingTab>(MessageSink{});
    t->SetWindow({[] { return true; }, [] { return true; }, [] {}});
    t->Picture()->setFixedSize(kWidth, kHeight);
    t->show();
    t->adjustSize();
    t->ShowBox()->setChecked(true);
    t->LoadDxfPreview(DrawingPath());
    // The window is exposed once its events have run; until then nothing paints.
    for (int i = 0; i < 10; ++i)
      QCoreApplication::processEvents();
    return t;
  }();
  return tab.get();
}

void Send(QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* image = Tab()->Picture();
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
  QMouseEvent e(type, QPointF(at), QPointF(image->mapToGlobal(at)), button, buttons, modifiers);
  QCoreApplication::sendEvent(image, &e);
}

// Counts the picture's paint events: the figures include painting it.
struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};
PaintCounter& Paints() {
  static PaintCounter* counter = [] {
    auto* c = new PaintCounter;
    Tab()->Picture()->installEventFilter(c);
    return c;
  }();
  return *counter;
}

// What the event drew, painted as the event loop paints it: only what the event marked.
void Paint() {
  Paints();
  QCoreApplication::processEvents();
}

bool Ready(benchmark::State& state) {
  DrawingTab* tab = Tab();
  if (!tab->DrawingShown() || tab->Picture()->size() != QSize(kWidth, kHeight)) {
    state.SkipWithError(("no drawing at " + DrawingPath()).c_str());
    return false;
  }
  const dxf::Drawing& d = tab->View().document().drawing;
  state.counters["records"] =
      double(d.LineAry.size() + d.CircleAry.size() + d.ArcAry.size() + d.TextAry.size());
  // Every benchmark starts from the fitted view.
  Send(QEvent::MouseButtonPress, {1000, 500}, Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, {1020, 480}, Qt::LeftButton);
  return true;
}

// Alternately in and out about the same pixel: the view comes back after each pair.
void WheelNotch(benchmark::State& state) {
  if (!Ready(state)) return;
  QWidget* image = Tab()->Picture();
  const QPoint at(700, 400);
  int i = 0;
  for (auto _ : state) {
    QWheelEvent e(QPointF(at), QPointF(image->mapToGlobal(at)), QPoint(),
                  QPoint(0, (i++ % 2 == 0) ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    Tab()->Wheel(image, &e);
    Paint();
  }
  state.counters["redraws"] = Tab()->Redraws();
  state.counters["paints"] = Paints().paints;
}

// The middle button held, the pointer moving to and fro: each step draws the quick picture.
void PanStep(benchmark::State& state) {
  if (!Ready(state)) return;
  Send(QEvent::MouseButtonPress, {960, 540}, Qt::MiddleButton);
  int i = 0;
  for (auto _ : state) {
    const int d = (i++ % 2 == 0) ? 40 : -40;
    Send(QEvent::MouseMove, {960 + d, 540 + d}, Qt::MiddleButton);
    Paint();
  }
  Send(QEvent::MouseButtonRelease, {960, 540}, Qt::MiddleButton);  // after the timed loop
}

// A click recentres (a redraw with the visibility tests); the drag right and up shows the whole
// drawing (draw-all).
void Gesture(benchmark::State& state) {
  if (!Ready(state)) return;
  const bool whole = state.range(0) != 0;
  for (auto _ : state) {
    Send(QEvent::MouseButtonPress, {960, 540}, Qt::LeftButton);
    const QPoint release = whole ? QPoint(1000, 500) : QPoint(962, 542);
    Send(QEvent::MouseButtonRelease, release, Qt::LeftButton);
    Paint();
  }
}

// The crosshair moves (XOR off, XOR on) with no button; with the left button down the rubber
// band moves too. Neither redraws the drawing.
void Overlay(benchmark::State& state) {
  if (!Ready(state)) return;
  const bool band = state.range(0) != 0;
  const int redraws = Tab()->Redraws();
  if (band) Send(QEvent::MouseButtonPress, {400, 300}, Qt::LeftButton);
  int i = 0;
  for (auto _ : state) {
    const int d = (i++ % 2 == 0) ? 300 : 200;
    Send(QEvent::MouseMove, {400 + 2 * d, 300 + d}, band ? Qt::LeftButton : Qt::NoButton);
    Paint();
  }
  state.counters["redraws"] = Tab()->Redraws() - redraws;
  state.counters["paints"] = Paints().paints;
  if (band) {
    // A release at the press recentres, after the timed loop.
    Send(QEvent::MouseButtonRelease, {400, 300}, Qt::LeftButton);
  }
}

// The renderer alone on the same drawing and view, into a picture that is reused: what the
// figures above add to it is the event, the picture's memory and the painting.
void RendererAlone(benchmark::State& state) {
  if (!Ready(state)) return;
  const bool quick = state.range(0) != 0;
  render::DrawingDocument& doc = Tab()->View().document();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    render::RedrawView(doc, doc.view, image, image.size(), false, quick);
    benchmark::DoNotOptimize(image.constBits());
  }
}

BENCHMARK(RendererAlone)
    ->ArgName("quick")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK(WheelNotch)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(PanStep)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Gesture)->ArgName("whole")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Overlay)->ArgName("band")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->MinTime(1);

}  // namespace
}  // namespace kestrel::app

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  kestrel::app::TabHolder().reset();
}
