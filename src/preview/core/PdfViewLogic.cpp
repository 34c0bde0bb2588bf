#include "preview/core/PdfViewLogic.h"

#include <algorithm>
#include <cmath>

namespace kestrel::preview {
namespace {

bool IsQuarterTurn(TPdfPageRotation r) {
  return r == TPdfPageRotation::pr90Clockwise || r == TPdfPageRotation::pr90CounterClockwide;
}

int RoundPixels(double v) {
  // Far beyond any screen, but inside an int whatever the page claims to be.
  return int(std::nearbyint(std::clamp(v, 0.0, 1e9)));
}

}  // namespace

void DrawnPageSize(double wPt, double hPt, TPdfPageRotation rotation, TPdfControlScaleMode mode,
                   int zoom, int viewW, int viewH, double dpiX, double dpiY, int& outW, int& outH) {
  // A page without an extent is drawn as a point-sized one rather than divided by.
  double w = wPt > 0 ? wPt : 1, h = hPt > 0 ? hPt : 1;
  if (IsQuarterTurn(rotation)) std::swap(w, h);
  const double W = std::max(viewW, 1), H = std::max(viewH, 1);
  double pw = 0, ph = 0;
  switch (mode) {
    case TPdfControlScaleMode::smFitAuto:
      ph = H;
      pw = w * H / h;
      if (pw > W) {
        pw = W;
        ph = h * W / w;
      }
      break;
    case TPdfControlScaleMode::smFitWidth:
      pw = W;
      ph = h * W / w;
      break;
    case TPdfControlScaleMode::smFitHeight:
      ph = H;
      pw = w * H / h;
      break;
    case TPdfControlScaleMode::smZoom:
      pw = w / 72 * dpiX * zoom / 100;
      ph = h / 72 * dpiY * zoom / 100;
      break;
  }
  outW = std::max(1, RoundPixels(pw));
  outH = std::max(1, RoundPixels(ph));
}

TPdfLayout LayoutPage(double wPt, double hPt, TPdfPageRotation rotation, TPdfControlScaleMode mode,
                      int zoom, int viewW, int viewH, double dpiX, double dpiY, int barExtent) {
  TPdfLayout l;
  l.viewW = std::max(viewW, 1);
  l.viewH = std::max(viewH, 1);
  for (int pass = 0; pass < 3; ++pass) {
    DrawnPageSize(wPt, hPt, rotation, mode, zoom, l.viewW, l.viewH, dpiX, dpiY, l.pageW, l.pageH);
    // Both against the space this size was computed for.
    const bool addH = l.pageW > l.viewW && !l.hBar;
    const bool addV = l.pageH > l.viewH && !l.vBar;
    if (!addH && !addV) break;
    if (addH) {
      l.hBar = true;
      l.viewH = std::max(viewH - barExtent, 1);
    }
    if (addV) {
      l.vBar = true;
      l.viewW = std::max(viewW - barExtent, 1);
    }
  }
  DrawnPageSize(wPt, hPt, rotation, mode, zoom, l.viewW, l.viewH, dpiX, dpiY, l.pageW, l.pageH);
  l.left = std::max(0, (l.viewW - l.pageW) / 2);
  l.top = std::max(0, (l.viewH - l.pageH) / 2);
  l.contentW = std::max(l.pageW, l.viewW);
  l.contentH = std::max(l.pageH, l.viewH);
  l.maxScrollX = l.contentW - l.viewW;
  l.maxScrollY = l.contentH - l.viewH;
  return l;
}

std::vector<TPdfRect> MergeLineRects(std::vector<TPdfRect> rects) {
  std::vector<TPdfRect> out;
  for (const TPdfRect& r : rects) {
    if (!out.empty()) {
      TPdfRect& last = out.back();
      // The same line: the two overlap vertically by at least half the smaller height, and the
      // next one starts no further right than one height past the last.
      const double top = std::max(last.y, r.y), bottom = std::min(last.y + last.h, r.y + r.h);
      const double smaller = std::min(last.h, r.h);
      const bool sameLine = bottom - top >= smaller / 2;
      const bool near = r.x <= last.x + last.w + std::max(last.h, r.h) && r.x + r.w >= last.x;
      if (sameLine && near) {
        const double x0 = std::min(last.x, r.x), y0 = std::min(last.y, r.y);
        const double x1 = std::max(last.x + last.w, r.x + r.w);
        const double y1 = std::max(last.y + last.h, r.y + r.h);
        last = {x0, y0, x1 - x0, y1 - y0};
        continue;
      }
    }
    out.push_back(r);
  }
  return out;
}

// ---- document and pages -------------------------------------------------------------------

void PdfViewLogic::Load(PdfPageSource* source) {
  source_ = source;
  ShowPage(0);
}

void PdfViewLogic::Close() {
  source_ = nullptr;
  pageIndex_ = 0;
  marks_.clear();
  scrollX_ = scrollY_ = 0;
}

int PdfViewLogic::PageCount() const {
  return source_ ? std::max(source_->PageCount(), 0) : 0;
}

void PdfViewLogic::ShowPage(int page) {
  pageIndex_ = std::clamp(page, 0, std::max(PageCount() - 1, 0));
  scrollX_ = scrollY_ = 0;
  RecomputeMarks();
}

void PdfViewLogic::SetPageIndex(int page) {
  if (!source_) return;
  ShowPage(page);
}

bool PdfViewLogic::GotoNextPage() {
  if (pageIndex_ + 1 >= PageCount()) return false;
  ShowPage(pageIndex_ + 1);
  return true;
}

bool PdfViewLogic::GotoPrevPage() {
  if (pageIndex_ <= 0 || !source_) return false;
  ShowPage(pageIndex_ - 1);
  return true;
}

void PdfViewLogic::SetRotation(TPdfPageRotation rotation) {
  rotation_ = rotation;
  KeepScrollInRange();
}

void PdfViewLogic::SetScaleMode(TPdfControlScaleMode mode) {
  scaleMode_ = mode;
  KeepScrollInRange();
}

void PdfViewLogic::SetZoomPercentage(int zoom) {
  // The view keeps the point at the middle of the view where it was on the page.
  const TPdfLayout before = Layout();
  const double cx = (scrollX_ + before.viewW / 2.0 - before.left) / std::max(before.pageW, 1);
  const double cy = (scrollY_ + before.viewH / 2.0 - before.top) / std::max(before.pageH, 1);
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  const TPdfLayout after = Layout();
  scrollX_ = int(std::lround(cx * after.pageW + after.left - after.viewW / 2.0));
  scrollY_ = int(std::lround(cy * after.pageH + after.top - after.viewH / 2.0));
  KeepScrollInRange();
}

void PdfViewLogic::HightlightText(const std::string& utf8, bool matchCase, bool matchWholeWord) {
  highlight_ = utf8;
  matchCase_ = matchCase;
  matchWholeWord_ = matchWholeWord;
  RecomputeMarks();
}

void PdfViewLogic::RecomputeMarks() {
  marks_.clear();
  if (!source_ || highlight_.empty() || PageCount() == 0) return;
  marks_ = source_->FindText(pageIndex_, highlight_, matchCase_, matchWholeWord_);
}

// ---- geometry -----------------------------------------------------------------------------

void PdfViewLogic::SetViewport(int w, int h, double dpiX, double dpiY, int barExtent) {
  viewW_ = w;
  viewH_ = h;
  dpiX_ = dpiX > 0 ? dpiX : 96;
  dpiY_ = dpiY > 0 ? dpiY : 96;
  barExtent_ = std::max(barExtent, 0);
  KeepScrollInRange();
}

void PdfViewLogic::ShownPageSize(double& wPt, double& hPt) const {
  wPt = hPt = 0;
  if (!source_ || PageCount() == 0) return;
  const TPdfRect size = source_->PageSize(pageIndex_);
  wPt = size.w;
  hPt = size.h;
}

TPdfLayout PdfViewLogic::Layout() const {
  return LayoutOf(pageIndex_);
}

TPdfLayout PdfViewLogic::LayoutOf(int page) const {
  TPdfRect size;
  if (source_ && page >= 0 && page < PageCount()) size = source_->PageSize(page);
  if (size.w <= 0 || size.h <= 0) {
    TPdfLayout empty;
    empty.viewW = empty.contentW = std::max(viewW_, 1);
    empty.viewH = empty.contentH = std::max(viewH_, 1);
    return empty;
  }
  return LayoutPage(size.w, size.h, rotation_, scaleMode_, zoom_, viewW_, viewH_, dpiX_, dpiY_,
                    barExtent_);
}

void PdfViewLogic::SetScroll(int x, int y) {
  scrollX_ = x;
  scrollY_ = y;
  KeepScrollInRange();
}

void PdfViewLogic::KeepScrollInRange() {
  const TPdfLayout l = Layout();
  scrollX_ = std::clamp(scrollX_, 0, l.maxScrollX);
  scrollY_ = std::clamp(scrollY_, 0, l.maxScrollY);
}

// ---- commands -----------------------------------------------------------------------------

std::string PdfViewLogic::PageLabel() const {
  return std::to_string(pageIndex_ + 1) + " / " + std::to_string(PageCount());
}

bool PdfViewLogic::Run(PdfCommand command) {
  if (!available_) return false;
  switch (command) {
    case PdfCommand::PrevPage:
      GotoPrevPage();
      return true;
    case PdfCommand::NextPage:
      GotoNextPage();
      return true;
    case PdfCommand::Rotate:
      SetRotation(TPdfPageRotation((int(rotation_) + 1) % 4));
      return false;
    case PdfCommand::Rotate0:
      SetRotation(TPdfPageRotation::prNormal);
      return false;
    case PdfCommand::Rotate90:
      SetRotation(TPdfPageRotation::pr90Clockwise);
      return false;
    case PdfCommand::Rotate180:
      SetRotation(TPdfPageRotation::pr180);
      return false;
    case PdfCommand::Rotate270:
      SetRotation(TPdfPageRotation::pr90CounterClockwide);
      return false;
    case PdfCommand::ZoomIn:
    case PdfCommand::ZoomOut: {
      // Truncating the product of whole numbers: exact, unlike zoom * 1.2 in floating point.
      const int factor = command == PdfCommand::ZoomIn ? 12 : 8;
      SetScaleMode(TPdfControlScaleMode::smZoom);
      SetZoomPercentage(int(int64_t(zoom_) * factor / 10));
      return false;
    }
    case PdfCommand::Fit:
    case PdfCommand::FitHeight:
    case PdfCommand::FitWidth:
      SetScaleMode(command == PdfCommand::Fit         ? TPdfControlScaleMode::smFitAuto
                   : command == PdfCommand::FitHeight ? TPdfControlScaleMode::smFitHeight
                                                      : TPdfControlScaleMode::smFitWidth);
      SetZoomPercentage(100);
      return false;
  }
  return false;
}

// ---- wheel --------------------------------------------------------------------------------

bool PdfViewLogic::ViewWheel(int delta, bool ctrl, bool shift) {
  if (!available_ || delta == 0) return false;
  if (ctrl) {
    if (scaleMode_ != TPdfControlScaleMode::smZoom) return false;  // the window switches modes
    const int units = zoomWheelRest_ + delta;
    const int notches = units / kWheelNotch;
    zoomWheelRest_ = units % kWheelNotch;
    if (notches == 0) return false;
    SetZoomPercentage(zoom_ + 5 * notches);
    return true;
  }
  // Wheel down (negative) moves the content up, showing what lies below or to the right.
  const int oldX = scrollX_, oldY = scrollY_;
  if (shift) {
    SetScroll(scrollX_ - delta, scrollY_);
  } else {
    SetScroll(scrollX_, scrollY_ - delta);
  }
  return scrollX_ != oldX || scrollY_ != oldY;
}

bool PdfViewLogic::WindowWheel(int delta, bool ctrl, bool shift, int x, int y, int w, int h) {
  if (!available_ || delta == 0) return false;
  if (!(x > 0 && y > 0 && x < w && y < h)) return false;
  if (shift || ctrl) {
    if (scaleMode_ != TPdfControlScaleMode::smZoom) SetScaleMode(TPdfControlScaleMode::smZoom);
    return false;
  }
  if (scaleMode_ == TPdfControlScaleMode::smZoom) return false;
  return Run(delta < 0 ? PdfCommand::NextPage : PdfCommand::PrevPage);
}

}  // namespace kestrel::preview
