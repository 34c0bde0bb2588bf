// MTEXT strings as the renderer takes them apart: the "\U+XXXX" escapes, the %% symbols, the
// line split and the stripping of inline codes. Valid UTF-8 must stay valid, nothing may grow
// without bound.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "base/TextCodec.h"
#include "dxf/DxfText.h"
#include "dxf/MText.h"
#include "render/TextRender.h"

using namespace kestrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool utf8 = IsValidUtf8(bytes);

  std::string text(bytes);
  dxf::DecodeUnicodeEscapes(text);
  // An invalid byte becomes U+FFFD (three bytes); "\U+X" at the end one character.
  Check(text.size() <= 3 * bytes.size() + 3);
  Check(!utf8 || IsValidUtf8(text));
  text = render::ReplaceTextSymbols(text);

  std::vector<std::string> lines{"stale"};
  const int count = dxf::SplitMTextLines(text, lines);
  Check(count == int(lines.size()));
  size_t total = 0;
  for (const std::string& line : lines) {
    total += line.size();
    const std::string shown = render::StripMTextCodes(line);
    Check(shown.size() <= line.size());
    Check(!IsValidUtf8(line) || IsValidUtf8(shown));
    render::Cp932ByteCount(shown);
  }
  Check(total <= text.size());
  return 0;
}
