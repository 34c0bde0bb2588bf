// Refilling the window's result list with a million lines, until the list has painted.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/ResultListModel.h"
#include "catalogue/FileList.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kestrel::catalogue::FileList list;
  for (int i = 0; i < 1'000'000; ++i) {
    list.Append("/home/user/projects/Tokyo_Office/01_Architecture/plans/floor_plan_" +
                    std::to_string(i) + ".dwg",
                0x57A96000u);
  }
  list.SortAndRemoveDuplicates();
  std::vector<uint32_t> hits(list.size());
  for (size_t i = 0; i < hits.size(); ++i)
    hits[i] = static_cast<uint32_t>(i);

  kestrel::app::ResultListModel model;
  QListView view;
  view.setUniformItemSizes(true);
  view.setModel(&model);
  view.resize(489, 300);
  view.show();
  QApplication::processEvents();

  std::vector<double> ms;
  for (int run = 0; run < 5; ++run) {
    model.Clear();
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    view.setUpdatesEnabled(false);
    model.SetHits(list, hits);
    view.setUpdatesEnabled(true);
    view.repaint();
    QApplication::processEvents();
    ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("result list refill, %zu lines: median %.0f ms (min %.0f, max %.0f)\n", hits.size(),
              ms[2], ms[0], ms[4]);
  return 0;
}
