#include "render/TextRender.h"

#include <cmath>
#include <vector>

#include "base/TextCodec.h"
#include "dxf/Geometry.h"
#include "dxf/MText.h"
#include "render/ViewTransform.h"

namespace kestrel::render {

using dxf::kDegToRad;
using dxf::kRadToDeg;

namespace {

// One pass that builds a new string, so that a text full of codes costs linear time.
void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  size_t pos = s.find(from);
  if (pos == std::string::npos) return;
  std::string out;
  out.reserve(s.size());
  size_t done = 0;
  for (; pos != std::string::npos; pos = s.find(from, done)) {
    out.append(s, done, pos - done);
    out.append(to);
    done = pos + from.size();
  }
  out.append(s, done);
  s = std::move(out);
}

bool IsGroupLetter(char c) {
  switch (c) {
    case 'A':
    case 'C':
    case 'F':
    case 'H':
    case 'Q':
    case 'T':
    case 'W':
    case 'a':
    case 'c':
    case 'f':
    case 'h':
    case 'q':
    case 't':
    case 'w':
      return true;
    default:
      return false;
  }
}

// Length in bytes of the UTF-8 sequence that starts with `lead`.
size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

// Offset from the anchor to the top-left corner of a text cell, turned by `rot` degrees.
TAcadPoint CellOffset(double dx, double dy, double rot) {
  if (rot == 0) return {dx, dy, 0};
  double a = rot * kDegToRad;
  return {dx * std::cos(a) - dy * std::sin(a), dx * std::sin(a) + dy * std::cos(a), 0};
}

void PlaceText(Canvas& canvas, ScreenPoint origin, double s, const TAcadPoint& anchor, double dx,
               double dy, double rot, std::string_view text) {
  TAcadPoint d = CellOffset(dx, dy, rot);
  ScreenPoint p = WorldToScreen({anchor.x + d.x * s, anchor.y + d.y * s, anchor.z}, s, origin);
  canvas.TextOut(p.x, p.y, text);
}

void DrawTextLine(Canvas& canvas, ScreenPoint origin, double s, std::string_view text,
                  const TAcadPoint& anchor, const dxf::TTextBlk& t, int h, double rot) {
  double tw = canvas.TextWidth(text);
  double dx = 0;
  if (t.code72 == 1 || t.code72 == 4)
    dx = -tw / 2;
  else if (t.code72 == 2)
    dx = -tw;
  const double dy = dxf::TextVerticalOffset(t.code72, t.code73, h);
  PlaceText(canvas, origin, s, anchor, dx, dy, rot, text);
}

void DrawMTextLines(Canvas& canvas, ScreenPoint origin, double s, std::string_view text,
                    TAcadPoint anchor, const dxf::TTextBlk& t, int h, double rot) {
  double pitch = t.code40 * t.code44 * 1.7;
  std::vector<std::string> lines;
  int n = dxf::SplitMTextLines(text, lines);
  if (n <= 0) return;
  int attach = t.code71;
  if (n > 1) {
    double up = 0;
    if (attach >= 4 && attach <= 6) up = pitch * (n - 1) / 2;
    if (attach >= 7 && attach <= 9) up = pitch * n;
    if (up != 0) anchor = dxf::PolarPoint(anchor, (rot + 90) * kDegToRad, up);
  }
  double dy = 0.086 * h;
  if (attach >= 4 && attach <= 6) dy = h / 2.0 - 0.03 * h;
  if (attach >= 7 && attach <= 9) dy = 0.855 * h;
  for (const std::string& line : lines) {
    std::string shown = StripMTextCodes(line);
    double tw = canvas.TextWidth(shown);
    double dx = 0;
    if (attach == 2 || attach == 5 || attach == 8) dx = -tw / 2;
    if (attach == 3 || attach == 6 || attach == 9) dx = -tw;
    PlaceText(canvas, origin, s, anchor, dx, dy, rot, shown);
    anchor.x += pitch * std::sin(rot * kDegToRad);
    anchor.y -= pitch * std::cos(rot * kDegToRad);
  }
}

}  // namespace

