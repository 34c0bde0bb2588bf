#include "preview/PdfView.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfLink>
#include <QPdfSearchModel>
#include <QScrollBar>
#include <QStyle>
#include <QVariantAnimation>
#include <QWheelEvent>
#include <algorithm>
#include <stdexcept>

#include "base/PathBytes.h"
#include "base/RegularFile.h"
#include "preview/PdfTileRenderer.h"

namespace kestrel::preview {
namespace {

constexpr int kTile = 256;              // tile side in pixels
constexpr int kMargin = kTile;          // rendered beyond the visible part, for scrolling
constexpr int kBandPixels = 768 << 10;  // one render call covers at most this many pixels
constexpr int kPreviewSide = 768;       // the low-resolution picture's longer side
constexpr size_t kCacheBudget = 64u << 20;
constexpr size_t kPreviewsKept = 6;
// The bytes are read into memory once: a mapping would end the program with SIGBUS when
// another program truncates the file while it is shown.
constexpr uint64_t kMaxPdfBytes = uint64_t(2) << 30;

// The engine's own words for why a document did not open.
const char* EngineMessage(QPdfDocument::Error error) {
  switch (error) {
    case QPdfDocument::Error::FileNotFound:
      return "File not found or could not be opened";
    case QPdfDocument::Error::InvalidFileFormat:
      return "File not in PDF format or corrupted";
    case QPdfDocument::Error::IncorrectPassword:
      return "Password required or incorrect password";
    case QPdfDocument::Error::UnsupportedSecurityScheme:
      return "Unsupported security scheme";
    default:
      return "Unknown error";
  }
}

// Searches only the pages asked for: Qt's model would otherwise search every page of the
// document on timer ticks of the window's thread.
class PageSearchModel : public QPdfSearchModel {
 public:
  using QPdfSearchModel::QPdfSearchModel;

 protected:
  void timerEvent(QTimerEvent* event) override { killTimer(event->timerId()); }
};

}  // namespace

class QtPdfPageSource : public PdfPageSource {
 public:
  explicit QtPdfPageSource(QPdfDocument* document)
      : document_(document), sizes_(size_t(std::max(document->pageCount(), 0))) {
    search_.setDocument(document);
  }

  int PageCount() const override { return document_->pageCount(); }

  TPdfRect PageSize(int page) const override {
    if (page < 0 || size_t(page) >= sizes_.size()) return {};
    TPdfRect& size = sizes_[size_t(page)];
    if (size.w <= 0) {
      const QSizeF points = document_->pagePointSize(page);
      size = {0, 0, points.width(), points.height()};
    }
    return size;
  }

  // The engine's search matches regardless of case and inside words, which is what the view
  // is asked for; the flags are remembered by the view's state.
  std::vector<TPdfMatch> FindText(int page, const std::string& utf8, bool, bool) override {
    const QString text = QString::fromStdString(utf8);
    if (search_.searchString() != text) search_.setSearchString(text);
    std::vector<TPdfMatch> matches;
    for (const QPdfLink& link : search_.resultsOnPage(page)) {
      std::vector<TPdfRect> rects;
      for (const QRectF& r : link.rectangles())
        rects.push_back({r.x(), r.y(), r.width(), r.height()});
      matches.push_back(MergeLineRects(std::move(rects)));
    }
    return matches;
  }

 private:
  QPdfDocument* document_;
  mutable std::vector<TPdfRect> sizes_;
  PageSearchModel search_;
};

PdfView::PdfView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setAutoFillBackground(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(Qt::IBeamCursor);
  setFocusPolicy(Qt::ClickFocus);
  scrollAnimation_ = new QVariantAnimation(this);
  scrollAnimation_->setDuration(120);
  scrollAnimation_->setEasingCurve(QEasingCurve::OutCubic);
  connect(scrollAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
    shownScroll_ = v.toPoint();
    SyncScrollBars();
    UpdateTiles();
    viewport()->update();
  });
}

PdfView::~PdfView() {
  // The renderer stops before the document it renders, the document closes before the bytes
  // it reads go.
  renderer_.reset();
  source_.reset();
  if (document_) document_->close();
}

