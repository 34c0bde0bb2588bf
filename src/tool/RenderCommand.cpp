// kestrel-tool render FILE OUT.png [--size WxH]: the picture the window's DXF preview shows in an
// image of that size (default 800x600), written as PNG. Exit status 1 when the file cannot be
// drawn (the PNG then holds the cross picture), 2 for bad arguments or an unwritable output.
#include <QGuiApplication>
#include <QString>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>

#include "render/DxfPreview.h"
#include "tool/Commands.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kestrel::tool {

namespace {

int RenderUsage() {
  std::fputs("usage: kestrel-tool render FILE OUT.png [--size WxH]\n", stderr);
  return 2;
}

// Qt's PNG quality 80 is zlib level 1: lossless like every level, several times faster than the
// default on a full-HD picture, and the file stays small (lines on black compress well).
constexpr int kPngQuality = 80;

}  // namespace

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  const char* end = text.data() + text.size();
  auto [p1, e1] = std::from_chars(text.data(), text.data() + x, width);
  auto [p2, e2] = std::from_chars(text.data() + x + 1, end, height);
  if (e1 != std::errc() || p1 != text.data() + x || e2 != std::errc() || p2 != end) return false;
  return width >= 1 && height >= 1 && width <= 20000 && height <= 20000;
}

int RunRender(const Args& args) {
  std::string in, out;
  int width = 800, height = 600;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (!ParseSize(args[++i], width, height)) return RenderUsage();
    } else if (in.empty()) {
      in = args[i];
    } else if (out.empty()) {
      out = args[i];
    } else {
      return RenderUsage();
    }
  }
  if (in.empty() || out.empty()) return RenderUsage();

#ifdef __GLIBC__
  // The drawing's lists grow by reallocation and are freed in large blocks. Served from the heap
  // and kept there, each growth reuses pages instead of mapping and faulting in fresh ones.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_TOP_PAD, 64 << 20);
#endif
  // Fonts need a GUI application; no display is needed for drawing into an image.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "kestrel-tool";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  render::DrawingDocument doc;
  const MessageSink messages = [](const Message& m) {
    std::fprintf(stderr, "%s\n", m.text.c_str());
  };
  const QImage image =
      render::LoadDxfPreview(doc, std::filesystem::path(in), QSize(width, height), {}, messages);
  if (image.isNull() || !image.save(QString::fromLocal8Bit(out.c_str()), "PNG", kPngQuality)) {
    std::fprintf(stderr, "kestrel-tool: cannot write %s\n", out.c_str());
    return 2;
  }
  return doc.DrawingShown ? 0 : 1;
}

}  // namespace kestrel::tool
