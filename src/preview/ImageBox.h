// A picture area of the window (the thumbnail and the drawing tab's image): shows one image,
// centred, on black.
#pragma once

#include <QImage>
#include <QWidget>

namespace kestrel::preview {

class ImageBox : public QWidget {
  Q_OBJECT
 public:
  explicit ImageBox(QWidget* parent = nullptr);

  const QImage& image() const { return image_; }
  // The shown picture, for drawing on it in place; call update() after.
  QImage& editableImage() { return image_; }
  void setImage(const QImage& image);
  // Black over the whole area: the picture of "nothing to show".
  void clear();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

}  // namespace kestrel::preview
