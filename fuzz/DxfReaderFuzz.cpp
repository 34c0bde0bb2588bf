// The DXF reader, the header scan and what later reads the model's texts, over any bytes; and
// the line pairs of the bytes read from a file in small chunks against those in memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/DxfJson.h"
#include "dxf/DxfLines.h"
#include "dxf/DxfReader.h"
#include "dxf/Geometry.h"
#include "dxf/HeaderScan.h"

using namespace kestrel;

namespace {

// The first byte chooses the chunk size, from 1 to 16 bytes for small inputs, so that pairs and
// line ends fall across chunks everywhere.
void CompareChunkedPairs(std::string_view bytes) {
  if (bytes.empty()) return;
  std::FILE* file = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
  if (!file) return;
  {
    dxf::LineSource inMemory(bytes);
    // At most about 64 chunks: each is handed over by the reading thread, which takes time.
    const size_t chunk = (1 + (static_cast<uint8_t>(bytes[0]) & 15)) * (1 + bytes.size() / 64);
    dxf::LineSource chunked(file, bytes.size(), chunk);
    if (inMemory.SkipUtf8Bom() != chunked.SkipUtf8Bom()) __builtin_trap();
    dxf::LinePair a, b;
    for (;;) {
      const bool more = inMemory.NextPair(a);
      if (chunked.NextPair(b) != more) __builtin_trap();
      if (!more) break;
      if (a.code != b.code || a.value != b.value) __builtin_trap();
    }
  }
  std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  dxf::ScanDxfVersionBuffer(bytes);
  CompareChunkedPairs(bytes);

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
