#include "preview/ImageBox.h"

#include <QPainter>

namespace kestrel::preview {

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageBox::setImage(const QImage& image) {
  image_ = image;
  update();
}

void ImageBox::clear() {
  setImage(QImage());
}

void ImageBox::paintEvent(QPaintEvent*) {
  // Qt clips the painter to the region that needs painting: an overlay's few lines cost only
  // their pixels.
  QPainter p(this);
  p.fillRect(rect(), Qt::black);
  if (image_.isNull()) return;
  p.drawImage(QPoint((width() - image_.width()) / 2, (height() - image_.height()) / 2), image_);
}

}  // namespace kestrel::preview
