// The drawing model as JSON, for kestrel-tool dxf-dump and for tools that compare models.
// Records are objects keyed by their field names; points are [x, y, z]; floats are written in
// the shortest form that reads back to the same double.
#pragma once

#include <string>
#include <string_view>

#include "dxf/Drawing.h"

namespace kestrel::dxf {

// Builds one JSON object member by member: `{"a":1,"b":[...]}`.
class JsonObjectWriter {
 public:
  explicit JsonObjectWriter(std::string& out);
  // Adds `"key":` followed by `json`, which must be a complete JSON value.
  void Raw(std::string_view key, std::string_view json);
  void String(std::string_view key, std::string_view value);
  // Adds one member per list of the model ("LayerAry", "BlockAry", ... "DimensionAry").
  void DrawingLists(const Drawing& drawing);
  // Closes the object.
  void Finish();

 private:
  void Key(std::string_view key);
  std::string& out_;
  bool first_ = true;
};

// A JSON string literal of UTF-8 `text` (invalid bytes become U+FFFD).
std::string JsonString(std::string_view text);
// The shortest text that reads back to `value`; NaN and infinities, which JSON lacks, as null.
std::string JsonNumber(double value);
std::string JsonPoint(const TAcadPoint& p);

}  // namespace kestrel::dxf
