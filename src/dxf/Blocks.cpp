#include "dxf/Blocks.h"

#include <cmath>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "dxf/Geometry.h"

namespace kestrel::dxf {

namespace {

// The block transform with its rotation worked out once per INSERT; the arithmetic is
// RotatePointCW's, so the points are the same to the last bit.
class Transform {
 public:
  Transform(const TInsertBlk& insert, const TAcadPoint& blockBase)
      : blockBase_(blockBase), scale_(insert.scale), insertBase_(insert.base) {
    const double a = -insert.rotate * kDegToRad;
    cos_ = std::cos(a);
    sin_ = std::sin(a);
  }

  TAcadPoint operator()(const TAcadPoint& p) const {
    const TAcadPoint q = MulPoint(SubPoint(p, blockBase_), scale_);
    return AddPoint({q.x * cos_ + q.y * sin_, -q.x * sin_ + q.y * cos_, q.z}, insertBase_);
  }

 private:
  TAcadPoint blockBase_;
  TAcadPoint scale_;
  TAcadPoint insertBase_;
  double cos_ = 1;
  double sin_ = 0;
};

double Wrap360(double a) {
  a = std::fmod(a, 360.0);
  if (a < 0) a += 360;
  if (a >= 360) a -= 360;  // a tiny negative angle lands on 360 after the addition
  return a;
}

// A mirrored block must mirror its arcs too, and a copy still runs counter-clockwise: a
// negative x scale reflects the angles about 90 degrees, a negative y scale about 0, and both
// together make a half turn.
void MirrorArc(TArcBlk& arc, const TAcadPoint& scale) {
  const bool mirrorX = scale.x < 0;
  const bool mirrorY = scale.y < 0;
  if (!mirrorX && !mirrorY) return;
  double st = 0;
  double ed = 0;
  if (mirrorX && mirrorY) {
    st = arc.st + 180;
    ed = arc.ed + 180;
  } else if (mirrorX) {
    st = 180 - arc.ed;
    ed = 180 - arc.st;
  } else {
    st = -arc.ed;
    ed = -arc.st;
  }
  arc.st = Wrap360(st);
  arc.ed = Wrap360(ed);
}

bool TakesOwnerLayer(std::string_view layer, int16_t color) {
  return layer == "0" || color == 0;
}

// `GetLayerColor` of one layer, asked at most once: the first call may append the layer, every
// later one would return the same colour.
class LazyLayerColor {
 public:
  LazyLayerColor(Drawing& d, std::string_view layer) : d_(d), layer_(layer) {}
  int16_t operator()() {
    if (!known_) {
      color_ = GetLayerColor(d_, layer_);
      known_ = true;
    }
    return color_;
  }

 private:
  Drawing& d_;
  std::string_view layer_;
  int16_t color_ = 0;
  bool known_ = false;
};

// Where the records of each block name sit in the block lists, built once, so that expansion
// costs grow with what it produces rather than with INSERTs times block records.
struct Members {
  std::vector<uint32_t> lines;
  std::vector<uint32_t> circles;
  std::vector<uint32_t> arcs;
  std::vector<uint32_t> texts;
  std::vector<uint32_t> solids;
};

template <class Record>
void IndexByBlock(const std::vector<Record>& list, std::vector<uint32_t> Members::*field,
                  std::unordered_map<std::string_view, Members>& members) {
  for (size_t i = 0; i < list.size(); ++i)
    (members[list[i].bname].*field).push_back(uint32_t(i));
}

class Expander {
 public:
  Expander(Drawing& d, size_t maxRecords, ByteBudget& budget)
      : d_(d), maxRecords_(maxRecords), budget_(budget) {
    for (size_t i = 0; i < d.BlockAry.size(); ++i)
      firstBlock_.emplace(d.BlockAry[i].name, i);
    IndexByBlock(d.BlkLineAry, &Members::lines, members_);
    IndexByBlock(d.BlkCircleAry, &Members::circles, members_);
    IndexByBlock(d.BlkArcAry, &Members::arcs, members_);
    IndexByBlock(d.BlkTextAry, &Members::texts, members_);
    IndexByBlock(d.BlkSolidAry, &Members::solids, members_);
    for (const TDimensionBlk& dim : d.DimensionAry)
      dimensionBlocks_.insert(dim.dimblkName);
  }

  bool IsDimensionBlock(std::string_view name) const { return dimensionBlocks_.contains(name); }

  // Throws before the draw lists and NestInsertAry would hold more than the limit.
  void CheckRoom(size_t more) const {
    const size_t now = d_.LineAry.size() + d_.CircleAry.size() + d_.ArcAry.size() +
                       d_.TextAry.size() + d_.NestInsertAry.size();
    if (now > maxRecords_ || more > maxRecords_ - now) throw ExpansionTooLarge();
  }

