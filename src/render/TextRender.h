// Texts of the drawing (TEXT, ATTRIB, MTEXT) drawn as raster text in a rotated font made for
// each text; the drawing's own text styles are not used.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "dxf/Drawing.h"
#include "render/Canvas.h"

namespace kestrel::render {

// %%c, %%d, %%p (either case) and %%% as the diameter, degree, plus-minus and percent signs.
std::string ReplaceTextSymbols(std::string_view text);

// One MTEXT line without its inline formatting codes (fonts, heights, stacking, braces).
std::string StripMTextCodes(std::string_view line);

// Bytes of the text in code page 932: a Japanese character counts 2, ASCII and half-width
// katakana 1, a character the code page lacks 1 (its replacement).
int Cp932ByteCount(std::string_view utf8);

// Draws `text` for the record `t`: `p10` and `p11` are its alignment points made relative to
// the view centre; justification, height, width, rotation, spacing and the MTEXT direction
// come from the record. `s` is world units per pixel.
void DrawText(Canvas& canvas, ScreenPoint origin, double s, std::string_view text,
              const dxf::TAcadPoint& p10, const dxf::TAcadPoint& p11, const dxf::TTextBlk& t,
              Color color);

// What the texts of one redraw share: the canvas size, which bounds what of a long text can
// show, and what is worked out of long texts (their MTEXT lines, the widths of their pieces),
// kept per string: the copies of a block's text share one string, so that is done once for all
// of them. The drawing's strings must stay as they are while a pass is in use.
class TextPass {
 public:
  TextPass(int width, int height);
  ~TextPass();
  TextPass(const TextPass&) = delete;
  TextPass& operator=(const TextPass&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  struct Cache;
  Cache& cache() { return *cache_; }

 private:
  int width_;
  int height_;
  std::unique_ptr<Cache> cache_;
};

// Draws the record's text as DrawText draws ReplaceTextSymbols(t.str). A text of more than 4 KB
// costs what its part on the canvas needs: nothing when its line or lines pass beside the
// canvas; a line's symbols are replaced, and it is converted and measured, piece by piece as
// far as that part reaches (the whole width once per redraw and string, when its justification
// needs it); an MTEXT is split into lines once per redraw and string, and only the lines that
// reach the canvas are stripped, measured and drawn.
void DrawRecordText(Canvas& canvas, ScreenPoint origin, double s, const dxf::TTextBlk& t,
                    const dxf::TAcadPoint& p10, const dxf::TAcadPoint& p11, Color color,
                    TextPass& pass);

}  // namespace kestrel::render
