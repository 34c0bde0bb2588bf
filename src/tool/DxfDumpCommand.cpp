// kestrel-tool dxf-dump FILE [--stage read|final] [--encoding auto|ansi|utf8]: the drawing
// model after reading, or after the load steps up to the fit (post-processing included), as one
// JSON object on standard output.
#include <cstdio>
#include <string>

#include "dxf/DxfJson.h"
#include "dxf/DxfReader.h"
#include "dxf/HeaderScan.h"
#include "dxf/PostProcess.h"
#include "render/ViewTransform.h"
#include "tool/Commands.h"

namespace kestrel::tool {

namespace {

int DumpUsage() {
  std::fputs(
      "usage: kestrel-tool dxf-dump FILE [--stage read|final] [--encoding auto|ansi|utf8]\n"
      "  final: the load steps up to the fit, in the encoding of the file's version\n",
      stderr);
  return 2;
}

// The model as the load leaves it before drawing: read, post-processed and fitted. When the
// load stops before the read, "error" says why and the lists are empty.
int DumpFinal(const std::string& path, const std::string& encodingName) {
  if (encodingName != "auto") return DumpUsage();
  dxf::Drawing drawing;
  const dxf::PreparedDxf prepared = dxf::PrepareDxfDrawing(drawing, path);
  const render::ViewState view = render::FitView(drawing.DrawingExtents);

  std::string json;
  dxf::JsonObjectWriter writer(json);
  writer.String("error", prepared.error);
  writer.String("version", prepared.version);
  writer.DrawingLists(drawing);
  writer.Raw("DrawingExtents", "[" + dxf::JsonPoint(drawing.DrawingExtents.lowerLeft) + "," +
                                   dxf::JsonPoint(drawing.DrawingExtents.upperRight) + "]");
  writer.Raw("ViewCenter", dxf::JsonPoint(view.ViewCenter));
  writer.Raw("ViewWidth", dxf::JsonNumber(view.ViewWidth));
  writer.Raw("ViewHeight", dxf::JsonNumber(view.ViewHeight));
  writer.Finish();
  json += '\n';
  std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
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
  if (path.empty() || (stage != "read" && stage != "final")) return DumpUsage();
  if (stage == "final") return DumpFinal(path, encodingName);

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
