// The drawing tab's share of the window: the drawing on show with its view, the DXF loader the
// preview dispatch calls, and the redraw when the drawing's picture changes size.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "base/Messages.h"
#include "render/DxfPreview.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QTabWidget;

namespace kestrel::preview {
class ImageBox;
}

namespace kestrel::app {

class DrawingPreview : public QObject {
 public:
  struct Widgets {
    preview::ImageBox* image = nullptr;  // the "  DXF, Image" tab's picture
    QTabWidget* tabs = nullptr;
    int drawingTab = 2;
    QCheckBox* show = nullptr;       // the tab's " 表示" box
    QLineEdit* nameBox = nullptr;    // name of the shown file
    std::function<bool()> selected;  // a result line is selected
  };

  DrawingPreview(Widgets widgets, MessageSink messages, QObject* parent);

  render::DrawingDocument& document() { return doc_; }

  // The dispatch's DXF hook: `path` (the file system's bytes) drawn into `target` at its size,
  // progress on `progress`.
  void Load(const std::string& path, preview::ImageBox* target, QProgressBar* progress);
  // The dispatch's hook for a new selection: the previous drawing is gone.
  void Clear() { doc_.ClearDrawing(); }
  // After a command ran out of memory: the drawing's memory goes too, not only its records.
  void Release() {
    doc_.drawing = dxf::Drawing();
    doc_.DrawingShown = false;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool RedrawsOnResize() const;

  Widgets w_;
  MessageSink messages_;
  render::DrawingDocument doc_;
};

}  // namespace kestrel::app