bool PdfView::CreateEngine() {
  if (document_) return true;
  auto document = std::make_unique<QPdfDocument>();
  if (document->status() != QPdfDocument::Status::Null) return false;
  document_ = std::move(document);
  renderer_ = std::make_unique<PdfTileRenderer>(document_.get());
  renderer_->onResult = [this](TPdfTileResult r) { OnRendered(std::move(r)); };
  renderer_->onIdle = [this] {
    if (closePending_) ReleaseDocument();
  };
  return true;
}

// ---- document -----------------------------------------------------------------------------

void PdfView::LoadFromFile(const std::string& path) {
  Close();
  if (!document_) return;
  if (closePending_) {
    renderer_->WaitIdle();
    ReleaseDocument();
  }
  std::optional<std::string> bytes = ReadRegularFile(NativePath(path), kMaxPdfBytes);
  if (!bytes) throw std::runtime_error(EngineMessage(QPdfDocument::Error::FileNotFound));
  bytes_ = std::move(*bytes);
  buffer_.setData(QByteArray::fromRawData(bytes_.data(), qsizetype(bytes_.size())));
  buffer_.open(QIODevice::ReadOnly);
  document_->load(&buffer_);
  if (document_->status() != QPdfDocument::Status::Ready) {
    const QPdfDocument::Error error = document_->error();
    Close();
    throw std::runtime_error(
        EngineMessage(error == QPdfDocument::Error::None ? QPdfDocument::Error::Unknown : error));
  }
  source_ = std::make_unique<QtPdfPageSource>(document_.get());
  logic_.Load(source_.get());
  fileName_ = path;
  shownScroll_ = {};
  Changed();
}

void PdfView::Close() {
  // A render still running holds the engine: the document and the bytes it reads are let go
  // when it ends, so that moving on from a heavy page never waits for it.
  closePending_ = renderer_ && renderer_->Cancel(++generation_);
  if (!closePending_) ReleaseDocument();
  fileName_.clear();
  scrollAnimation_->stop();
  logic_.Close();
  source_.reset();
  tiles_.clear();
  previews_.clear();
  previewOrder_.clear();
  requested_.clear();
  previewsRequested_.clear();
  cachedBytes_ = 0;
  selection_.reset();
  selectFrom_.reset();
  shownScroll_ = {};
  Changed();
}

void PdfView::ReleaseDocument() {
  closePending_ = false;
  if (document_) document_->close();
  buffer_.close();
  buffer_.setData(QByteArray());
  bytes_ = std::string();
}

void PdfView::PageChanged() {
  selection_.reset();
  selectFrom_.reset();
  scrollAnimation_->stop();
  shownScroll_ = {logic_.ScrollX(), logic_.ScrollY()};
  Changed();
}

void PdfView::SetPageIndex(int page) {
  logic_.SetPageIndex(page);
  PageChanged();
}

void PdfView::GotoNextPage(bool) {
  if (logic_.GotoNextPage()) PageChanged();
}

void PdfView::GotoPrevPage(bool) {
  if (logic_.GotoPrevPage()) PageChanged();
}

void PdfView::SetRotation(TPdfPageRotation rotation) {
  logic_.SetRotation(rotation);
  PageChanged();
}

void PdfView::SetScaleMode(TPdfControlScaleMode mode) {
  logic_.SetScaleMode(mode);
  PageChanged();
}

void PdfView::SetZoomPercentage(int zoom) {
  logic_.SetZoomPercentage(zoom);
  PageChanged();
}

void PdfView::HightlightText(const QString& text, bool matchCase, bool matchWholeWord) {
  logic_.HightlightText(text.toStdString(), matchCase, matchWholeWord);
  viewport()->update();
}

void PdfView::SelectAll() {
  if (!document_ || !source_ || PageCount() == 0) return;
  selection_ = document_->getAllText(PageIndex());
  viewport()->update();
}

QString PdfView::SelText() const {
  return selection_ ? selection_->text() : QString();
}

bool PdfView::RunCommand(PdfCommand command) {
  if (!Available()) return false;
  const int page = logic_.PageIndex();
  const bool label = logic_.Run(command);
  if (page != logic_.PageIndex()) selection_.reset();
  PageChanged();
  return label;
}

