// The DXF reader. The file is walked once as (code, value) line pairs held as string_views
// into a read buffer; numbers are parsed with from_chars (period only, no locale) and only
// for the groups a record takes. One table per record kind maps group codes to fields.
#include "dxf/DxfReader.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>

#include "dxf/DxfFieldTables.h"
#include "dxf/DxfLines.h"
#include "dxf/DxfNumbers.h"
#include "dxf/DxfText.h"
#include "dxf/RecordStore.h"

namespace kestrel::dxf {

namespace {

enum class Kind : uint8_t {
  None,
  Line,
  Circle,
  Arc,
  LwPolyline,
  Polyline,
  Text,
  Attrib,
  MText,
  Insert,
  Face,
  Ellipse,
  Solid,
  Leader,
  Spline,
  Dimension,
};

Kind KindOf(std::string_view v) {
  if (v.empty()) return Kind::None;
  switch (v[0]) {
    case 'L':
      if (v == "LINE") return Kind::Line;
      if (v == "LWPOLYLINE") return Kind::LwPolyline;
      if (v == "LEADER") return Kind::Leader;
      break;
    case 'C':
      if (v == "CIRCLE") return Kind::Circle;
      break;
    case 'A':
      if (v == "ARC") return Kind::Arc;
      if (v == "ATTRIB") return Kind::Attrib;
      break;
    case 'P':
      if (v == "POLYLINE") return Kind::Polyline;
      break;
    case 'T':
      if (v == "TEXT") return Kind::Text;
      break;
    case 'M':
      if (v == "MTEXT") return Kind::MText;
      break;
    case 'I':
      if (v == "INSERT") return Kind::Insert;
      break;
    case '3':
      if (v == "3DFACE") return Kind::Face;
      break;
    case 'E':
      if (v == "ELLIPSE") return Kind::Ellipse;
      break;
    case 'S':
      if (v == "SOLID") return Kind::Solid;
      if (v == "SPLINE") return Kind::Spline;
      break;
    case 'D':
      if (v == "DIMENSION") return Kind::Dimension;
      break;
    default:
      break;
  }
  return Kind::None;
}

// Kinds that are read only in model space; inside a block definition they are skipped.
bool ModelSpaceOnly(Kind k) {
  return k == Kind::Face || k == Kind::Ellipse || k == Kind::Leader || k == Kind::Spline ||
         k == Kind::Dimension;
}

using namespace fields;

// Lets the layer index be searched by a view of a record's name.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
};

class Reader {
 public:
  Reader(Drawing& d, TextEncoding encoding, ReadShare share = {})
      : d_(d), encoding_(encoding), share_(std::move(share)) {}

  // Handles one pair; false when a value that must be a number is not one.
  bool Handle(int code, std::string_view value);
  void Finish();

 private:
  // Valid UTF-8, and ASCII in the ANSI code page, is taken as it stands.
  SharedString Decode(std::string_view bytes) const {
    if (encoding_ == TextEncoding::Utf8 ? IsValidUtf8(bytes) : IsAscii(bytes)) return bytes;
    return encoding_ == TextEncoding::Utf8 ? Utf8Lenient(bytes) : AnsiToUtf8(bytes);
  }

  bool HandleLayerTable(int code, std::string_view value);
  bool HandleBlockHeader(int code, std::string_view value);
  bool HandleOpenEntity(int code, std::string_view value);
  bool HandleVertexRun(int code, std::string_view value);
  void StartEntity(Kind kind, bool inBlock);
  void EndEntity();

  template <class R>
  bool ApplyField(R& r, const FieldTable<R>& table, int code, std::string_view value);
  template <class R>
  void ResolveColor(R& r, bool inBlock);
  int16_t LayerColor(std::string_view name);
  void ForgetLayers();

  template <class R>
  RecordStore<R>& List(bool inBlock);
  template <class R>
  R& Open() {
    return List<R>(openInBlock_).back();
  }

  Drawing& d_;
  TextEncoding encoding_;
  ReadShare share_;  // before the lists, which size themselves by it