  // Sizes the draw lists once for the copies of those `inserts` that `copies` accepts, so that
  // millions of copied records are not moved again each time a list grows.
  template <class Accept>
  void ReserveFor(const std::vector<TInsertBlk>& inserts, Accept&& copies) {
    size_t lines = 0, circles = 0, arcs = 0, texts = 0;
    for (const TInsertBlk& insert : inserts) {
      if (!copies(insert) || !firstBlock_.contains(insert.name)) continue;
      const Members* m = MembersOf(insert.name);
      if (m == nullptr) continue;
      lines += m->lines.size();
      circles += m->circles.size();
      arcs += m->arcs.size();
      texts += m->texts.size();
      if (lines + circles + arcs + texts > maxRecords_) break;  // copying stops there anyway
    }
    ReserveRecords(d_.LineAry, lines, budget_);
    ReserveRecords(d_.CircleAry, circles, budget_);
    ReserveRecords(d_.ArcAry, arcs, budget_);
    ReserveRecords(d_.TextAry, texts, budget_);
  }

  void CopyBlock(const TInsertBlk& insert);
  void CopyDimensionPicture(const TBlockBlk& block);

 private:
  const Members* MembersOf(std::string_view name) const {
    auto it = members_.find(name);
    return it == members_.end() ? nullptr : &it->second;
  }