bool PdfView::WindowWheel(int delta, Qt::KeyboardModifiers modifiers, QPoint pos, QSize panel) {
  if (!Available()) return false;
  const int page = logic_.PageIndex();
  const TPdfControlScaleMode mode = logic_.ScaleMode();
  const bool label =
      logic_.WindowWheel(delta, modifiers & Qt::ControlModifier, modifiers & Qt::ShiftModifier,
                         pos.x(), pos.y(), panel.width(), panel.height());
  if (page != logic_.PageIndex() || mode != logic_.ScaleMode()) PageChanged();
  return label;
}

// ---- geometry and scrolling ---------------------------------------------------------------

QSize PdfView::DrawnPageSize() const {
  if (!source_ || PageCount() == 0) return {0, 0};
  const TPdfLayout l = logic_.Layout();
  return {l.pageW, l.pageH};
}

QSize PdfView::UnrotatedPagePixels() const {
  return Unrotated(logic_.Layout());
}

QSize PdfView::Unrotated(const TPdfLayout& l) const {
  const TPdfPageRotation r = logic_.Rotation();
  const bool quarter =
      r == TPdfPageRotation::pr90Clockwise || r == TPdfPageRotation::pr90CounterClockwide;
  return quarter ? QSize(l.pageH, l.pageW) : QSize(l.pageW, l.pageH);
}

QTransform PdfView::PageTransform(const TPdfLayout& l, QPoint shownScroll) const {
  const QSize u = Unrotated(l);
  QTransform t;
  t.translate(l.left - shownScroll.x(), l.top - shownScroll.y());
  switch (logic_.Rotation()) {
    case TPdfPageRotation::prNormal:
      break;
    case TPdfPageRotation::pr90Clockwise:
      t.translate(u.height(), 0);
      t.rotate(90);
      break;
    case TPdfPageRotation::pr180:
      t.translate(u.width(), u.height());
      t.rotate(180);
      break;
    case TPdfPageRotation::pr90CounterClockwide:
      t.translate(0, u.width());
      t.rotate(270);
      break;
  }
  return t;
}

QRect PdfView::VisibleUnrotated(const TPdfLayout& l, QPoint scroll, int margin) const {
  const QRect view(-margin, -margin, l.viewW + 2 * margin, l.viewH + 2 * margin);
  const QRect onPage = PageTransform(l, scroll).inverted().mapRect(view);
  return onPage & QRect(QPoint(0, 0), Unrotated(l));
}

QRect PdfView::VisibleUnrotated(int margin) const {
  return VisibleUnrotated(logic_.Layout(), shownScroll_, margin);
}

void PdfView::Changed() {
  SyncScrollBars();
  UpdateTiles();
  viewport()->update();
}

void PdfView::SyncScrollBars() {
  const TPdfLayout l = logic_.Layout();
  syncing_ = true;
  setHorizontalScrollBarPolicy(l.hBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(l.vBar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  horizontalScrollBar()->setRange(0, l.maxScrollX);
  horizontalScrollBar()->setPageStep(l.viewW);
  horizontalScrollBar()->setSingleStep(20);
  horizontalScrollBar()->setValue(shownScroll_.x());
  verticalScrollBar()->setRange(0, l.maxScrollY);
  verticalScrollBar()->setPageStep(l.viewH);
  verticalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setValue(shownScroll_.y());
  syncing_ = false;
}

void PdfView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  Changed();
}

void PdfView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const QSize whole = maximumViewportSize();
  logic_.SetViewport(whole.width(), whole.height(), logicalDpiX(), logicalDpiY(),
                     style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
  shownScroll_ = {logic_.ScrollX(), logic_.ScrollY()};
  Changed();
}

void PdfView::scrollContentsBy(int, int) {
  if (syncing_) return;
  scrollAnimation_->stop();
  logic_.SetScroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  shownScroll_ = {logic_.ScrollX(), logic_.ScrollY()};
  UpdateTiles();
  viewport()->update();
}

void PdfView::AnimateScrollFrom(QPoint from) {
  const QPoint to(logic_.ScrollX(), logic_.ScrollY());
  scrollAnimation_->stop();
  if (!logic_.SmoothScroll() || from == to) {
    shownScroll_ = to;
    SyncScrollBars();
    UpdateTiles();
    viewport()->update();
    return;
  }
  scrollAnimation_->setStartValue(from);
  scrollAnimation_->setEndValue(to);
  scrollAnimation_->start();
}

bool PdfView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    return false;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

void PdfView::wheelEvent(QWheelEvent* event) {
  // The event is left unhandled: the main window's wheel handler sees it after the view.
  event->ignore();
  const QPoint angle = event->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const int zoom = logic_.ZoomPercentage();
  const QPoint from = shownScroll_;
  if (!logic_.ViewWheel(delta, ctrl, shift)) return;
  if (zoom != logic_.ZoomPercentage()) {
    PageChanged();
  } else {
    AnimateScrollFrom(from);
  }
}

// ---- text selection with the mouse -------------------------------------------------------

QPointF PdfView::PagePoint(QPoint viewportPos) const {
  double wPt, hPt;
  logic_.ShownPageSize(wPt, hPt);
  const QSize u = UnrotatedPagePixels();
  if (u.isEmpty()) return {};
  const QPointF px =
      PageTransform(logic_.Layout(), shownScroll_).inverted().map(QPointF(viewportPos));
  return {px.x() * wPt / u.width(), px.y() * hPt / u.height()};
}

void PdfView::SelectTo(QPoint viewportPos) {
  if (!selectFrom_ || !document_ || !source_ || PageCount() == 0) return;
  selection_ = document_->getSelection(PageIndex(), *selectFrom_, PagePoint(viewportPos));
  lastSelect_ = QDateTime::currentMSecsSinceEpoch();
  viewport()->update();
}

void PdfView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !source_)
    return QAbstractScrollArea::mousePressEvent(event);
  selectFrom_ = PagePoint(event->position().toPoint());
  selection_.reset();
  viewport()->update();
}

