// Renders parts of PDF pages on a thread of its own, so that a heavy page never holds up the
// window. A job is one region of one page at one scale; the result comes back on the thread
// that owns the renderer, cut into the tiles the job asked for. A newer request replaces the
// jobs not yet started; a job of an older document generation is dropped.
#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QSize>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QPdfDocument;

namespace kestrel::preview {

struct TPdfTileJob {
  uint64_t generation = 0;
  int page = 0;
  QSize pagePixels;          // the whole unrotated page at the job's scale
  QRect region;              // what to render, inside the page
  std::vector<QRect> tiles;  // where to cut the region; empty: the region is one image
  bool preview = false;      // a low-resolution picture of the whole page
};

struct TPdfTileResult {
  TPdfTileJob job;
  std::vector<QImage> images;  // one for each tile (or the region), white behind the page
};

class PdfTileRenderer : public QObject {
 public:
  // The document must outlive the renderer.
  explicit PdfTileRenderer(QPdfDocument* document, QObject* parent = nullptr);
  ~PdfTileRenderer() override;

  std::function<void(TPdfTileResult)> onResult;
  // Called on the owner's thread when a job ends with no other waiting.
  std::function<void()> onIdle;

  // Replaces the jobs not yet started, and gives them back.
  std::vector<TPdfTileJob> Request(std::vector<TPdfTileJob> jobs);
  // Drops every job not yet started; the running one ends without a result. Returns whether
  // a job is still running: until it ends the document must stay open.
  bool Cancel(uint64_t newGeneration);
  // Waits for the running job, if any.
  void WaitIdle();
  bool Idle() const;

 private:
  void Run();
  TPdfTileResult Render(const TPdfTileJob& job);

  QPdfDocument* document_;
  mutable std::mutex mutex_;
  std::condition_variable wake_, idle_;
  std::deque<TPdfTileJob> jobs_;
  bool running_ = false;  // a job is being rendered
  bool stop_ = false;
  std::atomic<uint64_t> generation_{0};
  std::atomic<int> undelivered_{0};  // results posted but not yet handed to onResult
  std::thread thread_;
};

}  // namespace kestrel::preview