  bool tableFlag_ = false;
  bool inLayerTable_ = false;
  bool layerOpen_ = false;
  bool inBlocks_ = false;
  bool blockHeaderOpen_ = false;
  bool inBlockBody_ = false;
  bool inEntities_ = false;
  SharedString blockName_;  // shared by the records of the block

  Kind open_ = Kind::None;
  bool openInBlock_ = false;
  bool lwpResolved_ = false;  // LWPOLYLINE: its colour was resolved at its first vertex
  int leaderVertex_ = 0;
  bool leaderCounting_ = false;
  // A text entity past its group 101: the rest is an embedded object's (an MTEXT's columns
  // repeat 10, 11, 40 and more), not the text's own.
  bool inEmbeddedObject_ = false;

  bool vertexRun_ = false;
  bool runInBlock_ = false;
  int32_t runIhand_ = 0;
  size_t runFirstVertex_ = 0;  // vertex list size when the run started

  RecordStore<TAcadLineBlk> blkLine_{share_}, line_{share_};
  RecordStore<TCircleBlk> blkCircle_{share_}, circle_{share_};
  RecordStore<TArcBlk> blkArc_{share_}, arc_{share_};
  RecordStore<TTextBlk> blkText_{share_}, text_{share_};
  RecordStore<TLwpBlk> blkLwp_{share_}, lwp_{share_};
  RecordStore<TLwpVer> blkVer_{share_}, ver_{share_};
  RecordStore<TSolidBlk> blkSolid_{share_}, solid_{share_};
  RecordStore<TInsertBlk> entInsert_{share_};
  RecordStore<TFaceBlk> face_{share_};
  RecordStore<TEllipseBlk> ellipse_{share_};
  RecordStore<TLeaderBlk> leader_{share_};
  RecordStore<TSplineBlk> spline_{share_};
  RecordStore<TDimensionBlk> dimension_{share_};

