#include "render/TextRender.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
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

namespace {

// The anchor, rotation and font of a text; then `drawLines(anchor, h, w, rot)` draws it in that
// font. `fitBytes()` gives the text's length in code page 932, asked for a fitted TEXT only.
template <class FitBytes, class DrawLines>
void DrawTextWith(Canvas& canvas, double s, const dxf::TAcadPoint& p10, const dxf::TAcadPoint& p11,
                  const dxf::TTextBlk& t, Color color, FitBytes&& fitBytes, DrawLines&& drawLines) {
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
    int n = fitBytes();
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

  drawLines(anchor, h, w, rot);
  canvas.SetFont(previous);
}

}  // namespace

void DrawText(Canvas& canvas, ScreenPoint origin, double s, std::string_view text,
              const dxf::TAcadPoint& p10, const dxf::TAcadPoint& p11, const dxf::TTextBlk& t,
              Color color) {
  const auto fitBytes = [&] { return Cp932ByteCount(text); };
  DrawTextWith(canvas, s, p10, p11, t, color, fitBytes,
               [&](const TAcadPoint& anchor, int h, int, double rot) {
                 if (t.mtflag) {
                   DrawMTextLines(canvas, origin, s, text, anchor, t, h, rot);
                 } else {
                   DrawTextLine(canvas, origin, s, text, anchor, t, h, rot);
                 }
               });
}

namespace {

// Texts up to this many bytes are drawn whole, as they always were; longer ones only where
// they can show.
constexpr size_t kLongText = 4096;
// A long line is measured and cut in pieces of about this many bytes.
constexpr size_t kPieceBytes = 256;

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where the piece of `text` that begins at `from` ends: about kPieceBytes on, never inside a
// character, and, in a text whose symbols are still to be replaced, never after a "%": no
// symbol then spans two pieces, and the pieces replaced one by one give the text replaced whole.
size_t PieceEnd(std::string_view text, size_t from, bool symbols) {
  const auto cuttable = [&](size_t at) {
    return at >= text.size() || (!IsContinuation(text[at]) && !(symbols && text[at - 1] == '%'));
  };
  size_t end = std::min(text.size(), from + kPieceBytes);
  while (end > from + 1 && !cuttable(end))
    --end;
  while (!cuttable(end))  // a piece made of one run of "%"
    ++end;
  return end;
}

// A long line in one font, cut in pieces, with the advance in pixels at which each piece starts;
// measured piece by piece, as far as a drawing has needed.
struct PieceLayout {
  std::vector<size_t> cuts{0};
  std::vector<double> starts{0};
  bool complete = false;
};

struct StringKey {
  const char* data;
  size_t size;
  friend bool operator==(const StringKey&, const StringKey&) = default;
};

struct FontKey {
  StringKey text;
  int h;
  int w;
  friend bool operator==(const FontKey&, const FontKey&) = default;
};

struct KeyHash {
  size_t operator()(const StringKey& k) const {
    return std::hash<const void*>()(k.data) ^ (k.size * 0x9E3779B97F4A7C15ull);
  }
  size_t operator()(const FontKey& k) const {
    return (*this)(k.text) ^ (size_t(uint32_t(k.h)) << 32 | uint32_t(k.w)) * 0xC2B2AE3D27D4EB4Full;
  }
};

// An MTEXT's lines after symbol replacement; each line's codes are stripped when it is first
// drawn.
struct MTextLines {
  std::vector<std::string> lines;
  std::vector<std::optional<std::string>> shown;
};

StringKey KeyOf(std::string_view text) {
  return {text.data(), text.size()};
}

}  // namespace

struct TextPass::Cache {
  std::unordered_map<StringKey, int, KeyHash> fitBytes;
  std::unordered_map<StringKey, MTextLines, KeyHash> mtexts;
  std::unordered_map<FontKey, PieceLayout, KeyHash> layouts;
};

TextPass::TextPass(int width, int height)
    : width_(width), height_(height), cache_(std::make_unique<Cache>()) {}
TextPass::~TextPass() = default;

