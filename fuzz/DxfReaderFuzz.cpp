// The DXF reader, the header scan and what later reads the model's texts, over any bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/DxfJson.h"
#include "dxf/DxfReader.h"
#include "dxf/Geometry.h"
#include "dxf/HeaderScan.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  dxf::ScanDxfVersionBuffer(bytes);

  // The last byte chooses the encoding, so that one input can reach both decoders.
  const TextEncoding encoding =
      (size > 0 && (data[size - 1] & 1)) ? TextEncoding::Ansi : TextEncoding::Utf8;
  dxf::Drawing drawing;
  int lastPosition = 0;
  dxf::ReadDxfBuffer(
      drawing, bytes, "fuzz.dxf", encoding,
      [&](int position, int maximum) {
        if (position < 0 || position > maximum) __builtin_trap();
        lastPosition = position;
      },
      [](const Message&) {});
  if (drawing.LayerAry.empty() || lastPosition != 0) __builtin_trap();

  for (const dxf::TTextBlk& text : drawing.TextAry)
    dxf::TextBox(text);
  std::string json;
  dxf::JsonObjectWriter writer(json);
  writer.DrawingLists(drawing);
  writer.Finish();
  return 0;
}