std::string ReplaceTextSymbols(std::string_view text) {
  std::string s(text);
  if (s.find("%%") == std::string::npos) return s;
  ReplaceAll(s, "%%C", "\u03A6");
  ReplaceAll(s, "%%c", "\u03A6");
  ReplaceAll(s, "%%D", "\u00B0");
  ReplaceAll(s, "%%d", "\u00B0");
  ReplaceAll(s, "%%P", "\u00B1");
  ReplaceAll(s, "%%p", "\u00B1");
  ReplaceAll(s, "%%%", "%");
  return s;
}

std::string StripMTextCodes(std::string_view line) {
  // Braces group formatting; an escaped brace is a real one.
  std::string s;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (i > 0 && (c == '{' || c == '}') && line[i - 1] != '\\') continue;
    s += c;
  }
  ReplaceAll(s, "\\{", "{");
  ReplaceAll(s, "\\}", "}");
  for (std::string_view code : {"\\O", "\\o", "\\L", "\\l", "\\~", "\\S", "\\s", "^ ", "^I"}) {
    ReplaceAll(s, code, "");
  }
  // Codes with an argument (\fArial;, \H2.5;, \C1; ...) run up to their semicolon.
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && IsGroupLetter(s[i + 1])) {
      size_t end = s.find(';', i + 2);
      if (end == std::string::npos) break;
      i = end;
      continue;
    }
    out += s[i];
  }
  ReplaceAll(out, "\\\\", "\\");
  std::erase(out, '{');
  return out;
}

int Cp932ByteCount(std::string_view utf8) {
  if (auto ansi = Utf8ToAnsi(utf8)) return int(ansi->size());
  int n = 0;
  for (size_t i = 0; i < utf8.size();) {
    size_t len = std::min(Utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    auto one = Utf8ToAnsi(utf8.substr(i, len));
    n += one ? int(one->size()) : 1;
    i += len;
  }
  return n;
}

void DrawText(Canvas& canvas, ScreenPoint origin, double s, std::string_view text,
              const dxf::TAcadPoint& p10, const dxf::TAcadPoint& p11, const dxf::TTextBlk& t,
              Color color) {
  bool mtext = t.mtflag;
  TAcadPoint anchor = p11;
  if (mtext || ((t.code72 == 0 || t.code72 == 3 || t.code72 == 5) && t.code73 == 0)) anchor = p10;

  const TAcadPoint& dir = t.pt11;
  bool noDirection = dir.x == 0 && dir.y == 0;
  double rot = t.code50;
  if (mtext) rot = noDirection ? 0 : dxf::Angle2D({0, 0, 0}, dir) * kRadToDeg;

  int h = RoundPixel(t.code40 / s * 1.3);
  if (h <= 1) return;
  int w = 0;
  if (mtext) {
    w = RoundPixel(t.code40 / s * 0.39780000000000004);
  } else if (t.code72 == 5) {
    int n = Cp932ByteCount(text);
    if (n > 0) w = RoundPixel(dxf::Distance2D(p10, p11) / s * 0.8 / n);
  } else {
    w = RoundPixel(t.code40 / s * 0.663 * t.code41 * 0.75);
  }

  FontDesc previous = canvas.GetFont();
  FontDesc font;
  font.height = h;
  font.width = w;
  font.escapement = (mtext && noDirection) ? 0 : RoundPixel(rot * 10);
  font.faceName = previous.faceName;
  canvas.SetFont(font);
  if (canvas.GetFontColor() != color) canvas.SetFontColor(color);
  canvas.SetBrushStyle(BrushStyle::Clear);

  if (mtext) {
    DrawMTextLines(canvas, origin, s, text, anchor, t, h, rot);
  } else {
    DrawTextLine(canvas, origin, s, text, anchor, t, h, rot);
  }
  canvas.SetFont(previous);
}

}  // namespace kestrel::render
