#include "dxf/DxfJson.h"

#include <charconv>
#include <cmath>

#include "dxf/DxfText.h"

namespace kestrel::dxf {

namespace {

// Appends the fields of one record; the overloads below list every record type's fields in
// the order of the model.
class RecordWriter {
 public:
  explicit RecordWriter(std::string& out) : out_(out) { out_ += '{'; }
  ~RecordWriter() { out_ += '}'; }
  RecordWriter& F(std::string_view key, std::string_view v) { return Put(key, JsonString(v)); }
  RecordWriter& F(std::string_view key, const std::string& v) { return Put(key, JsonString(v)); }
  RecordWriter& F(std::string_view key, double v) { return Put(key, JsonNumber(v)); }
  RecordWriter& F(std::string_view key, int16_t v) { return Put(key, std::to_string(v)); }
  RecordWriter& F(std::string_view key, int32_t v) { return Put(key, std::to_string(v)); }
  RecordWriter& F(std::string_view key, uint32_t v) { return Put(key, std::to_string(v)); }
  RecordWriter& F(std::string_view key, uint8_t v) { return Put(key, std::to_string(v)); }
  RecordWriter& F(std::string_view key, bool v) { return Put(key, v ? "true" : "false"); }
  RecordWriter& F(std::string_view key, const TAcadPoint& v) { return Put(key, JsonPoint(v)); }

  RecordWriter& Put(std::string_view key, std::string_view json) {
    if (!first_) out_ += ',';
    first_ = false;
    out_ += '"';
    out_ += key;
    out_ += "\":";
    out_ += json;
    return *this;
  }
  std::string& out() { return out_; }

