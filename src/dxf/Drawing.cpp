#include "dxf/Drawing.h"

namespace kestrel::dxf {

void ClearDrawing(Drawing& d) {
  d.BlkCircleAry.clear();
  d.BlkLineAry.clear();
  d.BlkArcAry.clear();
  d.BlkLwpAry.clear();
  d.BlkVerAry.clear();
  d.BlkTextAry.clear();
  d.BlockAry.clear();
  d.LayerAry.clear();
  d.CircleAry.clear();
  d.LineAry.clear();
  d.ArcAry.clear();
  d.LwpAry.clear();
  d.VerAry.clear();
  d.TextAry.clear();
  d.EntInsertAry.clear();
  d.NestInsertAry.clear();
  d.FaceAry.clear();
  d.EllipseAry.clear();
}

int16_t GetLayerColor(Drawing& d, std::string_view name) {
  for (const TLayer& layer : d.LayerAry) {
    if (layer.Name == name) return layer.color;
  }
  TLayer added;
  added.Name = std::string(name);
  d.LayerAry.push_back(std::move(added));
  return 7;
}

namespace {

// Layer "0", line type BYLAYER, colour BYLAYER: what most entities start with.
template <class T>
void CommonDefaults(T& r) {
  r.layer = "0";
  r.ltype = "BYLAYER";
  r.color = 256;
}

}  // namespace

void ReaderDefaults(TAcadLineBlk& r) {
  CommonDefaults(r);
  r.code210 = kDefaultExtrusion;
}
void ReaderDefaults(TCircleBlk& r) {
  CommonDefaults(r);
  r.code210 = kDefaultExtrusion;
}
void ReaderDefaults(TArcBlk& r) {
  CommonDefaults(r);
  r.code210 = kDefaultExtrusion;
}
void ReaderDefaults(TTextBlk& r) {
  r.layer.clear();
  r.color = 256;
  r.code41 = 1;
  r.code44 = 1;
  r.code210 = kDefaultExtrusion;
}
void ReaderDefaults(TInsertBlk& r) {
  CommonDefaults(r);
  r.scale = {1, 1, 1};
  r.code210 = kDefaultExtrusion;
}
void ReaderDefaults(TLwpBlk& r) {
  CommonDefaults(r);
  r.code210 = kDefaultExtrusion;
}
void ReaderDefaults(TEllipseBlk& r) {
  CommonDefaults(r);
  r.code210 = kDefaultExtrusion;
}
void ReaderDefaults(TFaceBlk& r) {
  CommonDefaults(r);
  r.count = 3;
}
void ReaderDefaults(TSolidBlk& r) {
  CommonDefaults(r);
}
void ReaderDefaults(TLeaderBlk& r) {
  CommonDefaults(r);
}
void ReaderDefaults(TSplineBlk& r) {
  CommonDefaults(r);
}
void ReaderDefaults(TDimensionBlk& r) {
  CommonDefaults(r);
}

}  // namespace kestrel::dxf