void PdfView::mouseMoveEvent(QMouseEvent* event) {
  // Each selection asks the engine to read the page again: at most one every 40 ms.
  if (selectFrom_ && QDateTime::currentMSecsSinceEpoch() - lastSelect_ >= 40)
    SelectTo(event->position().toPoint());
}

void PdfView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !selectFrom_)
    return QAbstractScrollArea::mouseReleaseEvent(event);
  SelectTo(event->position().toPoint());
  selectFrom_.reset();
}

void PdfView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy) && !SelText().isEmpty()) {
    QGuiApplication::clipboard()->setText(SelText());
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

// ---- rendering ----------------------------------------------------------------------------

void PdfView::Forget(const std::vector<TPdfTileJob>& jobs) {
  for (const TPdfTileJob& job : jobs) {
    if (job.preview) {
      previewsRequested_.erase(job.page);
      continue;
    }
    for (const QRect& t : job.tiles)
      requested_.erase({job.page, job.pagePixels.width(), job.pagePixels.height(), t.x() / kTile,
                        t.y() / kTile});
  }
}

void PdfView::AddTileJobs(int page, QSize u, QRect wanted, QRect visible,
                          std::vector<TPdfTileJob>& jobs) {
  if (wanted.isEmpty()) return;
  // Missing tiles in bands of whole rows, the rows of the visible part first.
  const QRect pageRect(QPoint(0, 0), u);
  std::vector<std::vector<QRect>> rows[2];  // [0] visible rows, [1] margin rows
  for (int ty = wanted.top() / kTile; ty <= wanted.bottom() / kTile; ++ty) {
    std::vector<QRect> row;
    bool rowVisible = false;
    for (int tx = wanted.left() / kTile; tx <= wanted.right() / kTile; ++tx) {
      const QRect tile = QRect(tx * kTile, ty * kTile, kTile, kTile) & pageRect;
      if (tile.isEmpty()) continue;
      const TileKey key{page, u.width(), u.height(), tx, ty};
      if (tiles_.count(key) || requested_.count(key)) continue;
      row.push_back(tile);
      rowVisible = rowVisible || tile.intersects(visible);
    }
    if (!row.empty()) rows[rowVisible ? 0 : 1].push_back(std::move(row));
  }
  for (const auto& group : rows) {
    TPdfTileJob band;
    auto flush = [&] {
      if (band.tiles.empty()) return;
      jobs.push_back(band);
      band = TPdfTileJob();
    };
    for (const std::vector<QRect>& row : group) {
      QRect rowRect;
      for (const QRect& t : row)
        rowRect |= t;
      const QRect merged = band.region | rowRect;
      if (!band.tiles.empty() && (int64_t(merged.width()) * merged.height() > kBandPixels ||
                                  row.front().y() != band.region.bottom() + 1))
        flush();
      band.generation = generation_;
      band.page = page;
      band.pagePixels = u;
      band.region |= rowRect;
      band.tiles.insert(band.tiles.end(), row.begin(), row.end());
      for (const QRect& t : row)
        requested_.insert({page, u.width(), u.height(), t.x() / kTile, t.y() / kTile});
    }
    flush();
  }
}

void PdfView::UpdateTiles() {
  if (!source_ || !renderer_ || PageCount() == 0 || !isVisible()) return;
  const TPdfLayout l = logic_.Layout();
  const QSize u = Unrotated(l);
  if (u.isEmpty()) return;
  const int page = PageIndex();
  // The jobs still waiting are taken back and asked again if what they hold is still wanted,
  // in the order of what is wanted most now.
  Forget(renderer_->Request({}));
  std::vector<TPdfTileJob> jobs;
  AddTileJobs(page, u, VisibleUnrotated(kMargin), VisibleUnrotated(0), jobs);

  // A page much larger than the view gets a picture of itself for fast scrolling and for the
  // next change of scale. It costs as much as drawing the whole page, so it comes after the
  // tiles; a page that is mostly visible needs none.
  const int64_t viewArea = int64_t(l.viewW) * l.viewH;
  if (int64_t(u.width()) * u.height() > 4 * viewArea && !previews_.count(page) &&
      !previewsRequested_.count(page)) {
    TPdfTileJob job;
    job.generation = generation_;
    job.page = page;
    job.pagePixels = u.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio).expandedTo({1, 1});
    job.region = QRect(QPoint(0, 0), job.pagePixels);
    job.preview = true;
    jobs.push_back(job);
    previewsRequested_.insert(page);
  }

  // With this page done, the next one is drawn ahead as a page change will show it, from its
  // top-left corner, so that turning the page shows it at once.
  if (jobs.empty() && page + 1 < PageCount()) {
    const TPdfLayout next = logic_.LayoutOf(page + 1);
    AddTileJobs(page + 1, Unrotated(next), VisibleUnrotated(next, {0, 0}, 0),
                VisibleUnrotated(next, {0, 0}, 0), jobs);
  }
  if (!jobs.empty()) renderer_->Request(std::move(jobs));
}