 private:
  std::string& out_;
  bool first_ = true;
};

// One overload per record type, declared first so that arrays of any of them can be written.
void Write(std::string& o, const TLayer& r);
void Write(std::string& o, const TInsertBlk& r);
void Write(std::string& o, const TBlockBlk& r);
void Write(std::string& o, const TAcadLineBlk& r);
void Write(std::string& o, const TCircleBlk& r);
void Write(std::string& o, const TArcBlk& r);
void Write(std::string& o, const TTextBlk& r);
void Write(std::string& o, const TLwpBlk& r);
void Write(std::string& o, const TLwpVer& r);
void Write(std::string& o, const TEllipseBlk& r);
void Write(std::string& o, const TFaceBlk& r);
void Write(std::string& o, const TSolidBlk& r);
void Write(std::string& o, const TLeaderBlk& r);
void Write(std::string& o, const TSplineBlk& r);
void Write(std::string& o, const TDimensionBlk& r);

void Write(std::string& o, const TLayer& r) {
  RecordWriter(o).F("Name", r.Name).F("color", r.color).F("ltype", r.ltype).F("visible", r.visible);
}

void Write(std::string& o, const TInsertBlk& r) {
  RecordWriter(o)
      .F("name", r.name)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("base", r.base)
      .F("scale", r.scale)
      .F("color", r.color)
      .F("rotate", r.rotate)
      .F("code67", r.code67)
      .F("code210", r.code210)
      .F("dimBlkName", r.dimBlkName)
      .F("code60", r.code60);
}

template <class R>
void WriteArray(std::string& o, const std::vector<R>& list) {
  o += '[';
  for (size_t i = 0; i < list.size(); ++i) {
    if (i) o += ',';
    if constexpr (std::is_same_v<R, TAcadPoint>) {
      o += JsonPoint(list[i]);
    } else {
      Write(o, list[i]);
    }
  }
  o += ']';
}

void Write(std::string& o, const TBlockBlk& r) {
  std::string inserts;
  WriteArray(inserts, r.InsertAry);
  RecordWriter(o)
      .F("name", r.name)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("base", r.base)
      .Put("InsertAry", inserts);
}

void Write(std::string& o, const TAcadLineBlk& r) {
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("st", r.st)
      .F("ed", r.ed)
      .F("PenColor", r.PenColor)
      .F("PenStyle", r.PenStyle)
      .F("code67", r.code67)
      .F("code210", r.code210)
      .F("layindex", r.layindex)
      .F("code60", r.code60);
}

void Write(std::string& o, const TCircleBlk& r) {
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("center", r.center)
      .F("hankei", r.hankei)
      .F("PenColor", r.PenColor)
      .F("PenStyle", r.PenStyle)
      .F("code67", r.code67)
      .F("code210", r.code210)
      .F("layindex", r.layindex)
      .F("code60", r.code60);
}

void Write(std::string& o, const TArcBlk& r) {
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("center", r.center)
      .F("hankei", r.hankei)
      .F("st", r.st)
      .F("ed", r.ed)
      .F("PenColor", r.PenColor)
      .F("PenStyle", r.PenStyle)
      .F("code67", r.code67)
      .F("code210", r.code210)
      .F("layindex", r.layindex)
      .F("code60", r.code60);
}

void Write(std::string& o, const TTextBlk& r) {
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("color", r.color)
      .F("pt10", r.pt10)
      .F("pt11", r.pt11)
      .F("code40", r.code40)
      .F("code41", r.code41)
      .F("code44", r.code44)
      .F("code50", r.code50)
      .F("code72", r.code72)
      .F("code73", r.code73)
      .F("code70", r.code70)
      .F("code71", r.code71)
      .F("str", r.str)
      .F("mtflag", r.mtflag)
      .F("atflag", r.atflag)
      .F("PenColor", r.PenColor)
      .F("code67", r.code67)
      .F("code210", r.code210)
      .F("layindex", r.layindex)
      .F("code60", r.code60);
}

void Write(std::string& o, const TLwpBlk& r) {
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("ihand", r.ihand)
      .F("code38", r.code38)
      .F("code67", r.code67)
      .F("code70", r.code70)
      .F("code71", r.code71)
      .F("code72", r.code72)
      .F("code210", r.code210)
      .F("code60", r.code60);
}

void Write(std::string& o, const TLwpVer& r) {
  RecordWriter(o).F("ihand", r.ihand).F("code10", r.code10).F("code42", r.code42);
}

void Write(std::string& o, const TEllipseBlk& r) {
  RecordWriter(o)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("center", r.center)
      .F("endpoint", r.endpoint)
      .F("henpei", r.henpei)
      .F("kaisi", r.kaisi)
      .F("owari", r.owari)
      .F("code210", r.code210)
      .F("code60", r.code60);
}

void Write(std::string& o, const TFaceBlk& r) {
  const std::string corners = "[" + JsonPoint(r.pt[0]) + "," + JsonPoint(r.pt[1]) + "," +
                              JsonPoint(r.pt[2]) + "," + JsonPoint(r.pt[3]) + "]";
  RecordWriter(o)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .Put("pt", corners)
      .F("code67", r.code67)
      .F("count", r.count)
      .F("code60", r.code60);
}

void Write(std::string& o, const TSolidBlk& r) {
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("p1", r.p1)
      .F("p2", r.p2)
      .F("p3", r.p3)
      .F("code60", r.code60);
}

void Write(std::string& o, const TLeaderBlk& r) {
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("code41", r.code41)
      .F("code76", r.code76)
      .F("p1", r.p1)
      .F("p2", r.p2)
      .F("p3", r.p3)
      .F("code60", r.code60);
}

void Write(std::string& o, const TSplineBlk& r) {
  std::string points;
  WriteArray(points, r.code10Ary);
  RecordWriter(o)
      .F("bname", r.bname)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("code70", r.code70)
      .Put("code10Ary", points)
      .F("code60", r.code60);
}

void Write(std::string& o, const TDimensionBlk& r) {
  RecordWriter(o)
      .F("layer", r.layer)
      .F("ltype", r.ltype)
      .F("color", r.color)
      .F("dimblkName", r.dimblkName);
}

void AppendEscaped(std::string& out, std::string_view utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  AppendEscaped(out, Utf8Lenient(text));
  out += '"';
  return out;
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string JsonPoint(const TAcadPoint& p) {
  return "[" + JsonNumber(p.x) + "," + JsonNumber(p.y) + "," + JsonNumber(p.z) + "]";
}

JsonObjectWriter::JsonObjectWriter(std::string& out) : out_(out) {
  out_ += '{';
}

void JsonObjectWriter::Key(std::string_view key) {
  if (!first_) out_ += ',';
  first_ = false;
  out_ += JsonString(key);
  out_ += ':';
}

void JsonObjectWriter::Raw(std::string_view key, std::string_view json) {
  Key(key);
  out_ += json;
}

void JsonObjectWriter::String(std::string_view key, std::string_view value) {
  Key(key);
  out_ += JsonString(value);
}

void JsonObjectWriter::DrawingLists(const Drawing& d) {
  const auto list = [&](std::string_view key, const auto& records) {
    Key(key);
    WriteArray(out_, records);
  };
  list("LayerAry", d.LayerAry);
  list("BlockAry", d.BlockAry);
  list("BlkLineAry", d.BlkLineAry);
  list("BlkCircleAry", d.BlkCircleAry);
  list("BlkArcAry", d.BlkArcAry);
  list("BlkTextAry", d.BlkTextAry);
  list("BlkSolidAry", d.BlkSolidAry);
  list("BlkLwpAry", d.BlkLwpAry);
  list("BlkVerAry", d.BlkVerAry);
  list("LineAry", d.LineAry);
  list("CircleAry", d.CircleAry);
  list("ArcAry", d.ArcAry);
  list("TextAry", d.TextAry);
  list("EntInsertAry", d.EntInsertAry);
  list("NestInsertAry", d.NestInsertAry);
  list("LwpAry", d.LwpAry);
  list("VerAry", d.VerAry);
  list("EllipseAry", d.EllipseAry);
  list("FaceAry", d.FaceAry);
  list("SolidAry", d.SolidAry);
  list("LeaderAry", d.LeaderAry);
  list("SplineAry", d.SplineAry);
  list("DimensionAry", d.DimensionAry);
}

void JsonObjectWriter::Finish() {
  out_ += '}';
}

}  // namespace kestrel::dxf