  // Layer name → index of the first layer with that name; cleared whenever the LAYER table
  // changes a layer, so lookups give what a scan in list order would.
  std::unordered_map<std::string, size_t, NameHash, std::equal_to<>> layerIndex_;
  size_t lastLayer_ = SIZE_MAX;  // index of the layer last looked up
};

template <>
RecordStore<TAcadLineBlk>& Reader::List(bool b) {
  return b ? blkLine_ : line_;
}
template <>
RecordStore<TCircleBlk>& Reader::List(bool b) {
  return b ? blkCircle_ : circle_;
}
template <>
RecordStore<TArcBlk>& Reader::List(bool b) {
  return b ? blkArc_ : arc_;
}
template <>
RecordStore<TTextBlk>& Reader::List(bool b) {
  return b ? blkText_ : text_;
}
template <>
RecordStore<TLwpBlk>& Reader::List(bool b) {
  return b ? blkLwp_ : lwp_;
}
template <>
RecordStore<TLwpVer>& Reader::List(bool b) {
  return b ? blkVer_ : ver_;
}
template <>
RecordStore<TSolidBlk>& Reader::List(bool b) {
  return b ? blkSolid_ : solid_;
}
template <>
RecordStore<TFaceBlk>& Reader::List(bool) {
  return face_;
}
template <>
RecordStore<TEllipseBlk>& Reader::List(bool) {
  return ellipse_;
}
template <>
RecordStore<TLeaderBlk>& Reader::List(bool) {
  return leader_;
}
template <>
RecordStore<TSplineBlk>& Reader::List(bool) {
  return spline_;
}
template <>
RecordStore<TDimensionBlk>& Reader::List(bool) {
  return dimension_;
}
// INSERTs inside a block definition go straight into its InsertAry.
template <>
TInsertBlk& Reader::Open() {
  return openInBlock_ ? d_.BlockAry.back().InsertAry.back() : entInsert_.back();
}

int16_t Reader::LayerColor(std::string_view name) {
  // Records come in runs on one layer: the last layer found is tried first.
  if (lastLayer_ < d_.LayerAry.size() && d_.LayerAry[lastLayer_].Name == name)
    return d_.LayerAry[lastLayer_].color;
  auto it = layerIndex_.find(name);
  if (it != layerIndex_.end()) {
    lastLayer_ = it->second;
    return d_.LayerAry[it->second].color;
  }
  const int16_t color = GetLayerColor(d_, name);
  for (size_t i = 0; i < d_.LayerAry.size(); ++i) {
    if (d_.LayerAry[i].Name == name) {
      layerIndex_.emplace(std::string(name), i);
      lastLayer_ = i;
      break;
    }
  }
  return color;
}

void Reader::ForgetLayers() {
  layerIndex_.clear();
  lastLayer_ = SIZE_MAX;
}

template <class R>
void Reader::ResolveColor(R& r, bool inBlock) {
  if (r.color == 256) r.color = LayerColor(r.layer);
  if (inBlock && (r.layer == "0" || r.color == 0)) r.color = LayerColor(r.layer);
}

template <class R>
bool Reader::ApplyField(R& r, const FieldTable<R>& table, int code, std::string_view value) {
  const Field<R>* f = table.Find(code);
  if (!f) return true;
  switch (f->type) {
    case FieldType::Text:
      r.*(f->text) = Decode(value);
      return true;
    case FieldType::UpperText:
      r.*(f->text) = AsciiUpper(Decode(value));
      return true;
    case FieldType::AppendText:
      r.*(f->text) += Decode(value);
      return true;
    case FieldType::Real:
      return ParseReal(value, r.*(f->real));
    case FieldType::Int16:
      return ParseInt16(value, r.*(f->int16));
    case FieldType::PointX:
      return ParseReal(value, (r.*(f->point)).x);
    case FieldType::PointY:
      return ParseReal(value, (r.*(f->point)).y);
    case FieldType::PointZ:
      return ParseReal(value, (r.*(f->point)).z);
  }
  return true;
}

bool Reader::HandleLayerTable(int code, std::string_view value) {
  if (layerOpen_) {
    if (code == 0) {
      layerOpen_ = false;
    } else {
      TLayer& layer = d_.LayerAry.back();
      switch (code) {
        case 2:
          layer.Name = Decode(value);
          ForgetLayers();
          break;
        case 6:
          layer.ltype = AsciiUpper(Decode(value));
          break;
        case 70: {
          int16_t flags = 0;
          if (!ParseInt16(value, flags)) return false;
          if (flags & 1) layer.visible = false;
          break;
        }
        case 62:
          if (!ParseInt16(value, layer.color)) return false;
          if (layer.color < 0) layer.visible = false;
          break;
        default:
          break;
      }
    }
  }
  if (code == 0) {
    if (value == "LAYER") {
      d_.LayerAry.emplace_back();
      layerOpen_ = true;
      ForgetLayers();
    } else if (value == "ENDTAB") {
      inLayerTable_ = false;
      tableFlag_ = false;
    }
  }
  return true;
}

bool Reader::HandleBlockHeader(int code, std::string_view value) {
  if (code == 0) {
    blockHeaderOpen_ = false;
    inBlockBody_ = true;
    return true;
  }
  TBlockBlk& block = d_.BlockAry.back();
  switch (code) {
    case 2:
      block.name = Decode(value);
      blockName_ = block.name;
      return true;
    case 8:
      block.layer = Decode(value);
      return true;
    case 6:
      block.ltype = AsciiUpper(Decode(value));
      return true;
    case 10:
      return ParseReal(value, block.base.x);
    case 20:
      return ParseReal(value, block.base.y);
    case 30:
      return ParseReal(value, block.base.z);
    default:
      return true;
  }
}

void Reader::StartEntity(Kind kind, bool inBlock) {
  open_ = kind;
  openInBlock_ = inBlock;
  inEmbeddedObject_ = false;
  auto start = [&](auto& list) -> auto& {
    auto& r = list.emplace_back();
    ReaderDefaults(r);
    return r;
  };
  // Records of a block definition carry the block's name.
  auto startNamed = [&](auto& list) -> auto& {
    auto& r = start(list);
    if (inBlock) r.bname = blockName_;
    return r;
  };
  switch (kind) {
    case Kind::Line:
      startNamed(List<TAcadLineBlk>(inBlock));
      break;
    case Kind::Circle:
      startNamed(List<TCircleBlk>(inBlock));
      break;
    case Kind::Arc:
      startNamed(List<TArcBlk>(inBlock));
      break;
    case Kind::Text:
    case Kind::Attrib:
    case Kind::MText: {
      TTextBlk& t = startNamed(List<TTextBlk>(inBlock));
      t.mtflag = kind == Kind::MText;
      t.atflag = kind == Kind::Attrib;
      break;
    }
    case Kind::LwPolyline:
    case Kind::Polyline: {
      auto& list = List<TLwpBlk>(inBlock);
      TLwpBlk& p = startNamed(list);
      p.ihand = static_cast<int32_t>(list.size() - 1);
      lwpResolved_ = false;
      break;
    }
    case Kind::Insert:
      (inBlock ? start(d_.BlockAry.back().InsertAry) : start(entInsert_)).dimBlkName = blockName_;
      break;
    case Kind::Face:
      start(face_);
      break;
    case Kind::Ellipse:
      start(ellipse_);
      break;
    case Kind::Solid:
      startNamed(List<TSolidBlk>(inBlock));
      break;
    case Kind::Leader:
      start(leader_);
      leaderVertex_ = 0;
      leaderCounting_ = false;
      break;
    case Kind::Spline:
      start(spline_);
      break;
    case Kind::Dimension:
      start(dimension_);
      break;
    case Kind::None:
      break;
  }
}

void Reader::EndEntity() {
  const bool b = openInBlock_;
  switch (open_) {
    case Kind::Line:
      ResolveColor(Open<TAcadLineBlk>(), b);
      break;
    case Kind::Circle:
      ResolveColor(Open<TCircleBlk>(), b);
      break;
    case Kind::Arc:
      ResolveColor(Open<TArcBlk>(), b);
      break;
    case Kind::Text:
    case Kind::Attrib:
    case Kind::MText: {
      auto& list = List<TTextBlk>(b);
      if (list.back().str.empty()) {
        list.pop_back();
      } else {
        ResolveColor(list.back(), b);
      }
      break;
    }
    case Kind::LwPolyline:
      break;  // resolved at its first vertex
    case Kind::Polyline: {
      TLwpBlk& p = Open<TLwpBlk>();
      ResolveColor(p, b);
      // The vertices follow as VERTEX entities up to SEQEND.
      vertexRun_ = true;
      runInBlock_ = b;
      runIhand_ = p.ihand;
      runFirstVertex_ = List<TLwpVer>(b).size();
      break;
    }
    case Kind::Insert:
      ResolveColor(Open<TInsertBlk>(), b);
      break;
    case Kind::Face:
      ResolveColor(Open<TFaceBlk>(), b);
      break;
    case Kind::Ellipse:
      ResolveColor(Open<TEllipseBlk>(), b);
      break;
    case Kind::Solid:
      ResolveColor(Open<TSolidBlk>(), b);
      break;
    case Kind::Leader:
      ResolveColor(Open<TLeaderBlk>(), b);
      break;
    case Kind::Spline:
      ResolveColor(Open<TSplineBlk>(), b);
      break;
    case Kind::Dimension:
      ResolveColor(Open<TDimensionBlk>(), b);
      break;
    case Kind::None:
      break;
  }
  open_ = Kind::None;
}

bool Reader::HandleOpenEntity(int code, std::string_view value) {
  const bool b = openInBlock_;
  switch (open_) {
    case Kind::Line:
      return ApplyField(Open<TAcadLineBlk>(), kLineFields, code, value);
    case Kind::Circle:
      return ApplyField(Open<TCircleBlk>(), kCircleFields, code, value);
    case Kind::Arc:
      return ApplyField(Open<TArcBlk>(), kArcFields, code, value);
    case Kind::Text:
    case Kind::MText:
    case Kind::Attrib:
      if (code == 101) inEmbeddedObject_ = true;
      if (inEmbeddedObject_) return true;
      return ApplyField(Open<TTextBlk>(), open_ == Kind::Attrib ? kAttribFields : kTextFields, code,
                        value);
    case Kind::Polyline:
      return ApplyField(Open<TLwpBlk>(), kPolylineFields, code, value);
    case Kind::LwPolyline: {
      auto& headers = List<TLwpBlk>(b);
      auto& vertices = List<TLwpVer>(b);
      TLwpBlk& p = headers.back();
      switch (code) {
        case 10: {
          if (!lwpResolved_) {
            ResolveColor(p, b);
            lwpResolved_ = true;
          }
          TLwpVer& v = vertices.emplace_back();
          v.ihand = p.ihand;
          v.code10.z = p.code38;
          return ParseReal(value, v.code10.x);
        }
        case 20:
        case 42:
          // Ignored until the polyline's first vertex exists.
          if (!lwpResolved_ || vertices.empty()) return true;
          return ParseReal(value, code == 20 ? vertices.back().code10.y : vertices.back().code42);
        default:
          return ApplyField(p, kPolylineFields, code, value);
      }
    }
    case Kind::Insert: {
      // Scale factors sit in 41/42/43, outside the 10/20/30 pattern of points.
      TInsertBlk& r = Open<TInsertBlk>();
      if (code == 41) return ParseReal(value, r.scale.x);
      if (code == 42) return ParseReal(value, r.scale.y);
      if (code == 43) return ParseReal(value, r.scale.z);
      return ApplyField(r, kInsertFields, code, value);
    }
    case Kind::Face: {
      TFaceBlk& f = Open<TFaceBlk>();
      if (code >= 10 && code <= 33 && code % 10 <= 3) {
        TAcadPoint& corner = f.pt[code % 10];
        if (code == 13) f.count = 4;
        double& target = code < 20 ? corner.x : code < 30 ? corner.y : corner.z;
        return ParseReal(value, target);
      }
      return ApplyField(f, kFaceFields, code, value);
    }
    case Kind::Ellipse:
      return ApplyField(Open<TEllipseBlk>(), kEllipseFields, code, value);
    case Kind::Solid:
      return ApplyField(Open<TSolidBlk>(), kSolidFields, code, value);
    case Kind::Leader: {
      TLeaderBlk& l = Open<TLeaderBlk>();
      const bool header = code == 8 || code == 6 || code == 41 || code == 60 || code == 76;
      if (!header && leaderCounting_ && leaderVertex_ >= l.code76) {
        EndEntity();  // past its last vertex: the group itself is not taken
        return true;
      }
      if (code == 10 || code == 20 || code == 30) {
        double scratch = 0;
        TAcadPoint* p = leaderVertex_ == 0   ? &l.p1
                        : leaderVertex_ == 1 ? &l.p2
                        : leaderVertex_ == 2 ? &l.p3
                                             : nullptr;
        double& target = !p ? scratch : code == 10 ? p->x : code == 20 ? p->y : p->z;
        if (!ParseReal(value, target)) return false;
        if (code == 30 && leaderVertex_ < INT32_MAX) ++leaderVertex_;
        return true;
      }
      if (!ApplyField(l, kLeaderFields, code, value)) return false;
      if (code == 76) {
        leaderCounting_ = true;
        leaderVertex_ = 0;
      }
      return true;
    }
    case Kind::Spline: {
      TSplineBlk& s = Open<TSplineBlk>();
      if (code == 10) return ParseReal(value, s.code10Ary.emplace_back().x);
      if (code == 20 || code == 30) {
        if (s.code10Ary.empty()) return true;
        return ParseReal(value, code == 20 ? s.code10Ary.back().y : s.code10Ary.back().z);
      }
      return ApplyField(s, kSplineFields, code, value);
    }
    case Kind::Dimension:
      return ApplyField(Open<TDimensionBlk>(), kDimensionFields, code, value);
    case Kind::None:
      return true;
  }
  return true;
}

bool Reader::HandleVertexRun(int code, std::string_view value) {
  if (code == 0) {
    if (value == "SEQEND") vertexRun_ = false;
    return true;
  }
  if (code != 10 && code != 20 && code != 30 && code != 42) return true;
  auto& vertices = List<TLwpVer>(runInBlock_);
  if (code == 10) {
    TLwpVer& v = vertices.emplace_back();
    v.ihand = runIhand_;
    return ParseReal(value, v.code10.x);
  }
  // Ignored until the run's first vertex exists.
  if (vertices.size() <= runFirstVertex_) return true;
  TLwpVer& v = vertices.back();
  return ParseReal(value, code == 20 ? v.code10.y : code == 30 ? v.code10.z : v.code42);
}

bool Reader::Handle(int code, std::string_view value) {
  // Layer table.
  if (inLayerTable_ && !HandleLayerTable(code, value)) return false;

  // Table name.
  if (tableFlag_ && code == 2 && value == "LAYER") inLayerTable_ = true;

  // Section and block marks; the open entity ends first, in the place it was read.
  if (code == 0 && (value == "TABLE" || value == "ENDBLK" || value == "ENDSEC")) {
    if (open_ != Kind::None) EndEntity();
    if (value == "TABLE") {
      tableFlag_ = true;
    } else if (value == "ENDBLK") {
      inBlockBody_ = false;
    } else {
      inBlocks_ = false;
      inBlockBody_ = false;
      inEntities_ = false;
    }
  }

  // Block header.
  if (inBlocks_ && blockHeaderOpen_ && !HandleBlockHeader(code, value)) return false;

  // Open entity.
  if (open_ != Kind::None) {
    if (code == 0) {
      EndEntity();
    } else if (!HandleOpenEntity(code, value)) {
      return false;
    }
  }

  // Polyline vertices.
  if (vertexRun_ && !HandleVertexRun(code, value)) return false;

  if (code == 0) {
    // Entity start, where the place accepts the kind.
    const bool inBlock = inBlockBody_ && !d_.BlockAry.empty();
    if (inBlock || inEntities_) {
      const Kind kind = KindOf(value);
      if (kind != Kind::None && !(inBlock && ModelSpaceOnly(kind))) StartEntity(kind, inBlock);
    }
    // Block start.
    if (inBlocks_ && value == "BLOCK") {
      d_.BlockAry.emplace_back();
      blockHeaderOpen_ = true;
    }
  } else if (code == 2) {
    // Section start.
    if (value == "BLOCKS") inBlocks_ = true;
    if (value == "ENTITIES") inEntities_ = true;
  }
  return true;
}

void Reader::Finish() {
  blkLine_.MoveTo(d_.BlkLineAry);
  line_.MoveTo(d_.LineAry);
  blkCircle_.MoveTo(d_.BlkCircleAry);
  circle_.MoveTo(d_.CircleAry);
  blkArc_.MoveTo(d_.BlkArcAry);
  arc_.MoveTo(d_.ArcAry);
  blkText_.MoveTo(d_.BlkTextAry);
  text_.MoveTo(d_.TextAry);
  blkLwp_.MoveTo(d_.BlkLwpAry);
  lwp_.MoveTo(d_.LwpAry);
  blkVer_.MoveTo(d_.BlkVerAry);
  ver_.MoveTo(d_.VerAry);
  blkSolid_.MoveTo(d_.BlkSolidAry);
  solid_.MoveTo(d_.SolidAry);
  entInsert_.MoveTo(d_.EntInsertAry);
  face_.MoveTo(d_.FaceAry);
  ellipse_.MoveTo(d_.EllipseAry);
  leader_.MoveTo(d_.LeaderAry);
  spline_.MoveTo(d_.SplineAry);
  dimension_.MoveTo(d_.DimensionAry);
  if (d_.LayerAry.empty()) {
    d_.LayerAry.emplace_back();
    d_.LayerAry.back().Name = "0";
  }
  for (auto* list : {&d_.BlkTextAry, &d_.TextAry}) {
    for (TTextBlk& t : *list)
      DecodeUnicodeEscapes(t.str);
  }
}

void EmptyDrawing(Drawing& d) {
  ClearDrawing(d);
  d.DimensionAry.clear();
  d.BlkSolidAry.clear();
  d.SolidAry.clear();
  d.LeaderAry.clear();
  d.SplineAry.clear();
  d.DrawingExtents = {};
}

// Groups 1 and 3 carry the text of TEXT, ATTRIB and MTEXT: their blanks are part of it (long
// MTEXT is cut into 250-character chunks at arbitrary places), so only the line end goes.
bool KeepsBlanks(int code) {
  return code == 1 || code == 3;
}

class Progress {
 public:
  Progress(const ProgressSink& sink, uint64_t fileSize) : sink_(sink) {
    if (!sink_) return;
    const uint64_t expectedPairs = fileSize * 65 / 1024;
    step_ = expectedPairs / 50 + 1;
    sink_(0, kMaximum);
  }
  void Pair(uint64_t count) {
    if (sink_ && count % step_ == 0 && position_ < kMaximum) sink_(++position_, kMaximum);
  }
  void Done() {
    if (sink_) sink_(0, kMaximum);
  }

