#include "app/DrawingPreview.h"

#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>

#include "base/PathBytes.h"
#include "preview/ImageBox.h"

namespace kestrel::app {

DrawingPreview::DrawingPreview(Widgets widgets, MessageSink messages, QObject* parent)
    : QObject(parent), w_(std::move(widgets)), messages_(std::move(messages)) {
  if (w_.image) w_.image->installEventFilter(this);
}

void DrawingPreview::Load(const std::string& path, preview::ImageBox* target,
                          QProgressBar* progress) {
  if (!target) return;
  // Black while the file is read; the drawing appears whole at the end.
  target->clear();
  target->repaint();
  ProgressSink sink;
  if (progress) {
    sink = [progress](int position, int maximum) {
      if (progress->maximum() != maximum) progress->setMaximum(maximum);
      progress->setValue(position);
    };
  }
  target->setImage(render::LoadDxfPreview(doc_, NativePath(path), target->size(), sink, messages_));
}

bool DrawingPreview::RedrawsOnResize() const {
  if (!w_.tabs || !w_.show || !w_.nameBox) return false;
  if (w_.tabs->currentIndex() != w_.drawingTab || !w_.show->isChecked()) return false;
  if (w_.selected && !w_.selected()) return false;
  const QString name = w_.nameBox->text();
  return name.endsWith(".DXF", Qt::CaseInsensitive) || name.endsWith(".DWG", Qt::CaseInsensitive);
}

bool DrawingPreview::eventFilter(QObject* watched, QEvent* event) {
  if (watched == w_.image && event->type() == QEvent::Resize && RedrawsOnResize()) {
    doc_.CrossShown = false;
    w_.image->setImage(render::RedrawView(doc_, w_.image->size(), false));
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kestrel::app
