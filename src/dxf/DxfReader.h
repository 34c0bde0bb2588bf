// The DXF reader: one forward pass over an ASCII DXF file that replaces the drawing model.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/Messages.h"
#include "base/TextCodec.h"
#include "dxf/Drawing.h"

namespace kestrel::dxf {

// Reads `path` into `drawing` (every list emptied first, also when the read fails). Text
// values are decoded from `encoding` (Ansi: code page 932, or Utf8); a file that begins with
// a UTF-8 byte-order mark is read as UTF-8 whatever is asked. Returns an empty text when the
// file was read to its end (or does not exist); "busy" when it cannot be read or is not a
// regular file (a FIFO, socket, device or folder, never waited on); otherwise the
// line report "<line>:<code line>/<line>:<value line>" of the pair that held a bad number,
// which also goes to `messages` as a "DxfReport" box. Progress runs from 0 to 50.
std::string ReadDxfFile(Drawing& drawing, const std::filesystem::path& path, TextEncoding encoding,
                        const ProgressSink& progress = {}, const MessageSink& messages = {});

// The same over bytes already in memory; `fileName` is shown in the line report's message.
std::string ReadDxfBuffer(Drawing& drawing, std::string_view bytes, std::string_view fileName,
                          TextEncoding encoding, const ProgressSink& progress = {},
                          const MessageSink& messages = {});

}  // namespace kestrel::dxf
