// Canvas on a QImage through QPainter, with GDI's rules where the picture depends on them:
// pen modes as raster operations, lines that end before their last pixel, arcs drawn
// counter-clockwise between two radials, fonts given by cell height and average width.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

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

  // Fonts held at most; more than one face's cell heights (see RealizedCell) need.
  static constexpr size_t kFontCacheSize = 256;
  // Fonts held now, and fonts made since the canvas was created.
  size_t FontCount() const { return fonts_.size(); }
  size_t FontsMade() const { return fontsMade_; }

  // The cell height a font is made for to show text of `cell` pixels: the cell itself up to
  // 64 pixels, above that the nearest smaller of steps about 4 % apart, the last of them about
  // 16,000 pixels.
  static int RealizedCell(int cell);

 private:
  // A face at one cell height, made once and drawn scaled to the cells near it.
  struct RealFont {
    int cell = 0;
    std::string face;
    QFont font;
    double ascent = 0;
    double naturalWidth = 0;                        // GDI's average width: that of an 'x'
    std::unordered_map<char16_t, double> advances;  // of single characters, for long texts
    // The text now being drawn in it: the scales that give its cell and average width.
    double xScale = 1, yScale = 1;
    bool drawable = true;  // false for sizes no view can show
  };
  RealFont& Realize();
  RealFont& FindOrMake(int cell, const std::string& face);
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
  // Least recently used last; found by face (a drawing has one or two), then by cell height.
  std::list<RealFont> fonts_;
  struct FaceFonts {
    std::string face;
    std::unordered_map<int, std::list<RealFont>::iterator> byCell;
  };
  std::vector<FaceFonts> faces_;
  size_t fontsMade_ = 0;
  RealFont undrawable_;
  RealFont* current_ = nullptr;
};

}  // namespace kestrel::render
