// A look at the head of a CAD file without reading it whole: its signature, the DXF version
// ($ACADVER) and the release names of a version string.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/TextCodec.h"

namespace kestrel::dxf {

// A path that exists but is not a regular file (a FIFO, socket, device or folder) cannot be
// read: neither routine ever waits on one.
struct FileSignature {
  bool success = false;  // false only when opening or reading failed
  std::string text;      // the first six bytes up to the first zero byte; empty when shorter
};
FileSignature ReadFileSignature(const std::filesystem::path& path);

struct DxfVersion {
  bool success = false;  // false only when the file exists but cannot be read
  std::string version;   // $ACADVER, empty when the HEADER does not give it
  bool utf8Bom = false;  // the file begins with a UTF-8 byte-order mark
};
DxfVersion ScanDxfVersion(const std::filesystem::path& path);
DxfVersion ScanDxfVersionBuffer(std::string_view bytes);

// The CAD releases that write `version` ("AC1015" → "2000/2000i/2002"); other input unchanged.
std::string ReleaseNameOfVersion(std::string_view version);

// The text encoding of a DXF file: UTF-8 from "AC1021" on or after a UTF-8 byte-order mark,
// the ANSI code page for older versions and when no version was found.
TextEncoding DxfTextEncoding(const DxfVersion& scan);

}  // namespace kestrel::dxf
