// Post-processing of a drawing made of INSERTs of blocks of 1,000 records: the time per
// produced record should not grow with the number of INSERTs or of blocks.
#include <benchmark/benchmark.h>

#include <string>

#include "dxf/PostProcess.h"

namespace kestrel::dxf {
namespace {

constexpr int kRecordsPerBlock = 1000;

// `blocks` blocks of 1,000 records each (700 lines, 100 circles, 100 arcs, 100 texts) and
// `inserts` INSERTs spread over them on a grid, turned and scaled in turn.
Drawing MakeDrawing(int inserts, int blocks) {
  Drawing d;
  d.LayerAry = {{"0", 7, "CONTINUOUS", true}, {"WALL", 3, "HIDDEN", true}};
  for (int b = 0; b < blocks; ++b) {
    const std::string name = "BLK" + std::to_string(b);
    TBlockBlk block;
    block.name = name;
    block.layer = "0";
    d.BlockAry.push_back(block);
    for (int i = 0; i < kRecordsPerBlock; ++i) {
      const double x = i % 37;
      const double y = i / 37;
      const char* layer = i % 2 == 0 ? "0" : "WALL";
      if (i < 700) {
        TAcadLineBlk line;
        line.bname = name;
        line.layer = layer;
        line.ltype = "BYLAYER";
        line.color = 7;
        line.st = {x, y, 0};
        line.ed = {x + 1, y + 0.5, 0};
        line.code210 = {0, 0, 1};
        d.BlkLineAry.push_back(line);
      } else if (i < 800) {
        TCircleBlk circle;
        circle.bname = name;
        circle.layer = layer;
        circle.center = {x, y, 0};
        circle.hankei = 0.4;
        circle.code210 = {0, 0, 1};
        d.BlkCircleAry.push_back(circle);
      } else if (i < 900) {
        TArcBlk arc;
        arc.bname = name;
        arc.layer = layer;
        arc.center = {x, y, 0};
        arc.hankei = 0.4;
        arc.st = 30;
        arc.ed = 120;
        arc.code210 = {0, 0, 1};
        d.BlkArcAry.push_back(arc);
      } else {
        TTextBlk text;
        text.bname = name;
        text.layer = layer;
        text.str = "部屋 " + std::to_string(i);
        text.pt10 = {x, y, 0};
        text.code40 = 0.3;
        text.code41 = 1;
        text.code210 = {0, 0, 1};
        d.BlkTextAry.push_back(text);
      }
    }
  }
  for (int i = 0; i < inserts; ++i) {
    TInsertBlk insert;
    insert.name = "BLK" + std::to_string(i % blocks);
    insert.layer = "WALL";
    insert.ltype = "BYLAYER";
    insert.color = 3;
    insert.base = {double(i % 100) * 50, double(i / 100) * 50, 0};
    insert.scale = {i % 3 == 0 ? -1.0 : 1.0, 1, 1};
    insert.rotate = (i % 4) * 90;
    insert.code210 = {0, 0, 1};
    d.EntInsertAry.push_back(insert);
  }
  return d;
}

void BM_PostProcessInserts(benchmark::State& state) {
  const int inserts = int(state.range(0));
  const int blocks = int(state.range(1));
  const Drawing source = MakeDrawing(inserts, blocks);
  size_t produced = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Drawing d = source;
    state.ResumeTiming();
    benchmark::DoNotOptimize(PostProcessDrawing(d));
    produced = d.LineAry.size() + d.CircleAry.size() + d.ArcAry.size() + d.TextAry.size();
    state.PauseTiming();
    d = Drawing{};  // freeing the output is not post-processing
    state.ResumeTiming();
  }
  state.counters["records"] = double(produced);
  state.SetItemsProcessed(int64_t(produced) * int64_t(state.iterations()));
}

BENCHMARK(BM_PostProcessInserts)
    ->ArgNames({"inserts", "blocks"})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({1000, 100})
    ->Args({10000, 100})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kestrel::dxf

BENCHMARK_MAIN();
