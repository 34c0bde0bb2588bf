// The drawing tab: its loader, its redraw when the picture changes size, and its view widget
// driven by real mouse events, with overlays that come and go without a redraw.
#include "app/DrawingTab.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>

#include "app/MainWindow.h"
#include "app/ResultListModel.h"
#include "preview/ImageBox.h"

namespace kestrel::app {
namespace {

struct Tab {
  bool selected = true;
  bool active = true;
  int thumbnailBlanked = 0;
  DrawingTab tab{{}};

  Tab() {
    tab.SetWindow(
        {[this] { return selected; }, [this] { return active; }, [this] { ++thumbnailBlanked; }});
    tab.ShowBox()->setChecked(true);
    tab.resize(420, 340);
    tab.show();
  }
  preview::ImageBox* image() { return tab.Picture(); }
};

// A file of its own for each test: ctest runs the tests in parallel processes.
std::filesystem::path DxfFile(const std::string& entities) {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  const auto path = std::filesystem::path(::testing::TempDir()) / ("tab-" + test + ".dxf");
  std::ofstream(path, std::ios::binary) << "0\nSECTION\n2\nENTITIES\n"
                                        << entities << "0\nENDSEC\n0\nEOF\n";
  return path;
}
const char* kLine = "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n100\n21\n0\n";
const char* kCircle = "0\nCIRCLE\n8\n0\n10\n50\n20\n40\n40\n12.5\n";

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::NoButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, modifiers);
  QCoreApplication::sendEvent(w, &e);
}

// The pixel of a world point under the tab's view.
QPoint PixelOf(DrawingTab& tab, double x, double y) {
  const render::DrawingView& v = tab.View();
  const render::ViewState& view = v.document().view;
  const double s = render::ViewScale(view, v.width(), v.height());
  const render::ScreenPoint p = render::WorldToScreen(
      {x - view.ViewCenter.x, y - view.ViewCenter.y, 0}, s, {v.width() / 2, v.height() / 2});
  return {p.x, p.y};
}

TEST(DrawingTab, LoadsAtTheTargetsSizeAndMovesTheProgressBar) {
  Tab t;
  QProgressBar bar;
  bar.reset();
  t.tab.LoadDxfPreview(DxfFile(kLine).string(), nullptr, &bar);
  EXPECT_TRUE(t.tab.DrawingShown());
  EXPECT_EQ(t.image()->image().size(), t.image()->size());
  EXPECT_EQ(bar.maximum(), 50);  // the reader's steps, back to 0 when it is done
  EXPECT_EQ(bar.value(), 0);

  preview::ImageBox thumbnail;
  thumbnail.resize(100, 100);
  t.tab.LoadDxfPreview("/nonexistent/x.dxf", &thumbnail, &bar);
  EXPECT_FALSE(t.tab.DrawingShown());
  EXPECT_EQ(thumbnail.image().pixel(40, 40), qRgb(0, 255, 255));  // the cross
}

