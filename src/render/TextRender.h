// Texts of the drawing (TEXT, ATTRIB, MTEXT) drawn as raster text in a rotated font made for
// each text; the drawing's own text styles are not used.
#pragma once

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

}  // namespace kestrel::render