void PdfView::OnRendered(TPdfTileResult result) {
  const TPdfTileJob& job = result.job;
  if (job.generation != generation_) return;
  if (job.preview) {
    previewsRequested_.erase(job.page);
    if (result.images.empty()) return;
    auto old = previews_.find(job.page);
    if (old != previews_.end()) cachedBytes_ -= size_t(old->second.sizeInBytes());
    previews_[job.page] = result.images.front();
    cachedBytes_ += size_t(result.images.front().sizeInBytes());
    std::erase(previewOrder_, job.page);
    previewOrder_.push_back(job.page);
  } else {
    for (size_t i = 0; i < job.tiles.size() && i < result.images.size(); ++i) {
      const QRect& t = job.tiles[i];
      const TileKey key{job.page, job.pagePixels.width(), job.pagePixels.height(), t.x() / kTile,
                        t.y() / kTile};
      requested_.erase(key);
      QImage& slot = tiles_[key];
      cachedBytes_ -= size_t(slot.sizeInBytes());
      slot = result.images[i];
      cachedBytes_ += size_t(slot.sizeInBytes());
    }
  }
  Evict();
  viewport()->update();
  // Tiles may have been dropped from the queue while this job ran.
  UpdateTiles();
}

void PdfView::Evict() {
  const QSize u = UnrotatedPagePixels();
  const int page = PageIndex();
  const QRect keep = VisibleUnrotated(2 * kMargin);
  // Tiles of another scale stand in for the current ones until those are all there. Tiles of
  // the neighbouring pages stay for paging back and forth; of the current page and scale,
  // those near the visible part.
  const bool complete = VisibleTilesComplete();
  for (int pass = 0; pass < 2; ++pass) {
    const bool overBudget = cachedBytes_ > kCacheBudget;
    for (auto it = tiles_.begin(); it != tiles_.end();) {
      const TileKey& k = it->first;
      const bool currentScale = k.pageW == u.width() && k.pageH == u.height();
      bool drop;
      if (k.page == page && currentScale) {
        drop = !QRect(k.x * kTile, k.y * kTile, kTile, kTile).intersects(keep);
      } else if (k.page == page) {
        drop = complete || overBudget;
      } else {
        drop = std::abs(k.page - page) > 1 || overBudget;
      }
      if (drop) {
        cachedBytes_ -= size_t(it->second.sizeInBytes());
        it = tiles_.erase(it);
      } else {
        ++it;
      }
    }
    if (cachedBytes_ <= kCacheBudget) break;
  }
  while (previewOrder_.size() > kPreviewsKept) {
    auto it = previews_.find(previewOrder_.front());
    if (it != previews_.end()) {
      cachedBytes_ -= size_t(it->second.sizeInBytes());
      previews_.erase(it);
    }
    previewOrder_.erase(previewOrder_.begin());
  }
}

