// The drawing tab's loader and its redraw when the picture changes size.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QResizeEvent>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "app/DrawingPreview.h"
#include "preview/ImageBox.h"

namespace kestrel::app {
namespace {

struct Tab {
  QTabWidget tabs;
  QCheckBox* show = new QCheckBox;
  QLineEdit* name = new QLineEdit;
  preview::ImageBox* image = new preview::ImageBox;
  bool selected = true;
  DrawingPreview preview{{image, &tabs, 2, show, name, [this] { return selected; }}, {}, nullptr};

  Tab() {
    tabs.addTab(new QWidget, "a");
    tabs.addTab(new QWidget, "b");
    tabs.addTab(image, "c");
    tabs.setCurrentIndex(2);
    show->setChecked(true);
    name->setText("line.dxf");
  }
};

std::filesystem::path LineFile() {
  const auto path = std::filesystem::path(::testing::TempDir()) / "line.dxf";
  std::ofstream(path, std::ios::binary)
      << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n0\n0\nENDSEC\n0\nEOF\n";
  return path;
}

TEST(DrawingPreview, LoadsAtTheTargetsSizeAndMovesTheProgressBar) {
  Tab t;
  t.image->resize(120, 80);
  QProgressBar bar;
  bar.reset();
  t.preview.Load(QString::fromStdString(LineFile().string()), t.image, &bar);
  EXPECT_TRUE(t.preview.document().DrawingShown);
  EXPECT_EQ(t.image->image().size(), QSize(120, 80));
  EXPECT_EQ(bar.maximum(), 50);  // the reader's steps, back to 0 when it is done
  EXPECT_EQ(bar.value(), 0);

  t.preview.Load("/nonexistent/x.dxf", t.image, &bar);
  EXPECT_FALSE(t.preview.document().DrawingShown);
  EXPECT_EQ(t.image->image().pixel(40, 26), qRgb(0, 255, 255));  // the cross
}

TEST(DrawingPreview, ResizeRedrawsOnlyAShownDrawingOnItsTab) {
  struct Case {
    const char* name;
    void (*change)(Tab&);
    bool redraws;
  };
  const Case cases[] = {
      {"shown", [](Tab&) {}, true},
      {"DWG name", [](Tab& t) { t.name->setText("a.DWG"); }, true},
      {"other tab", [](Tab& t) { t.tabs.setCurrentIndex(0); }, false},
      {"box not ticked", [](Tab& t) { t.show->setChecked(false); }, false},
      {"no selection", [](Tab& t) { t.selected = false; }, false},
      {"other file", [](Tab& t) { t.name->setText("a.png"); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tab t;
    t.image->resize(120, 80);
    t.preview.Load(QString::fromStdString(LineFile().string()), t.image, nullptr);
    const double width = t.preview.document().view.ViewWidth;
    t.preview.document().CrossShown = true;
    c.change(t);
    t.image->resize(200, 100);
    QResizeEvent event(QSize(200, 100), QSize(120, 80));
    QCoreApplication::sendEvent(t.image, &event);
    EXPECT_EQ(t.image->image().size(), c.redraws ? QSize(200, 100) : QSize(120, 80));
    EXPECT_EQ(t.preview.document().CrossShown, !c.redraws);
    EXPECT_EQ(t.preview.document().view.ViewWidth, width);
  }
}

}  // namespace
}  // namespace kestrel::app
