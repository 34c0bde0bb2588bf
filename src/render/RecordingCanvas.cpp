#include "render/RecordingCanvas.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace kestrel::render {

namespace {

const char* KindName(CanvasCall::Kind kind) {
  switch (kind) {
    case CanvasCall::PenWidth:
      return "PenWidth";
    case CanvasCall::PenColor:
      return "PenColor";
    case CanvasCall::PenStyle:
      return "PenStyle";
    case CanvasCall::PenMode:
      return "PenMode";
    case CanvasCall::BrushStyle:
      return "BrushStyle";
    case CanvasCall::BrushColor:
      return "BrushColor";
    case CanvasCall::MoveTo:
      return "MoveTo";
    case CanvasCall::LineTo:
      return "LineTo";
    case CanvasCall::Rectangle:
      return "Rectangle";
    case CanvasCall::Pixel:
      return "Pixel";
    case CanvasCall::Arc:
      return "Arc";
    case CanvasCall::Font:
      return "Font";
    case CanvasCall::FontColor:
      return "FontColor";
    case CanvasCall::TextOut:
      return "TextOut";
  }
  return "?";
}

int ArgCount(CanvasCall::Kind kind) {
  switch (kind) {
    case CanvasCall::MoveTo:
    case CanvasCall::LineTo:
    case CanvasCall::Pixel:
    case CanvasCall::TextOut:
      return 2;
    case CanvasCall::Rectangle:
      return 4;
    case CanvasCall::Arc:
      return 8;
    case CanvasCall::PenWidth:
    case CanvasCall::PenStyle:
    case CanvasCall::PenMode:
    case CanvasCall::BrushStyle:
      return 1;
    case CanvasCall::Font:
      return 3;  // height, width, escapement
    default:
      return 0;
  }
}

bool HasColor(CanvasCall::Kind kind) {
  return kind == CanvasCall::PenColor || kind == CanvasCall::BrushColor ||
         kind == CanvasCall::FontColor || kind == CanvasCall::Pixel;
}

std::string Hex(Color c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06X", unsigned(c));
  return buf;
}

}  // namespace

std::string Describe(const CanvasCall& call) {
  std::string s = KindName(call.kind);
  for (int i = 0; i < ArgCount(call.kind); ++i)
    s += " " + std::to_string(call.args[size_t(i)]);
  if (HasColor(call.kind)) s += " " + Hex(call.color);
  if (call.kind == CanvasCall::TextOut) s += " " + call.text;
  return s;
}

std::vector<CanvasCall> RecordingCanvas::CallsOf(CanvasCall::Kind kind) const {
  std::vector<CanvasCall> out;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
               [kind](const CanvasCall& c) { return c.kind == kind; });
  return out;
}

std::vector<std::string> RecordingCanvas::Log() const {
  std::vector<std::string> out;
  for (const CanvasCall& c : calls_)
    out.push_back(Describe(c));
  return out;
}

std::vector<std::string> RecordingCanvas::Log(std::initializer_list<CanvasCall::Kind> kinds) const {
  std::vector<std::string> out;
  for (const CanvasCall& c : calls_) {
    if (std::find(kinds.begin(), kinds.end(), c.kind) != kinds.end()) out.push_back(Describe(c));
  }
  return out;
}

CanvasCall& RecordingCanvas::Add(CanvasCall::Kind kind, std::initializer_list<int> args) {
  CanvasCall& c = calls_.emplace_back();
  c.kind = kind;
  std::copy(args.begin(), args.end(), c.args.begin());
  c.pen = pen_;
  c.font = font_;
  c.fontColor = fontColor_;
  return c;
}

void RecordingCanvas::SetPenWidth(int width) {
  pen_.width = width;
  Add(CanvasCall::PenWidth, {width});
}

void RecordingCanvas::SetPenColor(Color color) {
  pen_.color = color;
  Add(CanvasCall::PenColor).color = color;
}

void RecordingCanvas::SetPenStyle(render::PenStyle style) {
  pen_.style = style;
  Add(CanvasCall::PenStyle, {int(style)});
}

void RecordingCanvas::SetPenMode(render::PenMode mode) {
  pen_.mode = mode;
  Add(CanvasCall::PenMode, {int(mode)});
}

void RecordingCanvas::SetBrushStyle(render::BrushStyle style) {
  brush_.style = style;
  Add(CanvasCall::BrushStyle, {int(style)});
}

void RecordingCanvas::SetBrushColor(Color color) {
  brush_.color = color;
  Add(CanvasCall::BrushColor).color = color;
}

void RecordingCanvas::MoveTo(int x, int y) {
  Add(CanvasCall::MoveTo, {x, y});
}
void RecordingCanvas::LineTo(int x, int y) {
  Add(CanvasCall::LineTo, {x, y});
}

void RecordingCanvas::Rectangle(int left, int top, int right, int bottom) {
  Add(CanvasCall::Rectangle, {left, top, right, bottom});
}

void RecordingCanvas::SetPixel(int x, int y, Color color) {
  Add(CanvasCall::Pixel, {x, y}).color = color;
}

void RecordingCanvas::Arc(int left, int top, int right, int bottom, int x1, int y1, int x2,
                          int y2) {
  Add(CanvasCall::Arc, {left, top, right, bottom, x1, y1, x2, y2});
}

void RecordingCanvas::SetFont(const FontDesc& font) {
  font_ = font;
  Add(CanvasCall::Font, {font.height, font.width, font.escapement});
}

void RecordingCanvas::SetFontColor(Color color) {
  fontColor_ = color;
  Add(CanvasCall::FontColor).color = color;
}

void RecordingCanvas::TextOut(int x, int y, std::string_view text) {
  Add(CanvasCall::TextOut, {x, y}).text = std::string(text);
}

int RecordingCanvas::TextWidth(std::string_view text) {
  int chars = 0;
  for (char c : text)
    chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  int each = font_.width > 0 ? font_.width : std::max(1, font_.height / 2);
  return chars * each;
}

}  // namespace kestrel::render
