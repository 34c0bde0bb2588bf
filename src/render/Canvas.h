// The drawing surface the renderer paints on: the handful of GDI-style operations it needs.
// Colours are 0x00BBGGRR, coordinates are pixels (y grows downwards).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::render {

using Color = uint32_t;  // 0x00BBGGRR

inline constexpr Color kBlack = 0x000000;
inline constexpr Color kWhite = 0xFFFFFF;
inline constexpr Color kCyan = 0xFFFF00;

// Pen styles carry the GDI numbers, as `PenStyle` of the drawing's records does.
enum class PenStyle : uint8_t { Solid = 0, Dot = 2, DashDot = 3, DashDotDot = 4 };

enum class PenMode : uint8_t { Copy, Xor, NotXor, Not };

enum class BrushStyle : uint8_t { Solid, Clear };

struct Pen {
  int width = 1;
  Color color = kBlack;
  PenStyle style = PenStyle::Solid;
  PenMode mode = PenMode::Copy;
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
  BrushStyle style = BrushStyle::Solid;
  Color color = kWhite;
  friend bool operator==(const Brush&, const Brush&) = default;
};

// A font as a LOGFONT describes it: `height` is the cell height in pixels, `width` the average
// character width (0: the face's own proportions), `escapement` the rotation of the baseline in
// tenths of a degree, counter-clockwise.
struct FontDesc {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 0;
  int charSet = 1;  // DEFAULT_CHARSET
  std::string faceName;
  friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// Nearest whole number, ties to even, as std::nearbyint gives it in the default rounding mode,
// for |v| below 2^51. Written out because on baseline x86-64 std::nearbyint is a library call,
// and a redraw rounds several coordinates for each of a million records.
inline double RoundHalfEven(double v) {
  constexpr double kShift = 0x1.8p52;  // sums this large have no fraction bits left
  return (v + kShift) - kShift;
}

struct ScreenPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual const Pen& GetPen() const = 0;
  virtual void SetPenWidth(int width) = 0;
  virtual void SetPenColor(Color color) = 0;
  virtual void SetPenStyle(PenStyle style) = 0;
  virtual void SetPenMode(PenMode mode) = 0;

  virtual const Brush& GetBrush() const = 0;
  virtual void SetBrushStyle(BrushStyle style) = 0;
  virtual void SetBrushColor(Color color) = 0;

  // GDI's MoveTo/LineTo: the line ends before the pixel it is drawn to.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Filled with the brush and outlined with the pen; right and bottom are exclusive.
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
  virtual void SetPixel(int x, int y, Color color) = 0;
  // GDI's Arc: the ellipse in the box, drawn counter-clockwise (on the screen) from the radial
  // through (x1, y1) to the radial through (x2, y2); equal radials draw the whole ellipse.
  virtual void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) = 0;

  virtual const FontDesc& GetFont() const = 0;
  virtual void SetFont(const FontDesc& font) = 0;
  virtual Color GetFontColor() const = 0;
  virtual void SetFontColor(Color color) = 0;
  // Text in UTF-8; (x, y) is the top-left corner of the text cell before rotation.
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  virtual int TextWidth(std::string_view text) = 0;
};

}  // namespace kestrel::render
