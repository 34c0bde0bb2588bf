// The drawing view's logic driven by events, without widgets: what each event does to the view,
// the saved view, the status text and the picks, and what it redraws or draws over the picture.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "render/DrawingView.h"
#include "render/RecordingCanvas.h"

namespace kestrel::render {
namespace {

using dxf::TAcadPoint;
using B = MouseButton;

// Keeps what the view asks for: every redraw with its view, and the overlay calls.
struct Surface : ViewSurface {
  struct Call {
    ViewState view;
    bool drawAll, quick;
  };
  std::vector<Call> redraws;
  RecordingCanvas overlay;
  std::function<void()> duringRedraw;  // events that arrive while a redraw runs

  void Redraw(DrawingDocument&, const ViewState& view, int, int, bool drawAll,
              bool quick) override {
    redraws.push_back({view, drawAll, quick});
    if (duringRedraw) {
      auto events = std::move(duringRedraw);
      events();
    }
  }
  Canvas* Overlay() override { return &overlay; }
};

dxf::TAcadLineBlk Line(TAcadPoint a, TAcadPoint b, const char* layer = "0") {
  dxf::TAcadLineBlk l;
  l.st = a;
  l.ed = b;
  l.layer = layer;
  return l;
}
dxf::TCircleBlk Circle(TAcadPoint c, double r, const char* layer = "0") {
  dxf::TCircleBlk k;
  k.center = c;
  k.hankei = r;
  k.layer = layer;
  return k;
}

// A 400 × 300 view at one world unit per pixel centred on the origin: pixel (x, y) is the world
// point (x − 200, 150 − y). The drawing's extents are 1000 × 500 about (100, 50).
struct Fixture {
  Surface surface;
  DrawingView view;

