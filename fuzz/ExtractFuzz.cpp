// The document readers on arbitrary bytes; the first byte chooses the format, so one corpus
// holds zip containers (OOXML and OpenOffice), RTF, HTML, MIME archives and compound files.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "extract/Extract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static constexpr std::string_view kExtensions[] = {".docx", ".xlsx", ".pptx", ".sxw",
                                                     ".rtf",  ".html", ".mht",  ".jtd"};
  const std::string_view ext = kExtensions[data[0] % std::size(kExtensions)];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  kestrel::extract::ExtractResult result;
  kestrel::extract::ExtractFromBytes(bytes, ext, {}, &result);
  return 0;
}
