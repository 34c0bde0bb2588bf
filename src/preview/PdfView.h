// Kestrel's PDF view: one page of a QPdfDocument, rotated in quarter turns, sized by the
// scale mode, with the occurrences of a text marked. Only what is visible, and a margin
// around it, is rendered, in tiles on the renderer's thread; until they arrive the page shows
// a low-resolution picture of itself or the tiles of the previous scale.
#pragma once

#include <QAbstractScrollArea>
#include <QBuffer>
#include <QImage>
#include <QPdfSelection>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "preview/core/PdfViewLogic.h"

class QPdfDocument;
class QVariantAnimation;

namespace kestrel::preview {

class PdfTileRenderer;
class QtPdfPageSource;
struct TPdfTileJob;
struct TPdfTileResult;

class PdfView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit PdfView(QWidget* parent = nullptr);
  ~PdfView() override;

  // Creates the PDF engine; false when it cannot be, and the view then stays empty.
  bool CreateEngine();
  bool Available() const { return document_ != nullptr; }

  // Closes any open document and opens the file at `path` (the file system's bytes), read
  // once, without waiting, and only when it is a regular file. Afterwards page 0 is shown.
  // Throws std::runtime_error with the engine's message when the file cannot be opened, and
  // then no document is open.
  void LoadFromFile(const std::string& path);
  // The path of the open document as it was loaded; empty when none is open.
  const std::string& FileName() const { return fileName_; }
  void Close();

  int PageCount() const { return logic_.PageCount(); }
  int PageIndex() const { return logic_.PageIndex(); }
  void SetPageIndex(int page);
  void GotoNextPage(bool scrollTransition);
  void GotoPrevPage(bool scrollTransition);
  TPdfPageRotation Rotation() const { return logic_.Rotation(); }
  void SetRotation(TPdfPageRotation rotation);
  TPdfControlScaleMode ScaleMode() const { return logic_.ScaleMode(); }
  void SetScaleMode(TPdfControlScaleMode mode);
  int ZoomPercentage() const { return logic_.ZoomPercentage(); }
  void SetZoomPercentage(int zoom);
  bool SmoothScroll() const { return logic_.SmoothScroll(); }
  void SetSmoothScroll(bool on) { logic_.SetSmoothScroll(on); }
  void HightlightText(const QString& text, bool matchCase, bool matchWholeWord);
  void SelectAll();
  QString SelText() const;

  // Runs a command of the tab; true when the page label is to be rewritten.
  bool RunCommand(PdfCommand command);
  // The main window's wheel branch for a pointer at `pos` of a page panel of `panel` pixels.
  bool WindowWheel(int delta, Qt::KeyboardModifiers modifiers, QPoint pos, QSize panel);

  const PdfViewLogic& Logic() const { return logic_; }
  QString PageLabel() const { return QString::fromStdString(logic_.PageLabel()); }
  // The open document, for reading its text; null when none is open.
  QPdfDocument* Document() const { return source_ ? document_.get() : nullptr; }
  QSize DrawnPageSize() const;
  // The shown page is on screen, sharp or from its low-resolution picture.
  bool PageShown() const;
  // No rendering is waiting or running.
  bool RenderIdle() const;
  // Bytes held by rendered tiles and pictures.
  size_t CachedBytes() const { return cachedBytes_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool viewportEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TileKey {
    int page, pageW, pageH, x, y;
    auto operator<=>(const TileKey&) const = default;
  };

  void Changed();
  void ReleaseDocument();
  void SyncScrollBars();
  void UpdateTiles();
  void OnRendered(TPdfTileResult result);
  void Evict();
  bool VisibleTilesComplete() const;
  QSize UnrotatedPagePixels() const;
  QSize Unrotated(const TPdfLayout& layout) const;
  // From the unrotated page's pixels to the viewport's.
  QTransform PageTransform(const TPdfLayout& layout, QPoint shownScroll) const;
  // The part of the unrotated page within `margin` pixels of the viewport.
  QRect VisibleUnrotated(const TPdfLayout& layout, QPoint scroll, int margin) const;
  QRect VisibleUnrotated(int margin) const;
  void AddTileJobs(int page, QSize pagePixels, QRect wanted, QRect visible,
                   std::vector<TPdfTileJob>& jobs);
  void AnimateScrollFrom(QPoint from);
  void PageChanged();
  QPointF PagePoint(QPoint viewportPos) const;  // in points on the unrotated page
  void SelectTo(QPoint viewportPos);
  void Forget(const std::vector<TPdfTileJob>& jobs);

  PdfViewLogic logic_;
  std::unique_ptr<QPdfDocument> document_;
  std::string bytes_;
  std::string fileName_;
  QBuffer buffer_;
  std::unique_ptr<QtPdfPageSource> source_;
  std::unique_ptr<PdfTileRenderer> renderer_;  // after the document: it is stopped first
  uint64_t generation_ = 1;
  std::map<TileKey, QImage> tiles_;
  std::map<int, QImage> previews_;  // low-resolution pictures by page
  std::vector<int> previewOrder_;   // least recently shown first
  size_t cachedBytes_ = 0;
  std::set<TileKey> requested_;  // asked of the renderer and not yet back
  std::set<int> previewsRequested_;
  std::optional<QPdfSelection> selection_;
  QPoint shownScroll_;  // trails the logic's scroll position while a smooth scroll runs
  QVariantAnimation* scrollAnimation_ = nullptr;
  bool syncing_ = false;
  bool closePending_ = false;          // closed, but a render still reads the document
  std::optional<QPointF> selectFrom_;  // where a drag selection started, in points
  qint64 lastSelect_ = 0;              // when the drag's selection was last taken, ms
};

}  // namespace kestrel::preview