  Fixture() {
    view.SetSurface(&surface);
    view.SetSize(400, 300);
    DrawingDocument& doc = view.document();
    doc.drawing.LayerAry.resize(2);
    doc.drawing.LayerAry[0].Name = "0";
    doc.drawing.LayerAry[1].Name = "Off";
    doc.drawing.LayerAry[1].visible = false;
    doc.drawing.DrawingExtents = {{-400, -200, 0}, {600, 300, 0}};
    doc.view.ViewWidth = 360;
    doc.view.ViewHeight = 270;
    doc.DrawingShown = true;
  }
  const ViewState& v() const { return view.document().view; }
  dxf::Drawing& drawing() { return view.document().drawing; }
  void Drag(B button, int x0, int y0, int x1, int y1) {
    view.MouseDown(button, x0, y0, false);
    view.MouseMove(x1, y1, false);
    view.MouseUp(button, x1, y1, false);
  }
  void ShiftClick(int x, int y) {
    view.MouseDown(B::Left, x, y, true);
    view.MouseUp(B::Left, x, y, true);
  }
};

TEST(DrawingViewWheel, ZoomsAboutThePointerAndBackAgain) {
  Fixture f;
  f.view.document().view.ViewCenter = {10, 20, 0};
  // Pixel (300, 50) is the world point (110, 120).
  ViewEvent e = f.view.Wheel(false, 300, 50, true);
  EXPECT_EQ(e.redraw, Redraw::View);
  EXPECT_EQ(f.v().ViewWidth, 180);
  EXPECT_EQ(f.v().ViewHeight, 135);
  const TAcadPoint under = ScreenToWorld({300, 50}, 400, 300, f.v());
  EXPECT_DOUBLE_EQ(under.x, 110);
  EXPECT_DOUBLE_EQ(under.y, 120);
  EXPECT_EQ(f.view.PrevViewWidth(), 360);
  f.view.Wheel(true, 300, 50, true);
  EXPECT_EQ(f.v().ViewWidth, 360);
  EXPECT_DOUBLE_EQ(f.v().ViewCenter.x, 10);
  EXPECT_DOUBLE_EQ(f.v().ViewCenter.y, 20);
  ASSERT_EQ(f.surface.redraws.size(), 2u);
  EXPECT_FALSE(f.surface.redraws[0].drawAll);
  EXPECT_FALSE(f.surface.redraws[0].quick);
}

TEST(DrawingViewWheel, ActsOnlyOverThePageWithADrawingOnShow) {
  struct Case {
    const char* what;
    std::function<void(Fixture&)> setup;
    bool overPage;
    int x, y;
  };
  const Case cases[] = {
      {"over the status box or the bar", [](Fixture&) {}, false, 200, 150},
      {"outside the picture's pixels", [](Fixture&) {}, true, 400, 150},
      {"above it", [](Fixture&) {}, true, 200, -1},
      {"another tab", [](Fixture& f) { f.view.conditions.tabActive = false; }, true, 200, 150},
      {"box not ticked", [](Fixture& f) { f.view.conditions.showTicked = false; }, true, 200, 150},
      {"no selection", [](Fixture& f) { f.view.conditions.entrySelected = false; }, true, 200, 150},
      {"no drawing", [](Fixture& f) { f.view.document().DrawingShown = false; }, true, 200, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    c.setup(f);
    bool handled = true;
    EXPECT_EQ(f.view.Wheel(false, c.x, c.y, c.overPage, &handled).redraw, Redraw::None);
    EXPECT_FALSE(handled);
    EXPECT_EQ(f.v().ViewWidth, 360);
    EXPECT_TRUE(f.surface.redraws.empty());
  }
}

// A thousand notches either way would make the view infinite or zero; past what the numbers
// hold the view stays and nothing is redrawn.
TEST(DrawingViewWheel, NotchesPastWhatDoublesHoldAreNotApplied) {
  for (const bool down : {false, true}) {
    SCOPED_TRACE(down ? "out" : "in");
    Fixture f;
    f.view.document().view.ViewCenter = {3, 4, 0};
    size_t redraws = 0;
    ViewState last;
    for (int i = 0; i < 1100; ++i) {
      const ViewEvent e = f.view.Wheel(down, 123, 45, true);
      if (e.redraw == Redraw::None) continue;
      ++redraws;
      last = f.v();
    }
    EXPECT_GT(redraws, 900u);
    EXPECT_LT(redraws, 1100u);
    EXPECT_EQ(f.surface.redraws.size(), redraws);
    // The last applied view is still there and still drawable.
    EXPECT_EQ(f.v().ViewWidth, last.ViewWidth);
    EXPECT_TRUE(ViewIsUsable(f.v(), 400, 300));
    EXPECT_GT(f.v().ViewWidth, 0);
    EXPECT_GT(f.v().ViewHeight, 0);
    // And the wheel the other way brings it back.
    EXPECT_EQ(f.view.Wheel(!down, 123, 45, true).redraw, Redraw::View);
  }
}

TEST(DrawingViewWheel, ANotchDuringItsRedrawIsDrawnRightAfter) {
  Fixture f;
  f.surface.duringRedraw = [&f] {
    // The redraw that is running is not started again; the view changes all the same.
    EXPECT_EQ(f.view.Wheel(false, 200, 150, true).redraw, Redraw::None);
    EXPECT_TRUE(f.view.WheelBusy());
  };
  EXPECT_EQ(f.view.Wheel(false, 200, 150, true).redraw, Redraw::View);
  EXPECT_FALSE(f.view.WheelBusy());
  EXPECT_EQ(f.v().ViewWidth, 90);
  ASSERT_EQ(f.surface.redraws.size(), 2u);
  EXPECT_EQ(f.surface.redraws[1].view.ViewWidth, 90);  // the latest view is on show
}

TEST(DrawingViewGestures, DragsByDirectionAndThreshold) {
  struct Case {
    const char* what;
    int dx, dy;
    double width, height, cx, cy;
    Redraw redraw;
    bool saves;
  };
  // From pixel (100, 100), the world point (−100, 50).
  const Case cases[] = {
      {"20 right, 20 down: the box", 20, 20, 20, 20, -90, 40, Redraw::View, true},
      {"11 right, 11 down: the box", 11, 11, 11, 11, -94.5, 44.5, Redraw::View, true},
      {"20 right, 20 up: the whole drawing", 20, -20, 1000, 500, 100, 50, Redraw::All, true},
      {"20 left, 20 up: twice the view", -20, -20, 720, 540, 0, 0, Redraw::View, true},
      {"10 right, 10 down: recentre", 10, 10, 360, 270, -95, 45, Redraw::View, false},
      {"11 right, 10 down: recentre", 11, 10, 360, 270, -94.5, 45, Redraw::View, false},
      {"10 left, 30 up: recentre", -10, -30, 360, 270, -105, 65, Redraw::View, false},
      {"a click: recentre on it", 0, 0, 360, 270, -100, 50, Redraw::View, false},
  };
  for (const Case& c : cases) {
    for (const B button : {B::Left, B::Right}) {
      SCOPED_TRACE(c.what);
      Fixture f;
      f.Drag(button, 100, 100, 100 + c.dx, 100 + c.dy);
      EXPECT_DOUBLE_EQ(f.v().ViewWidth, c.width);
      EXPECT_DOUBLE_EQ(f.v().ViewHeight, c.height);
      EXPECT_DOUBLE_EQ(f.v().ViewCenter.x, c.cx);
      EXPECT_DOUBLE_EQ(f.v().ViewCenter.y, c.cy);
      ASSERT_EQ(f.surface.redraws.size(), 1u);
      EXPECT_EQ(f.surface.redraws[0].drawAll, c.redraw == Redraw::All);
      EXPECT_EQ(f.view.PrevViewWidth(), c.saves ? 360 : 0);
      EXPECT_FALSE(f.view.BoxMode());
    }
  }
}

TEST(DrawingViewGestures, PreviousViewTwiceStaysPutAndShowsTheNewSize) {
  Fixture f;
  f.Drag(B::Left, 100, 100, 140, 130);  // zoom to a box 40 × 30
  EXPECT_EQ(f.v().ViewWidth, 40);
  f.Drag(B::Left, 100, 100, 80, 120);  // back
  EXPECT_EQ(f.v().ViewWidth, 360);
  EXPECT_EQ(f.view.edit4(), "W= 400.00 , H= 300.00");
  f.Drag(B::Right, 100, 100, 80, 120);  // the same saved view again
  EXPECT_EQ(f.v().ViewWidth, 360);
  EXPECT_EQ(f.v().ViewCenter.x, 0);
  EXPECT_EQ(f.surface.redraws.size(), 3u);
}

TEST(DrawingViewGestures, UnusableViewsAreNotApplied) {
  {
    SCOPED_TRACE("previous view before any view was saved: all zero");
    Fixture f;
    f.Drag(B::Left, 100, 100, 80, 120);
    EXPECT_EQ(f.v().ViewWidth, 360);
    EXPECT_TRUE(f.surface.redraws.empty());
    // The band it drew is taken off again: two bands at the press, two at the corner.
    EXPECT_EQ(f.surface.overlay.CallsOf(CanvasCall::Rectangle).size(), 4u);
  }
  {
    SCOPED_TRACE("the whole drawing when the extents are not numbers");
    Fixture f;
    f.drawing().DrawingExtents.upperRight.x = std::numeric_limits<double>::infinity();
    f.Drag(B::Left, 100, 100, 130, 70);
    EXPECT_EQ(f.v().ViewWidth, 360);
    EXPECT_EQ(f.view.PrevViewWidth(), 0);  // not saved either
    EXPECT_TRUE(f.surface.redraws.empty());
  }
}

TEST(DrawingViewPan, MiddleDragDrawsQuicklyAndMovesTheCentreOnRelease) {
  Fixture f;
  f.view.MouseDown(B::Middle, 100, 100, false);
  EXPECT_TRUE(f.view.PanMode());
  EXPECT_EQ(f.view.MouseMove(130, 100, false).redraw, Redraw::None);  // y has not moved yet
  EXPECT_EQ(f.view.MouseMove(130, 90, false).redraw, Redraw::Quick);
  ASSERT_EQ(f.surface.redraws.size(), 1u);
  EXPECT_TRUE(f.surface.redraws[0].quick);
  EXPECT_EQ(f.surface.redraws[0].view.ViewCenter.x, -30);  // the drawing follows the mouse
  EXPECT_EQ(f.surface.redraws[0].view.ViewCenter.y, -10);
  EXPECT_EQ(f.v().ViewCenter.x, 0);  // only provisional
  EXPECT_EQ(f.view.MouseUp(B::Middle, 140, 80, false).redraw, Redraw::View);
  EXPECT_EQ(f.v().ViewCenter.x, -40);
  EXPECT_EQ(f.v().ViewCenter.y, -20);
  EXPECT_FALSE(f.view.PanMode());
  EXPECT_FALSE(f.surface.redraws.back().quick);
}

TEST(DrawingViewPan, AStepDuringItsRedrawIsDrawnAfterIt) {
  Fixture f;
  f.view.MouseDown(B::Middle, 100, 100, false);
  f.surface.duringRedraw = [&f] {
    EXPECT_EQ(f.view.MouseMove(150, 60, false).redraw, Redraw::None);
  };
  f.view.MouseMove(110, 90, false);
  ASSERT_EQ(f.surface.redraws.size(), 2u);
  EXPECT_EQ(f.surface.redraws[1].view.ViewCenter.x, -50);  // the latest position
  EXPECT_FALSE(f.view.PanBusy());
}

TEST(DrawingViewMove, CrosshairStatusAndRubberBand) {
  Fixture f;
  f.view.MouseMove(250, 100, false);
  EXPECT_EQ(f.view.edit4(), "W= 400.00 , H= 300.00 - X= 50.00 , Y= 50.00");
  EXPECT_EQ(f.surface.overlay.Log({CanvasCall::PenMode, CanvasCall::MoveTo, CanvasCall::LineTo}),
            (std::vector<std::string>{"PenMode 1", "MoveTo 0 99", "LineTo 400 99", "MoveTo 249 0",
                                      "LineTo 249 300"}));
  EXPECT_EQ(f.surface.overlay.Calls()[1].color, 0x008000u);
  f.surface.overlay.Clear();
  // The second move takes the first crosshair off, then draws the new one; Shift keeps the text.
  f.view.MouseMove(10, 20, true);
  EXPECT_EQ(
      f.surface.overlay.Log({CanvasCall::MoveTo, CanvasCall::LineTo}),
      (std::vector<std::string>{"MoveTo 0 99", "LineTo 400 99", "MoveTo 249 0", "LineTo 249 300",
                                "MoveTo 0 19", "LineTo 400 19", "MoveTo 9 0", "LineTo 9 300"}));
  EXPECT_EQ(f.view.edit4(), "W= 400.00 , H= 300.00 - X= 50.00 , Y= 50.00");

  f.surface.overlay.Clear();
  f.view.MouseDown(B::Left, 100, 100, false);
  f.view.MouseMove(100, 130, false);  // x as at the press: the band stays
  f.view.MouseMove(120, 130, false);
  std::vector<std::string> bands;
  for (const CanvasCall& c : f.surface.overlay.CallsOf(CanvasCall::Rectangle)) {
    EXPECT_EQ(c.pen.mode, PenMode::NotXor);
    EXPECT_EQ(c.pen.width, 3);
    EXPECT_EQ(c.pen.style, PenStyle::DashDotDot);
    bands.push_back(Describe(c));
  }
  EXPECT_EQ(bands,
            (std::vector<std::string>{"Rectangle 100 100 100 100", "Rectangle 100 100 100 100",
                                      "Rectangle 100 100 120 130"}));
}

TEST(DrawingViewPick, NearestOfEachKindWithTiesAndHiddenLayers) {
  struct Case {
    const char* what;
    std::function<void(dxf::Drawing&)> fill;
    std::array<int, 4> picked;  // line, circle, arc, text
    const char* edit4;
  };
  // The click is at the world point (0, 0).
  const Case cases[] = {
      {"a circle of radius 12.5",
       [](dxf::Drawing& d) {
         d.CircleAry.push_back(Circle({20, 0, 0}, 12.5));
       },
       {-1, 0, -1, -1},
       "[0] 円半径 = 12.500"},
      {"two circles as near: the first",
       [](dxf::Drawing& d) {
         d.CircleAry.push_back(Circle({0, 50, 0}, 45, "A"));
         d.CircleAry.push_back(Circle({0, -50, 0}, 45, "B"));
       },
       {-1, 0, -1, -1},
       "[A] 円半径 = 45.000"},
      {"the nearer one on a hidden layer is not seen",
       [](dxf::Drawing& d) {
         d.CircleAry.push_back(Circle({0, 0, 0}, 1, "Off"));
         d.CircleAry.push_back(Circle({0, 0, 0}, 3, "A"));
       },
       {-1, 1, -1, -1},
       "[A] 円半径 = 3.000"},
      {"an arc, on its whole circle",
       [](dxf::Drawing& d) {
         d.CircleAry.push_back(Circle({0, 0, 0}, 9));
         dxf::TArcBlk a;
         a.center = {10, 0, 0};
         a.hankei = 4;  // its angles face away from the click
         a.st = 80;
         a.ed = 100;
         a.layer = "0";
         d.ArcAry.push_back(a);
       },
       {-1, 0, 0, -1},
       "[0] 円弧半径 = 4.000"},
      {"a text by its second point when justified",
       [](dxf::Drawing& d) {
         d.LineAry.push_back(Line({-50, 2, 0}, {50, 2, 0}));
         dxf::TTextBlk t;
         t.layer = "T";
         t.pt10 = {100, 100, 0};
         t.pt11 = {1, 1, 0};
         t.code72 = 1;
         t.code40 = 2.5;
         t.str = "A\"1";
         d.TextAry.push_back(t);
       },
       {0, -1, -1, 0},
       "[T] 文字高さ = 2.500 \"A\"1\""},
      {"an MTEXT by its insertion point, not by its direction",
       [](dxf::Drawing& d) {
         d.CircleAry.push_back(Circle({0, 0, 0}, 6));
         dxf::TTextBlk far, near;
         far.layer = near.layer = "M";
         far.mtflag = near.mtflag = true;
         far.code72 = near.code72 = 1;
         far.code40 = near.code40 = 2;
         far.pt10 = {500, 500, 0};
         far.pt11 = near.pt11 = {1, 0, 0};  // the direction of its lines
         near.pt10 = {3, 4, 0};
         far.str = "far";
         near.str = "near";
         d.TextAry.push_back(far);
         d.TextAry.push_back(near);
       },
       {-1, 0, -1, 1},
       "[M] 文字高さ = 2.000 \"near\""},
      {"a line whose foot is on it",
       [](dxf::Drawing& d) {
         d.LineAry.push_back(Line({5, -100, 0}, {5, -20, 0}));  // foot beyond its end
         d.LineAry.push_back(Line({-50, 7, 0}, {50, 7, 0}));
         d.CircleAry.push_back(Circle({0, 40, 0}, 10));  // 30 away
       },
       {1, -1, -1, -1},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    c.fill(f.drawing());
    f.view.MouseDown(B::Left, 200, 150, true);
    EXPECT_EQ(
        (std::array<int, 4>{f.view.PickedLine, f.view.PickedCircle, f.view.PickedArc,
                            f.view.PickedText}),
        (std::array<int, 4>{
            c.picked[0] >= 0 && c.picked[1] < 0 && c.picked[2] < 0 && c.picked[3] < 0 ? c.picked[0]
                                                                                      : -1,
            c.picked[1] >= 0 && c.picked[2] < 0 && c.picked[3] < 0 ? c.picked[1] : -1,
            c.picked[2] >= 0 && c.picked[3] < 0 ? c.picked[2] : -1, c.picked[3]}));
    EXPECT_EQ(f.view.edit4(), c.edit4);
    // Highlighted with a wide inverting pen, and taken off again on release.
    const size_t drawn = f.surface.overlay.Calls().size();
    ASSERT_GT(drawn, 0u);
    f.view.MouseUp(B::Left, 200, 150, true);
    std::vector<std::string> shapes;
    for (const CanvasCall& call : f.surface.overlay.Calls()) {
      if (call.kind != CanvasCall::Arc && call.kind != CanvasCall::LineTo) continue;
      EXPECT_EQ(call.pen.mode, PenMode::Not);
      EXPECT_EQ(call.pen.width, 7);
      shapes.push_back(Describe(call));
    }
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0], shapes[1]);
    EXPECT_TRUE(f.surface.redraws.empty());
  }
}

TEST(DrawingViewMeasure, LengthThenTheGapToTheLineMeasuredBefore) {
  Fixture f;
  f.drawing().LineAry.push_back(Line({-50, 0, 0}, {50, 0, 0}, "L1"));
  f.drawing().LineAry.push_back(Line({-40, 30, 0}, {60, 30, 0}, "L2"));
  f.drawing().LineAry.push_back(Line({-100, 40, 0}, {-100, 140, 0}, "L3"));
  f.ShiftClick(200, 148);  // (0, 2): the first line
  EXPECT_EQ(f.view.edit4(), "[L1] 長さ = 100.000");
  EXPECT_EQ(f.view.PickedLine, 0);
  f.ShiftClick(200, 121);  // (0, 29): the parallel line 30 above
  EXPECT_EQ(f.view.edit4(), "[L2] 長さ = 100.000 相互距離 = 30.000");
  f.ShiftClick(100, 60);  // (−100, 90): a line at right angles to the last one
  EXPECT_EQ(f.view.edit4(), "[L3] 長さ = 100.000");  // its perpendicular runs along the last one
  EXPECT_EQ(std::string(f.view.LastMeasuredLine().layer.view()), "L3");
}

TEST(DrawingViewResize, RedrawsTheSameViewOnlyWithADrawingOnShow) {
  Fixture f;
  f.view.document().CrossShown = true;
  EXPECT_EQ(f.view.Resize(800, 600).redraw, Redraw::View);
  EXPECT_FALSE(f.view.document().CrossShown);
  EXPECT_EQ(f.v().ViewWidth, 360);
  f.view.conditions.tabActive = false;
  EXPECT_EQ(f.view.Resize(600, 400).redraw, Redraw::None);
  f.view.conditions.tabActive = true;
  f.view.Dropped();
  EXPECT_EQ(f.view.Resize(700, 500).redraw, Redraw::None);
  EXPECT_EQ(f.view.width(), 700);
  EXPECT_EQ(f.surface.redraws.size(), 1u);
}

TEST(DrawingViewMouse, NothingWithoutADrawingOnShow) {
  Fixture f;
  f.view.document().DrawingShown = false;
  f.drawing().CircleAry.push_back(Circle({0, 0, 0}, 5));
  f.Drag(B::Left, 100, 100, 140, 140);
  f.ShiftClick(200, 150);
  EXPECT_EQ(f.v().ViewWidth, 360);
  EXPECT_EQ(f.view.PickedCircle, -1);
  EXPECT_TRUE(f.view.edit4().empty());
  EXPECT_TRUE(f.surface.overlay.Calls().empty());
  EXPECT_TRUE(f.surface.redraws.empty());
}

}  // namespace
}  // namespace kestrel::render