 private:
  static constexpr int kMaximum = 50;
  const ProgressSink& sink_;
  uint64_t step_ = 1;
  int position_ = 0;
};

std::string LineReport(const LinePair& pair, uint64_t pairNumber, std::string_view fileName,
                       TextEncoding encoding, const MessageSink& messages) {
  const auto decode = [&](std::string_view s) {
    return encoding == TextEncoding::Utf8 ? Utf8Lenient(s) : AnsiToUtf8(s);
  };
  const std::string codeNo = std::to_string(pairNumber * 2 - 1);
  const std::string valueNo = std::to_string(pairNumber * 2);
  const std::string code = decode(TrimBlanks(pair.code));
  const std::string value = decode(TrimBlanks(pair.value));
  if (messages) {
    messages(
        {MessageKind::Plain, "DxfReport",
         std::string(fileName) + "\n" + codeNo + " 行=" + code + "\n" + valueNo + " 行=" + value});
  }
  return codeNo + ":" + code + "/" + valueNo + ":" + value;
}

std::string ReadPairs(Drawing& d, LineSource& source, std::string_view fileName,
                      TextEncoding encoding, uint64_t size, const ProgressSink& progressSink,
                      const MessageSink& messages) {
  if (source.SkipUtf8Bom()) encoding = TextEncoding::Utf8;
  Reader reader(d, encoding, [&source] { return source.Taken(); });
  Progress progress(progressSink, size);
  std::string error;
  try {
    uint64_t pairs = 0;
    LinePair pair;
    while (source.NextPair(pair)) {
      ++pairs;
      progress.Pair(pairs);
      const int code = ParseGroupCode(pair.code);
      const std::string_view value = KeepsBlanks(code) ? pair.value : TrimBlanks(pair.value);
      if (!reader.Handle(code, value)) {
        error = LineReport(pair, pairs, fileName, encoding, messages);
        break;
      }
    }
    if (error.empty() && source.Failed()) error = "busy";
  } catch (...) {
    error = "error";  // out of memory: the records read so far stay
  }
  reader.Finish();
  progress.Done();
  return error;
}

}  // namespace

