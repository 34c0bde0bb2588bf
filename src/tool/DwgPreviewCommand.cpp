// kestrel-tool dwg-preview FILE [--size WxH] [--png OUT.png]: what the window's picture box of
// that size (default 100x100, the thumbnail) shows for a DWG file, as one JSON object, and the
// picture itself as PNG when asked. Exit status 0; 1 for a preview that cannot be read (the
// window's silent abort), with the reason on standard error; 2 for bad arguments or an
// unwritable output.
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cstdio>
#include <string>

#include "base/PathBytes.h"
#include "dwg/DwgPicture.h"
#include "tool/Commands.h"

namespace kestrel::tool {
namespace {

int DwgPreviewUsage() {
  std::fputs("usage: kestrel-tool dwg-preview FILE [--size WxH] [--png OUT.png]\n", stderr);
  return 2;
}

const char* ResultName(dwg::DwgPictureResult r) {
  switch (r) {
    case dwg::DwgPictureResult::Black:
      return "black";
    case dwg::DwgPictureResult::Cross:
      return "cross";
    case dwg::DwgPictureResult::Shown:
      return "shown";
    case dwg::DwgPictureResult::Abort:
      return "abort";
  }
  return "abort";
}

std::string Json(const dwg::TDwgPicture& p) {
  std::string j = "{\"result\": \"";
  j += ResultName(p.result);
  j += '"';
  if (p.version >= 0) j += ", \"version\": " + std::to_string(p.version);
  if (p.code >= 0) j += ", \"code\": " + std::to_string(p.code);
  if (p.result == dwg::DwgPictureResult::Shown) {
    const dwg::TPreviewPlan& plan = p.plan;
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06x", unsigned(plan.background));
    j += ", \"picture\": [" + std::to_string(p.picture.width()) + ", " +
         std::to_string(p.picture.height()) + "]";
    j += std::string(", \"background\": \"") + colour + "\"";
    j += std::string(", \"swapped\": ") + (plan.swapped ? "true" : "false");
    j += ", \"source\": [" + std::to_string(plan.source.x) + ", " + std::to_string(plan.source.y) +
         ", " + std::to_string(plan.source.w) + ", " + std::to_string(plan.source.h) + "]";
    j += ", \"target\": [" + std::to_string(plan.targetW) + ", " + std::to_string(plan.targetH) +
         "]";
    j += ", \"at\": [" + std::to_string(plan.atX) + ", " + std::to_string(plan.atY) + "]";
  }
  return j + "}\n";
}

}  // namespace

int RunDwgPreview(const Args& args) {
  std::string in, png;
  bool haveIn = false;
  int width = 100, height = 100;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (!ParseSize(args[++i], width, height)) return DwgPreviewUsage();
    } else if (args[i] == "--png" && i + 1 < args.size()) {
      png = args[++i];
    } else if (!haveIn) {
      in = args[i];
      haveIn = true;
    } else {
      return DwgPreviewUsage();
    }
  }
  if (!haveIn) return DwgPreviewUsage();

  // Qt's image readers want an application object; no display is needed.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "kestrel-tool";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  const dwg::TDwgPicture picture =
      in.empty() ? dwg::RenderDwgPreview(dwg::TDwgPreview{}, QSize(width, height))
                 : dwg::RenderDwgPreview(NativePath(in), QSize(width, height));
  if (!png.empty() && !picture.image.save(QString::fromLocal8Bit(png.c_str()), "PNG")) {
    std::fprintf(stderr, "kestrel-tool: cannot write %s\n", png.c_str());
    return 2;
  }
  std::fputs(Json(picture).c_str(), stdout);
  if (picture.result == dwg::DwgPictureResult::Abort) {
    std::fprintf(stderr, "kestrel-tool: %s: %s\n", in.c_str(), picture.reason.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kestrel::tool