  Drawing& d_;
  size_t maxRecords_;
  ByteBudget& budget_;
  std::unordered_map<std::string_view, size_t> firstBlock_;
  std::unordered_map<std::string_view, Members> members_;
  std::unordered_set<std::string_view> dimensionBlocks_;
};

void Expander::CopyBlock(const TInsertBlk& insert) {
  auto block = firstBlock_.find(insert.name);
  if (block == firstBlock_.end()) return;
  const Members* m = MembersOf(insert.name);
  if (m == nullptr) return;
  CheckRoom(m->lines.size() + m->circles.size() + m->arcs.size() + m->texts.size());

  const Transform transform(insert, d_.BlockAry[block->second].base);
  const double radiusScale = std::fabs(insert.scale.x);
  LazyLayerColor insertColor(d_, insert.layer);
  const auto place = [&](auto& copy) {
    copy.code67 = insert.code67;
    copy.code210 = insert.code210;
    if (TakesOwnerLayer(copy.layer, copy.color)) {
      copy.layer = insert.layer;
      copy.color = insertColor();
      if constexpr (requires { copy.ltype; }) copy.ltype = insert.ltype;
    }
  };

  for (uint32_t i : m->lines) {
    TAcadLineBlk copy = d_.BlkLineAry[i];
    copy.st = transform(copy.st);
    copy.ed = transform(copy.ed);
    place(copy);
    AppendRecord(d_.LineAry, std::move(copy), budget_);
  }
  for (uint32_t i : m->circles) {
    TCircleBlk copy = d_.BlkCircleAry[i];
    copy.center = transform(copy.center);
    copy.hankei *= radiusScale;
    place(copy);
    AppendRecord(d_.CircleAry, std::move(copy), budget_);
  }
  for (uint32_t i : m->arcs) {
    TArcBlk copy = d_.BlkArcAry[i];
    copy.center = transform(copy.center);
    copy.hankei *= radiusScale;
    MirrorArc(copy, insert.scale);
    copy.st += insert.rotate;
    copy.ed += insert.rotate;
    place(copy);
    AppendRecord(d_.ArcAry, std::move(copy), budget_);
  }
  for (uint32_t i : m->texts) {
    TTextBlk copy = d_.BlkTextAry[i];
    copy.pt10 = transform(copy.pt10);
    if (!copy.mtflag) copy.pt11 = transform(copy.pt11);  // an MTEXT's pt11 is a direction
    copy.code40 *= radiusScale;
    place(copy);
    AppendRecord(d_.TextAry, std::move(copy), budget_);
  }
}

// A dimension's picture is stored in its block at drawing positions: copied as it stands.
void Expander::CopyDimensionPicture(const TBlockBlk& block) {
  if (!IsDimensionBlock(block.name)) return;
  const Members* m = MembersOf(block.name);
  if (m == nullptr) return;
  CheckRoom(m->lines.size() + m->arcs.size() + m->texts.size() + 3 * m->solids.size());
  for (uint32_t i : m->lines)
    AppendRecord(d_.LineAry, TAcadLineBlk(d_.BlkLineAry[i]), budget_);
  for (uint32_t i : m->arcs)
    AppendRecord(d_.ArcAry, TArcBlk(d_.BlkArcAry[i]), budget_);
  for (uint32_t i : m->texts)
    AppendRecord(d_.TextAry, TTextBlk(d_.BlkTextAry[i]), budget_);
  for (uint32_t i : m->solids) {
    const TSolidBlk& solid = d_.BlkSolidAry[i];
    const TAcadPoint* corners[] = {&solid.p1, &solid.p2, &solid.p3};
    for (int k = 0; k < 3; ++k) {
      TAcadLineBlk line;
      line.bname = solid.bname;
      line.layer = solid.layer;
      line.color = solid.color;
      line.ltype = solid.ltype;
      line.st = *corners[k];
      line.ed = *corners[(k + 1) % 3];
      AppendRecord(d_.LineAry, std::move(line), budget_);
    }
  }
}

void ExpandNested(Drawing& d, Expander& expander) {
  const auto copies = [&](const TInsertBlk& nested) {
    if (nested.code60 != 0) return false;
    return !nested.dimBlkName.starts_with('*') || d.DimensionAry.empty() ||
           expander.IsDimensionBlock(nested.dimBlkName);
  };
  expander.ReserveFor(d.NestInsertAry, copies);
  for (const TInsertBlk& nested : d.NestInsertAry) {
    if (copies(nested)) expander.CopyBlock(nested);
  }
}

// The INSERTs nested in `block`, placed by the model-space INSERT `insert`.
void GatherPlacedNested(Drawing& d, const TBlockBlk& block, const TInsertBlk& insert,
                        ByteBudget& budget) {
  const Transform transform(insert, block.base);
  LazyLayerColor insertColor(d, insert.layer);
  for (const TInsertBlk& inner : block.InsertAry) {
    TInsertBlk placed = inner;
    placed.base = transform(inner.base);
    placed.rotate = inner.rotate + insert.rotate;
    placed.scale = MulPoint(inner.scale, insert.scale);
    placed.code67 = insert.code67;
    placed.code210 = insert.code210;
    if (TakesOwnerLayer(inner.layer, inner.color)) {
      placed.ltype = insert.ltype;
      placed.layer = insert.layer;
      placed.color = insertColor();
    }
    AppendRecord(d.NestInsertAry, std::move(placed), budget);
  }
}

// The INSERTs nested in `block` as they stand, on the block's layer where they take it.
void GatherUnplacedNested(Drawing& d, const TBlockBlk& block, ByteBudget& budget) {
  LazyLayerColor blockColor(d, block.layer);
  for (const TInsertBlk& inner : block.InsertAry) {
    TInsertBlk copy = inner;
    if (TakesOwnerLayer(inner.layer, inner.color)) {
      copy.ltype = block.ltype;
      copy.layer = block.layer;
      copy.color = blockColor();
    }
    AppendRecord(d.NestInsertAry, std::move(copy), budget);
  }
}

}  // namespace

TAcadPoint BlockTransform(const TInsertBlk& insert, const TAcadPoint& blockBase,
                          const TAcadPoint& p) {
  return Transform(insert, blockBase)(p);
}

void ExpandInserts(Drawing& d, size_t maxRecords, ByteBudget& budget) {
  Expander expander(d, maxRecords, budget);
  const auto copies = [](const TInsertBlk& insert) { return insert.code60 == 0; };
  expander.ReserveFor(d.EntInsertAry, copies);
  for (const TInsertBlk& insert : d.EntInsertAry) {
    if (copies(insert)) expander.CopyBlock(insert);
  }
}

void ExpandBlocks(Drawing& d, size_t maxRecords, ByteBudget& budget) {
  Expander expander(d, maxRecords, budget);
  std::unordered_map<std::string_view, std::vector<size_t>> modelInserts;
  for (size_t i = 0; i < d.EntInsertAry.size(); ++i) {
    modelInserts[d.EntInsertAry[i].name].push_back(i);
  }

  // Once one block with nested INSERTs has been found referenced, the nested INSERTs of
  // unreferenced ordinary blocks are no longer gathered; the flag is never cleared.
  bool referenced = false;
  for (const TBlockBlk& block : d.BlockAry) {
    expander.CopyDimensionPicture(block);
    if (block.InsertAry.empty()) continue;
    if (auto it = modelInserts.find(block.name); it != modelInserts.end()) {
      for (size_t i : it->second) {
        const TInsertBlk& insert = d.EntInsertAry[i];
        // An invisible INSERT draws nothing, its nested INSERTs included.
        if (insert.code60 != 0) continue;
        referenced = true;
        expander.CheckRoom(block.InsertAry.size());
        GatherPlacedNested(d, block, insert, budget);
      }
    }
    if (block.name.starts_with('*') || !referenced) {
      expander.CheckRoom(block.InsertAry.size());
      GatherUnplacedNested(d, block, budget);
    }
  }
  ExpandNested(d, expander);
}

void ExpandNestedInserts(Drawing& d, size_t maxRecords, ByteBudget& budget) {
  Expander expander(d, maxRecords, budget);
  ExpandNested(d, expander);
}

}  // namespace kestrel::dxf
