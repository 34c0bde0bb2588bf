#include "dxf/PostProcess.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <new>
#include <optional>
#include <unordered_map>

#include "base/TextCodec.h"
#include "dxf/Blocks.h"
#include "dxf/Colors.h"
#include "dxf/Convert.h"
#include "dxf/DxfReader.h"
#include "dxf/Geometry.h"
#include "dxf/HeaderScan.h"

namespace kestrel::dxf {

namespace {

// The first layer of each name, found by hashing: the draw lists can hold millions of records
// and a drawing hundreds of layers.
class LayerLookup {
 public:
  explicit LayerLookup(const std::vector<TLayer>& layers) : layers_(layers) {
    for (size_t i = 0; i < layers.size(); ++i)
      first_.emplace(layers[i].Name, int(i));
  }

  int Index(std::string_view name) const {
    auto it = first_.find(name);
    return it == first_.end() ? -1 : it->second;
  }

  bool Visible(std::string_view name) const { return IsLayerVisible(layers_, Index(name)); }

  const TLayer* Find(std::string_view name) const {
    const int i = Index(name);
    return i < 0 ? nullptr : &layers_[size_t(i)];
  }

 private:
  const std::vector<TLayer>& layers_;
  std::unordered_map<std::string_view, int> first_;
};

bool StartsWithUpper(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiUpper(name[i]) != prefix[i]) return false;
  }
  return true;
}

bool IsByLayer(std::string_view ltype) {
  return ltype.empty() || ltype == "BYLAYER";
}

uint8_t PenStyleOf(const TLayer* layer, std::string_view ltype) {
  if (IsByLayer(ltype) && layer != nullptr) ltype = layer->ltype;
  return LineTypeToPenStyle(ltype);
}

bool IsFinite(const TBox& b) {
  return std::isfinite(b.lowerLeft.x) && std::isfinite(b.lowerLeft.y) &&
         std::isfinite(b.upperRight.x) && std::isfinite(b.upperRight.y);
}

// The box around the records of one list that count for the extents, widening `box`.
template <class Record, class BoxOf>
void Widen(const std::vector<Record>& list, const LayerLookup& layers, std::optional<TBox>& box,
           BoxOf&& boxOf) {
  for (const Record& r : list) {
    if (r.code60 != 0 || r.code67 != 0 || !layers.Visible(r.layer)) continue;
    const TBox b = boxOf(r);
    // One broken number would otherwise spoil the box of the whole drawing.
    if (!IsFinite(b)) continue;
    if (!box) {
      box = b;
      continue;
    }
    box->lowerLeft.x = std::min(box->lowerLeft.x, b.lowerLeft.x);
    box->lowerLeft.y = std::min(box->lowerLeft.y, b.lowerLeft.y);
    box->upperRight.x = std::max(box->upperRight.x, b.upperRight.x);
    box->upperRight.y = std::max(box->upperRight.y, b.upperRight.y);
  }
}

TBox BoxOfPoints(const TAcadPoint& p, const TAcadPoint& q) {
  return {{std::min(p.x, q.x), std::min(p.y, q.y), 0}, {std::max(p.x, q.x), std::max(p.y, q.y), 0}};
}

// Releases the records and their memory: a converted list is not read again.
template <class T>
void Empty(std::vector<T>& list) {
  std::vector<T>().swap(list);
}

// Every list but the layers, whose names the drawing's records use.
void EmptyAllLists(Drawing& d) {
  Empty(d.BlockAry);
  Empty(d.BlkLineAry);
  Empty(d.BlkCircleAry);
  Empty(d.BlkArcAry);
  Empty(d.BlkTextAry);
  Empty(d.BlkSolidAry);
  Empty(d.BlkLwpAry);
  Empty(d.BlkVerAry);
  Empty(d.LineAry);
  Empty(d.CircleAry);
  Empty(d.ArcAry);
  Empty(d.TextAry);
  Empty(d.EntInsertAry);
  Empty(d.NestInsertAry);
  Empty(d.LwpAry);
  Empty(d.VerAry);
  Empty(d.EllipseAry);
  Empty(d.FaceAry);
  Empty(d.SolidAry);
  Empty(d.LeaderAry);
  Empty(d.SplineAry);
  Empty(d.DimensionAry);
  d.DrawingExtents = {};
}

constexpr double kStepDegrees = 10;

}  // namespace

uint8_t LineTypeToPenStyle(std::string_view name) {
  struct Rule {
    std::string_view prefix;
    uint8_t style;
  };
  // First match wins: "DASHED" is dotted, "DASHDOT" dash-dot.
  static constexpr Rule kRules[] = {
      {"CON", 0},   {"HID", 2}, {"DASHE", 2}, {"CEN", 3}, {"BOR", 3},
      {"DASHD", 3}, {"DEV", 4}, {"PHA", 4},   {"DOT", 2},
  };
  for (const Rule& rule : kRules) {
    if (StartsWithUpper(name, rule.prefix)) return rule.style;
  }
  return 0;
}

uint8_t EntityPenStyle(const std::vector<TLayer>& layers, std::string_view ltype,
                       std::string_view layer) {
  const int i = GetLayerIndex(layers, layer);
  return PenStyleOf(i < 0 ? nullptr : &layers[size_t(i)], ltype);
}

