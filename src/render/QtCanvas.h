// Canvas on a QImage through QPainter, with GDI's rules where the picture depends on them:
// pen modes as raster operations, lines that end before their last pixel, arcs drawn
// counter-clockwise between two radials, fonts given by cell height and average width.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <map>
#include <tuple>
#include <unordered_map>

#include "render/Canvas.h"

namespace kestrel::render {

// The face used when a font names none: Japanese text must show.
QString DefaultFontFace();

class QtCanvas : public Canvas {
 public:
  // Paints on `image` until destroyed; the image must outlive the canvas. An image of another
  // pixel format is converted to 32-bit RGB first.
  explicit QtCanvas(QImage& image);

  const Pen& GetPen() const override { return pen_; }
  void SetPenWidth(int width) override;
  void SetPenColor(Color color) override;
  void SetPenStyle(PenStyle style) override;
  void SetPenMode(PenMode mode) override;
  const Brush& GetBrush() const override { return brush_; }
  void SetBrushStyle(BrushStyle style) override { brush_.style = style; }
  void SetBrushColor(Color color) override { brush_.color = color; }
  void MoveTo(int x, int y) override { pos_ = {x, y}; }
  void LineTo(int x, int y) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  void SetPixel(int x, int y, Color color) override;
  void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) override;
  const FontDesc& GetFont() const override { return font_; }
  void SetFont(const FontDesc& font) override;
  Color GetFontColor() const override { return fontColor_; }
  void SetFontColor(Color color) override { fontColor_ = color; }
  void TextOut(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;

  // A direction on the screen, counter-clockwise from the right: (cosine, sine) of its angle,
  // or any vector along it.
  struct Direction {
    double c = 1, s = 0;
  };

 private:
  struct RealFont {
    QFont font;
    double ascent = 0;
    double xScale = 1;     // horizontal scale that gives the average character width
    bool drawable = true;  // false for sizes no view can show
    std::unordered_map<char16_t, double> advances;  // of single characters, for long texts
  };
  RealFont& Realize();
  void UsePen();
  void ThinLine(int x1, int y1, int x2, int y2);
  void WalkLine(int64_t x1, int64_t y1, int64_t dx, int64_t dy);
  // The arc from direction `from` through `sweep` radians to `to`, both unit vectors.
  void ArcChords(double cx, double cy, double rx, double ry, Direction from, double sweep,
                 Direction to, bool full);
  void UseMode(PenMode mode);

  QPainter painter_;
  // The image's pixels, written directly by one-pixel lines and SetPixel.
  uchar* bits_;
  qsizetype stride_;
  int width_, height_;
  double reach_;  // radius of a disc holding the canvas with a margin
  Pen pen_;
  QRgb penRgb_ = 0;  // pen_.color as the image's 0xRRGGBB
  Brush brush_;
  FontDesc font_;
  Color fontColor_ = kBlack;
  ScreenPoint pos_;
  bool penDirty_ = true;
  PenMode paintedMode_ = PenMode::Copy;
  std::map<std::tuple<int, int, std::string>, RealFont> fonts_;
  RealFont* current_ = nullptr;
};

}  // namespace kestrel::render