namespace {

// Measures the next piece of `text` in the canvas font; false when the layout is complete.
bool MeasureNext(PieceLayout& layout, Canvas& canvas, std::string_view text, bool symbols) {
  if (layout.complete) return false;
  const size_t from = layout.cuts.back();
  const size_t to = PieceEnd(text, from, symbols);
  const std::string_view piece = text.substr(from, to - from);
  const int width = symbols ? canvas.TextWidth(ReplaceTextSymbols(piece)) : canvas.TextWidth(piece);
  layout.cuts.push_back(to);
  layout.starts.push_back(layout.starts.back() + std::max(0, width));
  layout.complete = to >= text.size();
  return true;
}

// The rectangle of the canvas seen from a text line: `along` its baseline from the corner of
// its cell at advance 0, `down` across it, in pixels; the box around the canvas's corners.
struct Reach {
  double alongFrom = 0, alongTo = 0, downFrom = 0, downTo = 0;
};

Reach CanvasReach(const TextPass& pass, ScreenPoint origin, double s, const TAcadPoint& anchor,
                  double dy, double rot) {
  const TAcadPoint d = CellOffset(0, dy, rot);
  const double px = anchor.x / s + d.x + origin.x;
  const double py = -anchor.y / s - d.y + origin.y;
  const double c = std::cos(rot * kDegToRad), si = std::sin(rot * kDegToRad);
  Reach r{INFINITY, -INFINITY, INFINITY, -INFINITY};
  for (double x : {0.0, double(pass.width())}) {
    for (double y : {0.0, double(pass.height())}) {
      // The baseline runs along (cos, −sin) on the screen, the text's "down" along (sin, cos).
      const double along = (x - px) * c - (y - py) * si;
      const double down = (x - px) * si + (y - py) * c;
      r.alongFrom = std::min(r.alongFrom, along);
      r.alongTo = std::max(r.alongTo, along);
      r.downFrom = std::min(r.downFrom, down);
      r.downTo = std::max(r.downTo, down);
    }
  }
  return r;
}

// How far glyphs may reach beyond their cell.
double GlyphMargin(int h, int w) {
  return 2.0 * h + 2.0 * std::abs(w) + 2;
}

enum class Justify { Left, Centre, Right };

// One line of a long text: only the pieces that reach the canvas are drawn, in one TextOut.
// `symbols`: the line's special symbols are still to be replaced.
void DrawLongLine(Canvas& canvas, TextPass& pass, ScreenPoint origin, double s,
                  std::string_view text, bool symbols, const TAcadPoint& anchor, Justify justify,
                  double dy, double rot, int h, int w) {
  const Reach reach = CanvasReach(pass, origin, s, anchor, dy, rot);
  const double margin = GlyphMargin(h, w);
  if (!(reach.downTo >= -margin && reach.downFrom <= h + margin)) return;  // beside the canvas

  PieceLayout& layout = pass.cache().layouts[FontKey{KeyOf(text), h, w}];
  double dx = 0;
  if (justify != Justify::Left) {
    while (MeasureNext(layout, canvas, text, symbols)) {
    }
    const double tw = layout.starts.back();
    dx = justify == Justify::Centre ? -tw / 2 : -tw;
  }
  // The stretch of the line's own advance that the canvas can show.
  const double from = reach.alongFrom - margin - dx;
  const double to = reach.alongTo + margin - dx;
  if (!(to > 0)) return;
  while (layout.starts.back() < to && MeasureNext(layout, canvas, text, symbols)) {
  }
  const std::vector<double>& starts = layout.starts;
  size_t first = size_t(std::upper_bound(starts.begin(), starts.end(), from) - starts.begin());
  first = first > 0 ? first - 1 : 0;
  size_t last = size_t(std::lower_bound(starts.begin(), starts.end(), to) - starts.begin());
  last = std::min(last, layout.cuts.size() - 1);
  if (first >= last) return;
  const std::string_view part =
      text.substr(layout.cuts[first], layout.cuts[last] - layout.cuts[first]);
  PlaceText(canvas, origin, s, anchor, dx + starts[first], dy, rot,
            symbols ? ReplaceTextSymbols(part) : std::string(part));
}

void DrawLongText(Canvas& canvas, TextPass& pass, ScreenPoint origin, double s,
                  const dxf::TTextBlk& t, const TAcadPoint& anchor, int h, int w, double rot) {
  Justify justify = Justify::Left;
  if (t.code72 == 1 || t.code72 == 4) justify = Justify::Centre;
  if (t.code72 == 2) justify = Justify::Right;
  DrawLongLine(canvas, pass, origin, s, t.str, true, anchor, justify,
               dxf::TextVerticalOffset(t.code72, t.code73, h), rot, h, w);
}

// Only the lines that reach the canvas are stripped, measured and drawn; lines are evenly
// spaced, so they are found without looking at the others.
void DrawLongMText(Canvas& canvas, TextPass& pass, ScreenPoint origin, double s,
                   const dxf::TTextBlk& t, TAcadPoint anchor, int h, int w, double rot) {
  auto [it, added] = pass.cache().mtexts.try_emplace(KeyOf(t.str));
  MTextLines& m = it->second;
  if (added) {
    dxf::SplitMTextLines(ReplaceTextSymbols(t.str), m.lines);
    m.shown.resize(m.lines.size());
  }
  const size_t n = m.lines.size();
  if (n == 0) return;

  const double pitch = t.code40 * t.code44 * 1.7;
  const int attach = t.code71;
  if (n > 1) {
    double up = 0;
    if (attach >= 4 && attach <= 6) up = pitch * double(n - 1) / 2;
    if (attach >= 7 && attach <= 9) up = pitch * double(n);
    if (up != 0) anchor = dxf::PolarPoint(anchor, (rot + 90) * kDegToRad, up);
  }
  double dy = 0.086 * h;
  if (attach >= 4 && attach <= 6) dy = h / 2.0 - 0.03 * h;
  if (attach >= 7 && attach <= 9) dy = 0.855 * h;
  Justify justify = Justify::Left;
  if (attach == 2 || attach == 5 || attach == 8) justify = Justify::Centre;
  if (attach == 3 || attach == 6 || attach == 9) justify = Justify::Right;

  // Line k lies k pitches down the text's own frame: from k·pitch to k·pitch + h pixels.
  const Reach reach = CanvasReach(pass, origin, s, anchor, dy, rot);
  const double margin = GlyphMargin(h, w);
  const double pitchPx = pitch / s;
  double lo = 0, hi = double(n - 1);
  if (std::isfinite(pitchPx) && pitchPx != 0) {
    lo = (reach.downFrom - h - margin) / pitchPx;
    hi = (reach.downTo + margin) / pitchPx;
    if (pitchPx < 0) std::swap(lo, hi);
  } else if (!(reach.downTo >= -margin && reach.downFrom <= h + margin)) {
    return;
  }
  if (!(hi >= 0 && lo <= double(n - 1))) return;
  const size_t first = size_t(std::max(0.0, std::ceil(lo)));
  const size_t last = size_t(std::min(double(n - 1), std::floor(hi)));

  const double stepX = pitch * std::sin(rot * kDegToRad);
  const double stepY = -pitch * std::cos(rot * kDegToRad);
  for (size_t k = first; k <= last; ++k) {
    if (!m.shown[k]) m.shown[k] = StripMTextCodes(m.lines[k]);
    const std::string& shown = *m.shown[k];
    const TAcadPoint at{anchor.x + double(k) * stepX, anchor.y + double(k) * stepY, anchor.z};
    if (shown.size() > kLongText) {
      DrawLongLine(canvas, pass, origin, s, shown, false, at, justify, dy, rot, h, w);
      continue;
    }
    const double tw = canvas.TextWidth(shown);
    const double dx = justify == Justify::Left ? 0 : justify == Justify::Centre ? -tw / 2 : -tw;
    PlaceText(canvas, origin, s, at, dx, dy, rot, shown);
  }
}

}  // namespace

void DrawRecordText(Canvas& canvas, ScreenPoint origin, double s, const dxf::TTextBlk& t,
                    const dxf::TAcadPoint& p10, const dxf::TAcadPoint& p11, Color color,
                    TextPass& pass) {
  // Too small to read: nothing of the text is looked at.
  if (RoundPixel(t.code40 / s * 1.3) <= 1) return;
  if (t.str.size() <= kLongText) {
    DrawText(canvas, origin, s, ReplaceTextSymbols(t.str), p10, p11, t, color);
    return;
  }
  const auto fitBytes = [&] {
    auto [it, added] = pass.cache().fitBytes.try_emplace(KeyOf(t.str), 0);
    if (added) it->second = Cp932ByteCount(ReplaceTextSymbols(t.str));
    return it->second;
  };
  DrawTextWith(canvas, s, p10, p11, t, color, fitBytes,
               [&](const TAcadPoint& anchor, int h, int w, double rot) {
                 if (t.mtflag) {
                   DrawLongMText(canvas, pass, origin, s, t, anchor, h, w, rot);
                 } else {
                   DrawLongText(canvas, pass, origin, s, t, anchor, h, w, rot);
                 }
               });
}

}  // namespace kestrel::render