void ComputeExtents(Drawing& d) {
  const LayerLookup layers(d.LayerAry);
  std::optional<TBox> box;
  Widen(d.LineAry, layers, box, [](const TAcadLineBlk& l) { return BoxOfPoints(l.st, l.ed); });
  // A circle's box is that of a full turn, which holds far circles within the doubles.
  Widen(d.CircleAry, layers, box,
        [](const TCircleBlk& c) { return ArcBox(c.center, c.hankei, 0, kTwoPi); });
  Widen(d.ArcAry, layers, box, [](const TArcBlk& a) {
    return ArcBox(a.center, a.hankei, a.st * kDegToRad, a.ed * kDegToRad);
  });
  // Texts count only in a drawing of nothing but texts: their boxes are rough guesses.
  TextSizes sizes;
  if (!box) Widen(d.TextAry, layers, box, [&](const TTextBlk& t) { return TextBox(t, sizes); });
  d.DrawingExtents = box.value_or(TBox{});
}

void ResolvePens(Drawing& d) {
  const LayerLookup layers(d.LayerAry);
  const auto resolve = [&](auto& r) {
    r.PenColor = AciToColor(std::abs(int(r.color)));
    const int index = layers.Index(r.layer);
    // An index the field cannot hold counts as not found, which draws the record.
    r.layindex = index <= INT16_MAX ? int16_t(index) : int16_t(-1);
    if constexpr (requires { r.PenStyle; }) {
      r.PenStyle = PenStyleOf(index < 0 ? nullptr : &d.LayerAry[size_t(index)], r.ltype);
    }
  };
  for (TAcadLineBlk& r : d.LineAry)
    resolve(r);
  for (TArcBlk& r : d.ArcAry)
    resolve(r);
  for (TCircleBlk& r : d.CircleAry)
    resolve(r);
  for (TTextBlk& r : d.TextAry)
    resolve(r);
}

bool PostProcessDrawing(Drawing& d, size_t byteBudget) {
  ByteBudget budget(byteBudget);
  try {
    budget.Take(GrowingListBytes(d));
    if (!d.BlkLwpAry.empty()) {
      ConvertBlockPolylines(d, budget);
      Empty(d.BlkLwpAry);
      Empty(d.BlkVerAry);
    }
    if (!d.LwpAry.empty()) {
      ConvertPolylines(d, budget);
      Empty(d.LwpAry);
      Empty(d.VerAry);
    }
    if (!d.EllipseAry.empty()) {
      ConvertEllipses(d, kStepDegrees, budget);
      Empty(d.EllipseAry);
    }
    if (!d.ArcAry.empty()) ConvertTiltedArcs(d, kStepDegrees, budget);
    if (!d.CircleAry.empty()) ConvertTiltedCircles(d, kStepDegrees, budget);
    LinesToWorld(d);
    TextsToWorld(d);
    if (!d.EntInsertAry.empty()) ExpandInserts(d, kMaxExpandedRecords, budget);
    if (!d.BlockAry.empty()) {
      // A drawing whose nested blocks cannot all be expanded still shows the rest; one that
      // does not fit its memory does not.
      try {
        ExpandBlocks(d, kMaxExpandedRecords, budget);
      } catch (const BudgetExceeded&) {
        throw;
      } catch (const std::bad_alloc&) {
        throw;
      } catch (const std::exception&) {
      }
      Empty(d.BlockAry);
    }
    Empty(d.EntInsertAry);
    Empty(d.NestInsertAry);
    if (!d.FaceAry.empty()) {
      ConvertFaces(d, budget);
      Empty(d.FaceAry);
    }
    if (!d.LeaderAry.empty()) {
      ConvertLeaders(d, budget);
      Empty(d.LeaderAry);
    }
    if (!d.SolidAry.empty()) {
      ConvertSolids(d, budget);
      Empty(d.SolidAry);
    }
    if (!d.SplineAry.empty()) {
      ConvertSplines(d, budget);
      Empty(d.SplineAry);
    }
    ComputeExtents(d);
    ResolvePens(d);
    return true;
  } catch (const std::exception&) {
    // Nothing will be drawn: the memory goes back at once, for the picture that says so.
    EmptyAllLists(d);
    return false;
  }
}

PreparedDxf PrepareDxfDrawing(Drawing& drawing, const std::filesystem::path& path,
                              const ProgressSink& progress, const MessageSink& messages) {
  PreparedDxf result;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.error = "not a file";
    return result;
  }
  if (AsciiUpper(path.extension().string()) != ".DXF") {
    result.error = "not a .DXF file";
    return result;
  }
  // A DWG file named .dxf, or a binary DXF (its sentinel begins with "AutoCAD").
  const FileSignature signature = ReadFileSignature(path);
  if (signature.success && (signature.text.find("Auto") != std::string::npos ||
                            (signature.text.size() == 6 && signature.text.starts_with("AC1")))) {
    result.error = "not an ASCII DXF file";
    return result;
  }
  const DxfVersion version = ScanDxfVersion(path);
  if (!version.success) {
    result.error = "header cannot be read";
    return result;
  }
  result.version = version.version;
  result.read = true;
  result.error = ReadDxfFile(drawing, path, DxfTextEncoding(version), progress, messages);
  if (!result.error.empty()) return result;
  if (!PostProcessDrawing(drawing, PostProcessBudget(std::filesystem::file_size(path, ec))))
    result.error = "post-processing failed";
  return result;
}

}  // namespace kestrel::dxf