bool PdfView::VisibleTilesComplete() const {
  if (!source_ || PageCount() == 0) return false;
  const int page = PageIndex();
  const QSize u = UnrotatedPagePixels();
  const QRect visible = VisibleUnrotated(0);
  if (visible.isEmpty()) return true;
  for (int ty = visible.top() / kTile; ty <= visible.bottom() / kTile; ++ty)
    for (int tx = visible.left() / kTile; tx <= visible.right() / kTile; ++tx)
      if (!tiles_.count({page, u.width(), u.height(), tx, ty})) return false;
  return true;
}

bool PdfView::PageShown() const {
  if (!source_ || PageCount() == 0) return false;
  return previews_.count(PageIndex()) || VisibleTilesComplete();
}

bool PdfView::RenderIdle() const {
  return !renderer_ || (renderer_->Idle() && requested_.empty() && previewsRequested_.empty());
}

void PdfView::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  p.fillRect(event->rect(), QColor(128, 128, 128));
  if (!source_ || PageCount() == 0) return;
  const QSize u = UnrotatedPagePixels();
  const int page = PageIndex();
  p.setTransform(PageTransform(logic_.Layout(), shownScroll_));
  const QRect pageRect(QPoint(0, 0), u);
  p.fillRect(pageRect, Qt::white);
  const QRect exposed = p.transform().inverted().mapRect(event->rect()) & pageRect;

  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  if (auto it = previews_.find(page); it != previews_.end())
    p.drawImage(QRectF(pageRect), it->second);
  for (const auto& [k, image] : tiles_) {
    if (k.page != page || (k.pageW == u.width() && k.pageH == u.height())) continue;
    const double sx = double(u.width()) / k.pageW, sy = double(u.height()) / k.pageH;
    const QRectF target(k.x * kTile * sx, k.y * kTile * sy, image.width() * sx,
                        image.height() * sy);
    if (target.intersects(exposed)) p.drawImage(target, image);
  }
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  for (auto it = tiles_.lower_bound({page, u.width(), u.height(), INT_MIN, INT_MIN});
       it != tiles_.end() && it->first.page == page && it->first.pageW == u.width() &&
       it->first.pageH == u.height();
       ++it) {
    const QPoint at(it->first.x * kTile, it->first.y * kTile);
    if (QRect(at, it->second.size()).intersects(exposed)) p.drawImage(at, it->second);
  }

  // Marks and the selection, from points on the page to its pixels.
  double wPt, hPt;
  logic_.ShownPageSize(wPt, hPt);
  if (wPt <= 0 || hPt <= 0) return;
  const double sx = u.width() / wPt, sy = u.height() / hPt;
  auto pixels = [&](const TPdfRect& r) { return QRectF(r.x * sx, r.y * sy, r.w * sx, r.h * sy); };
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(230, 120, 0), 1));
  p.setBrush(QColor(255, 210, 0, 110));
  for (const TPdfMatch& match : logic_.Marks())
    for (const TPdfRect& r : match)
      p.drawRect(pixels(r));
  if (selection_) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 120, 215, 60));
    for (const QPolygonF& polygon : selection_->bounds())
      p.drawPolygon(QTransform::fromScale(sx, sy).map(polygon));
  }
}

}  // namespace kestrel::preview
