#include "preview/PdfTileRenderer.h"

#include <QMetaObject>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfDocumentRenderOptions>

namespace kestrel::preview {

PdfTileRenderer::PdfTileRenderer(QPdfDocument* document, QObject* parent)
    : QObject(parent), document_(document) {
  thread_ = std::thread([this] { Run(); });
}

PdfTileRenderer::~PdfTileRenderer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    jobs_.clear();
  }
  wake_.notify_all();
  thread_.join();
}

std::vector<TPdfTileJob> PdfTileRenderer::Request(std::vector<TPdfTileJob> jobs) {
  std::vector<TPdfTileJob> dropped;
  {
    std::lock_guard lock(mutex_);
    dropped.assign(std::make_move_iterator(jobs_.begin()), std::make_move_iterator(jobs_.end()));
    jobs_.assign(std::make_move_iterator(jobs.begin()), std::make_move_iterator(jobs.end()));
  }
  wake_.notify_all();
  return dropped;
}

bool PdfTileRenderer::Cancel(uint64_t newGeneration) {
  std::lock_guard lock(mutex_);
  generation_ = newGeneration;
  jobs_.clear();
  return running_;
}

void PdfTileRenderer::WaitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return !running_; });
}

bool PdfTileRenderer::Idle() const {
  std::lock_guard lock(mutex_);
  return jobs_.empty() && !running_ && undelivered_ == 0;
}

void PdfTileRenderer::Run() {
  for (;;) {
    TPdfTileJob job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
      if (stop_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
      if (job.generation != generation_) continue;
      running_ = true;
    }
    TPdfTileResult result = Render(job);
    {
      std::lock_guard lock(mutex_);
      running_ = false;
      if (result.job.generation == generation_ && !stop_) {
        ++undelivered_;
        QMetaObject::invokeMethod(
            this,
            [this, r = std::move(result)]() mutable {
              --undelivered_;
              if (r.job.generation == generation_ && onResult) onResult(std::move(r));
            },
            Qt::QueuedConnection);
      }
      if (jobs_.empty() && !stop_) {
        QMetaObject::invokeMethod(
            this,
            [this] {
              if (onIdle) onIdle();
            },
            Qt::QueuedConnection);
      }
    }
    idle_.notify_all();
  }
}

TPdfTileResult PdfTileRenderer::Render(const TPdfTileJob& job) {
  TPdfTileResult result{job, {}};
  const QRect& region = job.region;
  if (region.isEmpty()) return result;
  QPdfDocumentRenderOptions options;
  options.setScaledSize(job.pagePixels);
  // Qt scales the clip rectangle's right and bottom pixel indices onto the image's width and
  // height: a rectangle one pixel larger than the image gives the page's own scale.
  options.setScaledClipRect(QRect(region.topLeft(), region.size() + QSize(1, 1)));
  options.setRenderFlags(QPdfDocumentRenderOptions::RenderFlag::Annotations);
  const QImage drawn = document_->render(job.page, region.size(), options);

  // The engine leaves the paper transparent; tiles are opaque, which also draws faster.
  QImage opaque(region.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  if (!drawn.isNull()) {
    QPainter p(&opaque);
    p.drawImage(0, 0, drawn);
  }
  if (job.tiles.empty()) {
    result.images.push_back(std::move(opaque));
    return result;
  }
  for (const QRect& tile : job.tiles)
    result.images.push_back(opaque.copy(tile.translated(-region.topLeft())));
  return result;
}

}  // namespace kestrel::preview