std::string ReadDxfBuffer(Drawing& drawing, std::string_view bytes, std::string_view fileName,
                          TextEncoding encoding, const ProgressSink& progress,
                          const MessageSink& messages) {
  EmptyDrawing(drawing);
  try {
    LineSource source(bytes);
    return ReadPairs(drawing, source, fileName, encoding, bytes.size(), progress, messages);
  } catch (...) {
    return "error";
  }
}

std::string ReadDxfFile(Drawing& drawing, const std::filesystem::path& path, TextEncoding encoding,
                        const ProgressSink& progress, const MessageSink& messages) {
  EmptyDrawing(drawing);
  try {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      Reader(drawing, encoding).Finish();
      Progress(progress, 0).Done();
      return {};
    }
    // Never a FIFO or a device: opening one may wait for ever, reading it may never end.
    RegularFile file = RegularFile::Open(path);
    if (!file.IsOpen()) {
      Reader(drawing, encoding).Finish();
      Progress(progress, 0).Done();
      return "busy";
    }
    const std::u8string name = path.filename().u8string();
    LineSource source(file);
    return ReadPairs(drawing, source, std::string(name.begin(), name.end()), encoding, file.Size(),
                     progress, messages);
  } catch (...) {
    return "error";
  }
}

}  // namespace kestrel::dxf
