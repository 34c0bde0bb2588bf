// kestrel-tool dxf-dump FILE [--stage read] [--encoding auto|ansi|utf8]: the drawing model
// after reading, as one JSON object on standard output.
#include <cstdio>
#include <string>

#include "dxf/DxfJson.h"
#include "dxf/DxfReader.h"
#include "dxf/HeaderScan.h"
#include "tool/Commands.h"

namespace kestrel::tool {

namespace {

int DumpUsage() {
  std::fputs("usage: kestrel-tool dxf-dump FILE [--stage read] [--encoding auto|ansi|utf8]\n",
             stderr);
  return 2;
}

}  // namespace

int RunDxfDump(const Args& args) {
  std::string path;
  std::string stage = "read";
  std::string encodingName = "auto";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--stage" && i + 1 < args.size()) {
      stage = args[++i];
    } else if (args[i] == "--encoding" && i + 1 < args.size()) {
      encodingName = args[++i];
    } else if (path.empty() && !args[i].starts_with("--")) {
      path = args[i];
    } else {
      return DumpUsage();
    }
  }
  if (path.empty() || stage != "read") return DumpUsage();

  const dxf::DxfVersion version = dxf::ScanDxfVersion(path);
  TextEncoding encoding;
  if (encodingName == "auto") {
    encoding = dxf::DxfTextEncoding(version);
  } else if (encodingName == "ansi") {
    encoding = TextEncoding::Ansi;
  } else if (encodingName == "utf8") {
    encoding = TextEncoding::Utf8;
  } else {
    return DumpUsage();
  }

  dxf::Drawing drawing;
  // The line report goes to the error text; its message box is not wanted on a terminal.
  const std::string error = dxf::ReadDxfFile(drawing, path, encoding);

  std::string json;
  dxf::JsonObjectWriter writer(json);
  writer.String("error", error);
  writer.String("version", version.version);
  writer.DrawingLists(drawing);
  writer.Finish();
  json += '\n';
  std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}

}  // namespace kestrel::tool
