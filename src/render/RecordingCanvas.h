// A canvas that keeps every call with its pixel coordinates, so tests can assert on exactly
// what the renderer asked for.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "render/Canvas.h"

namespace kestrel::render {

struct CanvasCall {
  enum Kind {
    PenWidth,
    PenColor,
    PenStyle,
    PenMode,
    BrushStyle,
    BrushColor,
    MoveTo,
    LineTo,
    Rectangle,
    Pixel,
    Arc,
    Font,
    FontColor,
    TextOut,
  };
  Kind kind = MoveTo;
  std::array<int, 8> args{};  // pixel coordinates, or the new value of a setting
  Color color = 0;            // SetPixel's colour, or the new colour of a setting
  std::string text;           // TextOut
  Pen pen;                    // the pen when the call was made
  FontDesc font;              // the font when the call was made
  Color fontColor = 0;
};

// One line per call, e.g. "LineTo 10 20" or "Arc 0 0 10 10 10 5 0 5".
std::string Describe(const CanvasCall& call);

class RecordingCanvas : public Canvas {
 public:
  const std::vector<CanvasCall>& Calls() const { return calls_; }
  std::vector<CanvasCall> CallsOf(CanvasCall::Kind kind) const;
  // Describe() of every call, or only of the calls of the given kinds.
  std::vector<std::string> Log() const;
  std::vector<std::string> Log(std::initializer_list<CanvasCall::Kind> kinds) const;
  void Clear() { calls_.clear(); }

  const Pen& GetPen() const override { return pen_; }
  void SetPenWidth(int width) override;
  void SetPenColor(Color color) override;
  void SetPenStyle(render::PenStyle style) override;
  void SetPenMode(render::PenMode mode) override;
  const Brush& GetBrush() const override { return brush_; }
  void SetBrushStyle(render::BrushStyle style) override;
  void SetBrushColor(Color color) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  void SetPixel(int x, int y, Color color) override;
  void Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) override;
  const FontDesc& GetFont() const override { return font_; }
  void SetFont(const FontDesc& font) override;
  Color GetFontColor() const override { return fontColor_; }
  void SetFontColor(Color color) override;
  void TextOut(int x, int y, std::string_view text) override;
  // Every character is `width` pixels wide, or half the height when the width is 0.
  int TextWidth(std::string_view text) override;

 private:
  CanvasCall& Add(CanvasCall::Kind kind, std::initializer_list<int> args = {});

  std::vector<CanvasCall> calls_;
  Pen pen_;
  Brush brush_;
  FontDesc font_{.height = 16, .faceName = "IPAGothic"};
  Color fontColor_ = kBlack;
};

}  // namespace kestrel::render
