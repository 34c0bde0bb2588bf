// Redraws of a drawing of 1,000,000 lines, arcs and circles into a 1920 × 1080 image: the whole
// view fitted (as after a load), the same view with the visibility tests (a redraw after a
// resize), a quarter of it (after zooming in) and the pan-drag redraw (quick mode).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>

#include "render/QtCanvas.h"
#include "render/Renderer.h"

namespace kestrel::render {
namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// A sheet of 2,500 identical parts on a 50 × 50 grid, each part of 240 lines, 80 circles and
// 80 arcs (400 records): shaped like a real drawing, where records lie near their neighbours.
dxf::Drawing MakeDrawing() {
  dxf::Drawing d;
  d.LayerAry.resize(1);
  d.LayerAry[0].Name = "0";
  for (int gy = 0; gy < 50; ++gy) {
    for (int gx = 0; gx < 50; ++gx) {
      const double ox = gx * 100, oy = gy * 60;
      for (int i = 0; i < 240; ++i) {
        dxf::TAcadLineBlk l;
        double t = i * 0.37;
        l.st = {ox + 5 + (i % 40) * 2, oy + 5 + (i / 40) * 8, 0};
        l.ed = {l.st.x + 6 * std::cos(t), l.st.y + 6 * std::sin(t), 0};
        l.PenColor = i % 3 == 0 ? 0xFFFFFF : 0x00FFFF;
        l.PenStyle = i % 17 == 0 ? 3 : 0;
        d.LineAry.push_back(l);
      }
      for (int i = 0; i < 80; ++i) {
        dxf::TCircleBlk c;
        c.center = {ox + 10 + (i % 10) * 8, oy + 8 + (i / 10) * 6, 0};
        c.hankei = 0.5 + (i % 5);
        c.PenColor = 0x0000FF;
        d.CircleAry.push_back(c);
        dxf::TArcBlk a;
        a.center = c.center;
        a.hankei = c.hankei + 1;
        a.st = (i * 37) % 360;
        a.ed = (i * 91 + 45) % 360;
        a.PenColor = 0x00FF00;
        d.ArcAry.push_back(a);
      }
    }
  }
  d.DrawingExtents = {{0, 0, 0}, {5000, 3000, 0}};
  return d;
}

dxf::Drawing& Shared() {
  static dxf::Drawing d = MakeDrawing();
  return d;
}

void Redraw(benchmark::State& state, double zoom, bool drawAll, bool quick) {
  dxf::Drawing& d = Shared();
  ViewState v = FitView(d.DrawingExtents);
  v.ViewWidth /= zoom;
  v.ViewHeight /= zoom;
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  DrawOptions o = DrawOptions::ForCanvas(kWidth, kHeight);
  o.drawAll = drawAll;
  o.quick = quick;
  int drawn = 0;
  for (auto _ : state) {
    QtCanvas canvas(img);
    ClearCanvas(canvas, kWidth, kHeight, kBlack);
    drawn = DrawDrawing(canvas, d, v, o);
    DrawViewFrame(canvas, kWidth, kHeight);
  }
  state.counters["records"] = double(d.LineAry.size() + d.CircleAry.size() + d.ArcAry.size());
  state.counters["drawn"] = drawn;
}

BENCHMARK_CAPTURE(Redraw, fitted_draw_all, 1.0, true, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Redraw, fitted_redraw, 1.0, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Redraw, zoomed_4x_redraw, 4.0, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Redraw, pan_drag_quick, 1.0, false, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel::render

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
