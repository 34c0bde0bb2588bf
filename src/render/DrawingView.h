// The interactive drawing view without widgets: wheel zoom about the pointer, the middle-button
// pan, the drag gestures of the left and right buttons, the Shift pick with its measure, and the
// redraw on resize. Events come in with pixel coordinates of the view and modifier keys; the
// view answers with what it redrew and draws its overlays (crosshair, rubber band, highlight)
// straight onto the shown picture through the surface.
#pragma once

#include <string>
#include <vector>

#include "dxf/Drawing.h"
#include "render/Canvas.h"
#include "render/DrawingDocument.h"
#include "render/ViewTransform.h"

namespace kestrel::render {

// What an event drew: nothing, the view without or with draw-all, or a quick pan picture.
enum class Redraw { None, View, All, Quick };
const char* RedrawName(Redraw redraw);

enum class MouseButton { Left, Right, Middle };

// Where the view's pictures go. The widget shows them; a test or the tool keeps them.
class ViewSurface {
 public:
  virtual ~ViewSurface() = default;
  // Draws the document's drawing in `view` into a new picture of `width` × `height` and shows
  // it in place of the last.
  virtual void Redraw(DrawingDocument& doc, const ViewState& view, int width, int height,
                      bool drawAll, bool quick) = 0;
  // A canvas on the shown picture for overlays, or nullptr when there is none; what is drawn
  // on it shows when the event is done.
  virtual Canvas* Overlay() = 0;
};

// What the view's handlers need to know of the window around it.
struct ViewConditions {
  bool tabActive = true;      // the drawing tab is the active page
  bool showTicked = true;     // its " 表示" box is ticked
  bool entrySelected = true;  // a result-list entry is selected
};

// A rectangle of pixels, right and bottom exclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The outcome of one event.
struct ViewEvent {
  Redraw redraw = Redraw::None;
  bool overlay = false;  // something was drawn on the shown picture
  // Where the overlays changed pixels, when that is known: the rest of the picture need not be
  // shown again. Empty with `overlay`: anywhere.
  std::vector<PixelRect> overlayRects;
  bool edit4Changed = false;  // the status text is new
};

class DrawingView {
 public:
  DrawingDocument& document() { return doc_; }
  const DrawingDocument& document() const { return doc_; }

  void SetSurface(ViewSurface* surface) { surface_ = surface; }
  ViewConditions conditions;

  // The size of the view in pixels (the picture's client area).
  void SetSize(int width, int height) {
    width_ = width;
    height_ = height;
  }
  int width() const { return width_; }
  int height() const { return height_; }

  // The wheel, over the drawing tab's page (`overPage`) or over anything else of the window;
  // (x, y) in the view's pixels. Down zooms out, up zooms in. `handled`: the event is used up.
  ViewEvent Wheel(bool down, int x, int y, bool overPage, bool* handled = nullptr);
  ViewEvent MouseDown(MouseButton button, int x, int y, bool shift);
  ViewEvent MouseMove(int x, int y, bool shift);
  ViewEvent MouseUp(MouseButton button, int x, int y, bool shift);
  // The view now has this size; with a drawing on show on the active tab, the same view is
  // drawn again at it.
  ViewEvent Resize(int width, int height);

  // The drawing was loaded (or failed to): the view state is the load's, the gesture state
  // starts afresh. The saved view and the last measured line stay.
  void Loaded();
  // The drawing was dropped (a new selection, out of memory): nothing is on show.
  void Dropped();

  // The status box's text (UTF-8).
  const std::string& edit4() const { return edit4_; }
  void ClearEdit4() { edit4_.clear(); }

  // The saved view of the gestures.
  const TAcadPoint& PrevViewCenter() const { return prevCenter_; }
  double PrevViewWidth() const { return prevWidth_; }
  double PrevViewHeight() const { return prevHeight_; }

  int PickedLine = -1, PickedCircle = -1, PickedArc = -1, PickedText = -1;

  bool BoxMode() const { return boxMode_; }
  bool PanMode() const { return panMode_; }
  bool WheelBusy() const { return wheelBusy_; }
  bool PanBusy() const { return panBusy_; }
  const dxf::TAcadLineBlk& LastMeasuredLine() const { return lastMeasured_; }

 private:
  bool MouseReady() const;
  // Takes `changed` as the view when it can be drawn and keeps a positive width or height above
  // zero; false, with nothing changed, otherwise.
  bool Apply(const ViewState& changed);
  TAcadPoint World(int x, int y) const;
  double Scale() const { return ViewScale(doc_.view, width_, height_); }
  void DrawRedraw(const ViewState& view, bool drawAll, bool quick);
  void DrawCross(Canvas& canvas, int x, int y, ViewEvent& result) const;
  void DrawBand(Canvas& canvas, int x, int y, ViewEvent& result) const;
  // Draws the picked entity in NOT mode: once to show it, once more to remove it.
  void DrawPick(Canvas& canvas) const;
  void Pick(int x, int y, ViewEvent& result);
  void EndPick(ViewEvent& result);
  void SetEdit4(std::string text, ViewEvent& result);

  DrawingDocument doc_;
  ViewSurface* surface_ = nullptr;
  int width_ = 0, height_ = 0;

  TAcadPoint prevCenter_;
  double prevWidth_ = 0, prevHeight_ = 0;
  int crossX_ = 0, crossY_ = 0;
  bool boxMode_ = false, panMode_ = false;
  ScreenPoint press_, lastCorner_;
  bool wheelBusy_ = false, panBusy_ = false;
  // A notch or pan step that came while its redraw was running; drawn when that one is done.
  bool wheelPending_ = false, panPending_ = false;
  ScreenPoint panPendingAt_;
  dxf::TAcadLineBlk lastMeasured_;
  std::string edit4_;
};

// Numbers for the status box: fixed decimals with a full stop, whatever the locale.
std::string FormatFixed(double value, int decimals);

}  // namespace kestrel::render
