// The drawing tab's loader and its redraw when the picture changes size.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "app/DrawingPreview.h"
#include "app/MainWindow.h"
#include "app/ResultListModel.h"
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

// A file of its own for each test: ctest runs the tests in parallel processes.
std::filesystem::path LineFile() {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const auto path = std::filesystem::path(::testing::TempDir()) / ("line-" + test + ".dxf");
  std::ofstream(path, std::ios::binary)
      << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n0\n0\nENDSEC\n0\nEOF\n";
  return path;
}

TEST(DrawingPreview, LoadsAtTheTargetsSizeAndMovesTheProgressBar) {
  Tab t;
  t.image->resize(120, 80);
  QProgressBar bar;
  bar.reset();
  t.preview.Load(LineFile().string(), t.image, &bar);
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
    t.preview.Load(LineFile().string(), t.image, nullptr);
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

namespace kestrel::app {
namespace {

// Selecting a DXF in the window: into the thumbnail while another tab is active, into the
// drawing tab when it is active and shown.
TEST(DrawingPreview, SelectedDxfIsDrawnWhereTheWindowShowsIt) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(::testing::TempDir()) / "kestrel-drawing-window";
  fs::remove_all(root);
  fs::create_directories(root / "tree");
  fs::create_directories(root / "settings");
  fs::copy_file(LineFile(), root / "tree" / "line.dxf");
  AppEnvironment env;
  env.settingsFolder = (root / "settings").string() + "/";
  env.settingsFileName = "kestrel.ini";
  env.defaultTopFolder = (root / "tree").string();
  env.messages = [](const Message&) {};
  env.forcePdfUnavailable = true;
  {
    MainWindow w(env);
    w.show();
    w.folderCombo()->setEditText(QString::fromStdString((root / "tree").string()));
    w.maskCombo()->setEditText("*.dxf");
    w.buildButton()->click();
    ASSERT_EQ(w.resultModel()->Count(), 1);
    const QModelIndex first = w.resultModel()->index(0, 0);

    w.resultList()->setCurrentIndex(first);
    EXPECT_EQ(w.thumbnail()->image().size(), QSize(100, 100));
    EXPECT_EQ(w.thumbnail()->image().pixel(0, 0), qRgb(0, 255, 255));

    w.resultList()->clearSelection();
    w.tabs()->setCurrentIndex(2);
    w.drawingShowBox()->setChecked(true);
    w.resultList()->setCurrentIndex(first);
    const QImage& tab = w.drawingImage()->image();
    EXPECT_EQ(tab.size(), w.drawingImage()->size());
    EXPECT_EQ(tab.pixel(0, 0), qRgb(0, 255, 255));
    EXPECT_EQ(tab.pixel(tab.width() / 2, tab.height() / 2), qRgb(255, 255, 255));
    if (const char* shot = std::getenv("KESTREL_SCREENSHOT")) w.grab().save(shot);
    w.close();
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace kestrel::app
