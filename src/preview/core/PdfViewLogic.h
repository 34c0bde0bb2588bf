// The PDF view's state and commands without any widget: the page shown, rotation, scale mode
// and zoom, the page's size on screen with its scroll bars, the scroll position, the search
// marks of the shown page, the page label and the two wheel handlers. The view widget draws
// what this decides; kestrel-tool pdf-view and the tests drive it directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::preview {

enum class TPdfPageRotation { prNormal, pr90Clockwise, pr180, pr90CounterClockwide };
enum class TPdfControlScaleMode { smFitAuto, smFitWidth, smFitHeight, smZoom };

// A rectangle on the unrotated page in points, origin at the page's top-left corner.
struct TPdfRect {
  double x = 0, y = 0, w = 0, h = 0;
};

// One occurrence of the highlight text: the rectangles that cover it.
using TPdfMatch = std::vector<TPdfRect>;

// What the view needs of the open document.
class PdfPageSource {
 public:
  virtual ~PdfPageSource() = default;
  virtual int PageCount() const = 0;
  // The page's width and height in points as it is displayed (its own /Rotate applied).
  virtual TPdfRect PageSize(int page) const = 0;
  virtual std::vector<TPdfMatch> FindText(int page, const std::string& utf8, bool matchCase,
                                          bool matchWholeWord) = 0;
};

// Where the page goes in the view, in pixels.
struct TPdfLayout {
  int pageW = 0, pageH = 0;  // the drawn page, rotated as shown
  bool hBar = false, vBar = false;
  int viewW = 0, viewH = 0;  // the space left beside the scroll bars
  int left = 0, top = 0;     // the page's corner in the content (centred when it fits)
  int contentW = 0, contentH = 0;
  int maxScrollX = 0, maxScrollY = 0;
};

// The drawn page size for a page of wPt x hPt points in a view of viewW x viewH pixels.
void DrawnPageSize(double wPt, double hPt, TPdfPageRotation rotation, TPdfControlScaleMode mode,
                   int zoom, int viewW, int viewH, double dpiX, double dpiY, int& outW, int& outH);

// The page's layout: when the drawn page does not fit, scroll bars take their room and the
// size is computed again for what is left. A bar that has appeared stays, so that the size
// cannot flip between two answers.
TPdfLayout LayoutPage(double wPt, double hPt, TPdfPageRotation rotation, TPdfControlScaleMode mode,
                      int zoom, int viewW, int viewH, double dpiX, double dpiY, int barExtent);

// Merges the per-character rectangles an engine may give into one per run of text on a line.
std::vector<TPdfRect> MergeLineRects(std::vector<TPdfRect> rects);

// The commands of the tab's bar and of the view's context menu.
enum class PdfCommand {
  PrevPage,   // "<"
  NextPage,   // ">"
  Rotate,     // "回転": a quarter turn clockwise
  Rotate0,    // "0 度"
  Rotate90,   // "右回りに 90 度"
  Rotate180,  // "180 度"
  Rotate270,  // "左回りに 90 度"
  ZoomIn,     // "拡大"
  ZoomOut,    // "縮小"
  Fit,        // "フィット"
  FitHeight,  // "用紙の高さにフィット"
  FitWidth,   // "用紙の幅にフィット"
};

constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 10000;
constexpr int kWheelNotch = 120;

class PdfViewLogic {
 public:
  // Without the engine every command and wheel does nothing.
  void SetAvailable(bool available) { available_ = available; }
  bool Available() const { return available_; }

  // The document: a load shows page 0 from its top-left corner and marks the remembered
  // highlight text on it; the source stays the caller's and must outlive the load.
  void Load(PdfPageSource* source);
  void Close();
  bool HasDocument() const { return source_ != nullptr; }
  PdfPageSource* Source() const { return source_; }

  int PageCount() const;
  int PageIndex() const { return pageIndex_; }
  void SetPageIndex(int page);  // clamped; shown from its top-left corner
  bool GotoNextPage();          // false when there is no next page
  bool GotoPrevPage();

  TPdfPageRotation Rotation() const { return rotation_; }
  void SetRotation(TPdfPageRotation rotation);
  TPdfControlScaleMode ScaleMode() const { return scaleMode_; }
  void SetScaleMode(TPdfControlScaleMode mode);
  int ZoomPercentage() const { return zoom_; }
  void SetZoomPercentage(int zoom);  // clamped to 1 .. 10000
  bool SmoothScroll() const { return smoothScroll_; }
  void SetSmoothScroll(bool on) { smoothScroll_ = on; }

  // Remembers the text and flags and marks the text's occurrences on the shown page; an empty
  // text clears the marks. The marks follow every page change and load.
  void HightlightText(const std::string& utf8, bool matchCase, bool matchWholeWord);
  const std::string& HighlightedText() const { return highlight_; }
  const std::vector<TPdfMatch>& Marks() const { return marks_; }

  // The view's size in pixels, its pixels per inch and the scroll bars' thickness.
  void SetViewport(int w, int h, double dpiX, double dpiY, int barExtent);
  TPdfLayout Layout() const;
  // The layout another page of the document would have with the same settings.
  TPdfLayout LayoutOf(int page) const;
  // The page's size in points, rotated as shown; 0 x 0 without a document.
  void ShownPageSize(double& wPt, double& hPt) const;

  int ScrollX() const { return scrollX_; }
  int ScrollY() const { return scrollY_; }
  void SetScroll(int x, int y);  // clamped to the layout's range

  // Runs a command of the bar or the menu. Returns true when the page label is to be
  // rewritten with PageLabel().
  bool Run(PdfCommand command);
  std::string PageLabel() const;  // "n / m"

  // The view's own wheel handling of one event of `delta` wheel units (positive: up).
  // Returns true when it zoomed or scrolled.
  bool ViewWheel(int delta, bool ctrl, bool shift);
  // The main window's branch, for a pointer at (x, y) of a page panel of w x h pixels.
  // Returns true when the page label is to be rewritten.
  bool WindowWheel(int delta, bool ctrl, bool shift, int x, int y, int w, int h);

 private:
  void ShowPage(int page);
  void RecomputeMarks();
  void KeepScrollInRange();

  bool available_ = true;
  PdfPageSource* source_ = nullptr;
  int pageIndex_ = 0;
  TPdfPageRotation rotation_ = TPdfPageRotation::prNormal;
  TPdfControlScaleMode scaleMode_ = TPdfControlScaleMode::smFitAuto;
  int zoom_ = 100;
  bool smoothScroll_ = false;
  std::string highlight_;
  bool matchCase_ = false;
  bool matchWholeWord_ = false;
  std::vector<TPdfMatch> marks_;
  int viewW_ = 0, viewH_ = 0;
  double dpiX_ = 96, dpiY_ = 96;
  int barExtent_ = 0;
  int scrollX_ = 0, scrollY_ = 0;
  int zoomWheelRest_ = 0;  // wheel units short of a notch, kept for the next event
};

}  // namespace kestrel::preview