TEST(DrawingTab, ResizeRedrawsOnlyAShownDrawingOnItsTab) {
  struct Case {
    const char* name;
    void (*change)(Tab&);
    bool redraws;
  };
  const Case cases[] = {
      {"shown", [](Tab&) {}, true},
      {"other tab", [](Tab& t) { t.active = false; }, false},
      {"box not ticked", [](Tab& t) { t.tab.ShowBox()->setChecked(false); }, false},
      {"no selection", [](Tab& t) { t.selected = false; }, false},
      {"a new selection dropped it", [](Tab& t) { t.tab.Clear(); }, false},
      {"the load failed", [](Tab& t) { t.tab.LoadDxfPreview("/nonexistent/x.dxf"); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tab t;
    t.tab.LoadDxfPreview(DxfFile(kLine).string());
    const double width = t.tab.View().document().view.ViewWidth;
    const QSize before = t.image()->image().size();
    t.tab.View().document().CrossShown = true;
    c.change(t);
    const QSize after = before + QSize(80, 20);
    t.image()->resize(after);  // a shown widget gets its resize event at once
    EXPECT_EQ(t.tab.Redraws(), c.redraws ? 1 : 0);
    if (c.redraws) EXPECT_EQ(t.image()->image().size(), after);
    EXPECT_EQ(t.tab.View().document().view.ViewWidth, width);
  }
}

TEST(DrawingTab, ShowBoxBlanksThePictureThatNoLongerShowsTheFile) {
  Tab t;
  t.tab.LoadDxfPreview(DxfFile(kLine).string());
  t.tab.ShowBox()->setChecked(false);
  EXPECT_TRUE(t.image()->image().isNull());
  const int blanked = t.thumbnailBlanked;
  t.tab.ShowBox()->setChecked(true);
  EXPECT_EQ(t.thumbnailBlanked, blanked + 1);
  int convert = 0;
  QObject::connect(&t.tab, &DrawingTab::ConvertRequested, [&convert] { ++convert; });
  t.tab.ConvertButton()->setEnabled(true);
  t.tab.ConvertButton()->click();
  EXPECT_EQ(convert, 1);
}

// Real mouse events on the picture: the crosshair, the pick's highlight and the rubber band are
// drawn on the shown picture and taken off again exactly, with no redraw; a drag then redraws.
TEST(DrawingTab, MouseDrivesTheViewAndOverlaysComeAndGo) {
  Tab t;
  t.tab.LoadDxfPreview(DxfFile(std::string(kLine) + kCircle).string());
  ASSERT_TRUE(t.tab.DrawingShown());
  QWidget* image = t.image();
  const QImage drawn = t.image()->image().copy();

  // The crosshair: one row and one column XORed with dark green.
  const QPoint a(100, 80), b(200, 150);
  Mouse(image, QEvent::MouseMove, a);
  const QImage withCross = t.image()->image().copy();
  EXPECT_EQ(withCross.pixel(10, a.y() - 1), drawn.pixel(10, a.y() - 1) ^ 0x008000u);
  EXPECT_EQ(withCross.pixel(a.x() - 1, 10), drawn.pixel(a.x() - 1, 10) ^ 0x008000u);
  EXPECT_TRUE(t.tab.StatusBox()->text().startsWith("W= "));
  Mouse(image, QEvent::MouseMove, b);
  const QImage moved = t.image()->image();
  EXPECT_EQ(moved.pixel(10, a.y() - 1), drawn.pixel(10, a.y() - 1));  // the old one is gone
  EXPECT_EQ(moved.pixel(10, b.y() - 1), drawn.pixel(10, b.y() - 1) ^ 0x008000u);
  Mouse(image, QEvent::MouseMove, b, Qt::NoButton, Qt::ShiftModifier);
  Mouse(image, QEvent::MouseMove, b, Qt::NoButton, Qt::ShiftModifier);
  EXPECT_EQ(t.image()->image(), moved);

  // Shift-click on the circle's centre: inverted with a wide pen, and back on release.
  const QImage beforePick = t.image()->image().copy();
  const QPoint centre = PixelOf(t.tab, 50, 40);
  Mouse(image, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(t.tab.StatusBox()->text(), QString("[0] 円半径 = 12.500"));
  const QPoint rim = PixelOf(t.tab, 50 + 12.5, 40);
  EXPECT_EQ(t.image()->image().pixel(rim), ~beforePick.pixel(rim) | 0xFF000000u);
  Mouse(image, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(t.image()->image(), beforePick);
  EXPECT_EQ(t.tab.Redraws(), 0);

  // A rubber band while the left button is down, then the zoom to its box.
  const double width = t.tab.View().document().view.ViewWidth;
  Mouse(image, QEvent::MouseButtonPress, QPoint(50, 50), Qt::LeftButton);
  const QImage pressed = t.image()->image().copy();
  Mouse(image, QEvent::MouseMove, QPoint(150, 120), Qt::LeftButton);
  EXPECT_NE(t.image()->image(), pressed);
  EXPECT_EQ(t.tab.Redraws(), 0);
  Mouse(image, QEvent::MouseButtonRelease, QPoint(150, 120), Qt::LeftButton);
  EXPECT_EQ(t.tab.Redraws(), 1);
  EXPECT_LT(t.tab.View().document().view.ViewWidth, width);
  EXPECT_TRUE(t.tab.StatusBox()->text().startsWith("W= "));

  // The wheel over the picture zooms; over the status box or the bar it does nothing.
  const QPoint mid(image->width() / 2, image->height() / 2);
  QWheelEvent up(QPointF(mid), QPointF(image->mapToGlobal(mid)), QPoint(), QPoint(0, 120),
                 Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  const double zoomed = t.tab.View().document().view.ViewWidth;
  EXPECT_FALSE(t.tab.Wheel(t.tab.StatusBox(), &up));
  EXPECT_FALSE(t.tab.Wheel(t.tab.NameBox(), &up));
  EXPECT_EQ(t.tab.Redraws(), 1);
  EXPECT_TRUE(t.tab.Wheel(image, &up));
  EXPECT_EQ(t.tab.Redraws(), 2);
  EXPECT_EQ(t.tab.View().document().view.ViewWidth, zoomed / 2);
}

}  // namespace
}  // namespace kestrel::app

namespace kestrel::app {
namespace {

// Selecting a DXF in the window: into the thumbnail while another tab is active, into the
// drawing tab when it is active and shown; the window's wheel over the picture zooms it.
TEST(DrawingTab, SelectedDxfIsDrawnWhereTheWindowShowsIt) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(::testing::TempDir()) / "kestrel-drawing-window";
  fs::remove_all(root);
  fs::create_directories(root / "tree");
  fs::create_directories(root / "settings");
  fs::copy_file(DxfFile(kLine), root / "tree" / "line.dxf");
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
    DrawingTab* tab = w.drawingTab();
    tab->ShowBox()->setChecked(true);
    w.resultList()->setCurrentIndex(first);
    const QImage& picture = tab->Picture()->image();
    EXPECT_EQ(picture.size(), tab->Picture()->size());
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0, 255, 255));
    EXPECT_EQ(picture.pixel(picture.width() / 2, picture.height() / 2), qRgb(255, 255, 255));
    EXPECT_TRUE(tab->DrawingShown());

    // The window routes the wheel by the widget under the pointer.
    const double width = tab->View().document().view.ViewWidth;
    const auto wheel = [](QWidget* over) {
      const QPoint at(over->width() / 2, over->height() / 2);
      QWheelEvent e(QPointF(at), QPointF(over->mapToGlobal(at)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(over, &e);
    };
    ASSERT_EQ(QApplication::widgetAt(tab->StatusBox()->mapToGlobal(QPoint(5, 5))),
              tab->StatusBox());
    wheel(tab->StatusBox());
    EXPECT_EQ(tab->View().document().view.ViewWidth, width);
    wheel(tab->Picture());
    EXPECT_EQ(tab->View().document().view.ViewWidth, 2 * width);
    if (const char* shot = std::getenv("KESTREL_SCREENSHOT")) w.grab().save(shot);
    w.close();
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace kestrel::app
