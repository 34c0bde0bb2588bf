// The drawing model: one DXF drawing held as flat lists of plain records, one list for each
// kind of entity and each place it was found (inside a block definition or in model space).
//
// A value-initialised record (`TAcadLineBlk{}`) has every field empty, zero or false: that is the
// fresh record post-processing appends. The reader starts its records from `ReaderDefaults`
// instead, which sets the values a record has before its own groups arrive.
//
// Colours are AutoCAD Color Index numbers (256 BYLAYER, 0 BYBLOCK, negative on a layer: off);
// `PenColor` is 0x00BBGGRR; `PenStyle` is a GDI pen style number (0 solid, 2 dot, 3 dash-dot,
// 4 dash-dot-dot). Texts are UTF-8; text fields are SharedStrings, so that the copies block
// expansion makes share their block's names and texts. Angles of records are degrees (ellipse
// parameters: radians).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/SharedString.h"

namespace kestrel::dxf {

struct TAcadPoint {
  double x = 0;
  double y = 0;
  double z = 0;
  friend bool operator==(const TAcadPoint&, const TAcadPoint&) = default;
};

// The extrusion direction of an entity that gives none.
inline constexpr TAcadPoint kDefaultExtrusion{0, 0, 1};

struct TLayer {
  SharedString Name;                  // 2
  int16_t color = 7;                  // 62; negative when the layer is off
  SharedString ltype = "CONTINUOUS";  // 6, upper-cased
  bool visible = true;                // false when frozen (70 bit 1) or colour negative
};

struct TInsertBlk {
  SharedString name;   // 2: the inserted block
  SharedString layer;  // 8
  SharedString ltype;  // 6, upper-cased
  TAcadPoint base;     // 10/20/30
  TAcadPoint scale;    // 41/42/43
  int16_t color = 0;   // 62
  double rotate = 0;   // 50, degrees
  int16_t code67 = 0;
  TAcadPoint code210;
  SharedString dimBlkName;  // block definition being read when the INSERT was met
  int16_t code60 = 0;
};

struct TBlockBlk {
  SharedString name;                  // 2
  SharedString layer;                 // 8
  SharedString ltype;                 // 6, upper-cased
  TAcadPoint base;                    // 10/20/30
  std::vector<TInsertBlk> InsertAry;  // INSERTs inside this definition, in file order
};

struct TAcadLineBlk {
  SharedString bname;  // containing block; empty in model space
  SharedString layer;  // 8
  SharedString ltype;  // 6
  int16_t color = 0;   // 62
  TAcadPoint st;       // 10/20/30
  TAcadPoint ed;       // 11/21/31
  uint32_t PenColor = 0;
  uint8_t PenStyle = 0;
  int16_t code67 = 0;
  TAcadPoint code210;
  int16_t layindex = 0;
  int16_t code60 = 0;
};

struct TCircleBlk {
  SharedString bname;
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  TAcadPoint center;  // 10/20/30
  double hankei = 0;  // 40, radius
  uint32_t PenColor = 0;
  uint8_t PenStyle = 0;
  int16_t code67 = 0;
  TAcadPoint code210;
  int16_t layindex = 0;
  int16_t code60 = 0;
};

// Runs counter-clockwise from `st` to `ed`.
struct TArcBlk {
  SharedString bname;
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  TAcadPoint center;  // 10/20/30
  double hankei = 0;  // 40
  double st = 0;      // 50, degrees
  double ed = 0;      // 51, degrees
  uint32_t PenColor = 0;
  uint8_t PenStyle = 0;
  int16_t code67 = 0;
  TAcadPoint code210;
  int16_t layindex = 0;
  int16_t code60 = 0;
};

// One TEXT, ATTRIB or MTEXT.
struct TTextBlk {
  SharedString bname;
  SharedString layer;  // 8
  int16_t color = 0;   // 62
  TAcadPoint pt10;     // first alignment point
  TAcadPoint pt11;     // TEXT: second alignment point; MTEXT: X-axis direction
  double code40 = 0;   // height
  double code41 = 0;   // TEXT: width factor; MTEXT: reference rectangle width
  double code44 = 0;   // MTEXT line spacing factor
  double code50 = 0;   // rotation, degrees
  int16_t code72 = 0;  // TEXT horizontal justification; MTEXT drawing direction
  int16_t code73 = 0;  // vertical justification (ATTRIB: group 74)
  int16_t code70 = 0;  // ATTRIB: bit 1 invisible
  int16_t code71 = 0;  // TEXT generation flags; MTEXT attachment point
  SharedString str;    // groups 1 and 3 in file order, "\U+XXXX" decoded
  bool mtflag = false;
  bool atflag = false;
  uint32_t PenColor = 0;
  int16_t code67 = 0;
  TAcadPoint code210;
  int16_t layindex = 0;
  int16_t code60 = 0;
};

// Header of one LWPOLYLINE or POLYLINE; its vertices carry the same `ihand`.
struct TLwpBlk {
  SharedString bname;
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  int32_t ihand = 0;  // index of this record in its own list
  double code38 = 0;  // elevation
  int16_t code67 = 0;
  int16_t code70 = 0;  // 1 closed, 16 polygon mesh, 64 polyface mesh
  int16_t code71 = 0;  // mesh M
  int16_t code72 = 0;  // mesh N
  TAcadPoint code210;
  int16_t code60 = 0;
};

struct TLwpVer {
  int32_t ihand = 0;  // `ihand` of the owning TLwpBlk
  TAcadPoint code10;
  double code42 = 0;  // bulge of the segment that starts here
};

struct TEllipseBlk {
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  TAcadPoint center;    // 10/20/30
  TAcadPoint endpoint;  // 11/21/31, end of the major axis relative to the centre
  double henpei = 0;    // 40, minor/major ratio
  double kaisi = 0;     // 41, start parameter, radians
  double owari = 0;     // 42, end parameter, radians
  TAcadPoint code210;
  int16_t code60 = 0;
};

struct TFaceBlk {
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  std::array<TAcadPoint, 4> pt;  // 10..13
  int16_t code67 = 0;
  int16_t count = 0;  // 3, or 4 once a fourth corner is read
  int16_t code60 = 0;
};

struct TSolidBlk {
  SharedString bname;
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  TAcadPoint p1;  // 10
  TAcadPoint p2;  // 11
  TAcadPoint p3;  // 12
  int16_t code60 = 0;
};

struct TLeaderBlk {
  SharedString bname;
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  double code41 = 0;   // annotation width
  int16_t code76 = 0;  // number of vertices
  TAcadPoint p1;       // the first three vertices
  TAcadPoint p2;
  TAcadPoint p3;
  int16_t code60 = 0;
};

struct TSplineBlk {
  SharedString bname;
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  int16_t code70 = 0;                 // bit 8 planar
  std::vector<TAcadPoint> code10Ary;  // control points in file order
  int16_t code60 = 0;
};

struct TDimensionBlk {
  SharedString layer;
  SharedString ltype;
  int16_t color = 0;
  SharedString dimblkName;  // 2: the anonymous block holding the dimension's picture
};

// Lower-left and upper-right corner of a box in the XY plane.
struct TBox {
  TAcadPoint lowerLeft;
  TAcadPoint upperRight;
  friend bool operator==(const TBox&, const TBox&) = default;
};

// The one current drawing. The reader replaces it; post-processing turns what the renderer
// does not draw itself into LineAry, CircleAry, ArcAry and TextAry.
struct Drawing {
  std::vector<TLayer> LayerAry;
  std::vector<TBlockBlk> BlockAry;
  std::vector<TAcadLineBlk> BlkLineAry;
  std::vector<TCircleBlk> BlkCircleAry;
  std::vector<TArcBlk> BlkArcAry;
  std::vector<TTextBlk> BlkTextAry;
  std::vector<TSolidBlk> BlkSolidAry;
  std::vector<TLwpBlk> BlkLwpAry;
  std::vector<TLwpVer> BlkVerAry;
  std::vector<TAcadLineBlk> LineAry;
  std::vector<TCircleBlk> CircleAry;
  std::vector<TArcBlk> ArcAry;
  std::vector<TTextBlk> TextAry;
  std::vector<TInsertBlk> EntInsertAry;
  std::vector<TInsertBlk> NestInsertAry;
  std::vector<TLwpBlk> LwpAry;
  std::vector<TLwpVer> VerAry;
  std::vector<TEllipseBlk> EllipseAry;
  std::vector<TFaceBlk> FaceAry;
  std::vector<TSolidBlk> SolidAry;
  std::vector<TLeaderBlk> LeaderAry;
  std::vector<TSplineBlk> SplineAry;
  std::vector<TDimensionBlk> DimensionAry;
  TBox DrawingExtents;  // all zero when nothing visible was found
};

// Empties the lists a new selection discards; DimensionAry, BlkSolidAry, SolidAry, LeaderAry
// and SplineAry stay until the next read replaces them.
void ClearDrawing(Drawing& drawing);

// The colour of the first layer named exactly `name`; a missing layer is appended with the
// defaults (colour 7), so every layer an entity uses ends up in LayerAry.
int16_t GetLayerColor(Drawing& drawing, std::string_view name);

// The values the reader gives a record before the record's own groups arrive.
void ReaderDefaults(TAcadLineBlk& r);
void ReaderDefaults(TCircleBlk& r);
void ReaderDefaults(TArcBlk& r);
void ReaderDefaults(TTextBlk& r);
void ReaderDefaults(TInsertBlk& r);
void ReaderDefaults(TLwpBlk& r);
void ReaderDefaults(TEllipseBlk& r);
void ReaderDefaults(TFaceBlk& r);
void ReaderDefaults(TSolidBlk& r);
void ReaderDefaults(TLeaderBlk& r);
void ReaderDefaults(TSplineBlk& r);
void ReaderDefaults(TDimensionBlk& r);

}  // namespace kestrel::dxf
