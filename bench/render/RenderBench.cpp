// Redraws of a drawing of 1,000,000 lines, arcs and circles into a 1920 × 1080 image: the whole
// view fitted (as after a load), the same view with the visibility tests (a redraw after a
// resize), a quarter of it (after zooming in) and the pan-drag redraw (quick mode). Then a sheet
// of 100,000 texts in 2,000 heights against the same texts in one height, fitted into 800 × 600
// and 5000 × 5000 images as a load draws them.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

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
  NormalizeArcEnds(d);  // as a load leaves the arcs
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

// A 1000 × 750 sheet in its frame with 100,000 TEXTs of three characters on a 400 × 250 grid.
// With `heights` 2,000 they come in heights from 0.2 to 120 units in even ratios (as scaled
// blocks and details give them), 50 texts of each, mixed; with 1 every text has their mean,
// 18.7 units. Fitted into 800 × 600 the texts are 0.2 to 112 pixels high (the mean 18), into
// 5000 × 5000 1.2 to 702 pixels (the mean 110). With `tallest` 2,500 the heights run from 0.2 to
// 2,500 units instead (a sheet with details and its title lettering): the 800 × 600 view then
// asks for well over a thousand pixel heights.
dxf::Drawing MakeTextDrawing(int heights, double tallest = 120) {
  constexpr int kColumns = 400, kRows = 250, kHeights = 2000;
  std::vector<double> h(kHeights);
  for (int k = 0; k < kHeights; ++k)
    h[size_t(k)] = 0.2 * std::pow(tallest / 0.2, double(k) / (kHeights - 1));
  const double mean = std::accumulate(h.begin(), h.end(), 0.0) / kHeights;
  dxf::Drawing d;
  d.LayerAry.resize(1);
  d.LayerAry[0].Name = "0";
  const dxf::TAcadPoint corners[] = {{0, 0, 0}, {1000, 0, 0}, {1000, 750, 0}, {0, 750, 0}};
  for (int i = 0; i < 4; ++i) {
    dxf::TAcadLineBlk l;
    l.st = corners[i];
    l.ed = corners[(i + 1) % 4];
    l.PenColor = 0xFFFFFF;
    d.LineAry.push_back(l);
  }
  d.TextAry.reserve(kColumns * kRows);
  for (int i = 0; i < kColumns * kRows; ++i) {
    dxf::TTextBlk t;
    t.pt10 = {1.25 + (i % kColumns) * 2.5, 1.5 + (i / kColumns) * 3.0, 0};
    t.pt11 = t.pt10;
    t.code40 = heights == 1 ? mean : h[size_t(i * 7919 % kHeights)];
    t.code41 = 1;
    t.code44 = 1;
    const std::string number = std::to_string(10 + i % 90);
    t.str = i % 3 == 0 ? "図" + number : char('A' + i % 26) + number;
    t.PenColor = i % 2 == 0 ? 0xFFFFFF : 0x00FFFF;
    d.TextAry.push_back(t);
  }
  d.DrawingExtents = {{0, 0, 0}, {1000, 750, 0}};
  return d;
}

void TextHeights(benchmark::State& state) {
  const int heights = int(state.range(0)), width = int(state.range(1)),
            height = int(state.range(2));
  const bool tall = state.range(3) != 0;
  static dxf::Drawing many = MakeTextDrawing(2000), one = MakeTextDrawing(1),
                      manyTall = MakeTextDrawing(2000, 2500), oneTall = MakeTextDrawing(1, 2500);
  dxf::Drawing& d = tall ? (heights == 1 ? oneTall : manyTall) : (heights == 1 ? one : many);
  const ViewState v = FitView(d.DrawingExtents);
  QImage img(width, height, QImage::Format_RGB32);
  DrawOptions o = DrawOptions::ForCanvas(width, height);
  o.drawAll = true;
  for (auto _ : state) {
    QtCanvas canvas(img);
    ClearCanvas(canvas, width, height, kBlack);
    DrawDrawing(canvas, d, v, o);
    DrawViewFrame(canvas, width, height);
  }
}

BENCHMARK(TextHeights)
    ->ArgNames({"heights", "w", "h", "tall"})
    ->Args({1, 800, 600, 0})
    ->Args({2000, 800, 600, 0})
    ->Args({1, 5000, 5000, 0})
    ->Args({2000, 5000, 5000, 0})
    ->Args({1, 800, 600, 1})
    ->Args({2000, 800, 600, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel::render

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
