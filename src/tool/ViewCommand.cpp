// kestrel-tool view FILE [--size WxH]: the drawing view of the window, driven from standard
// input. FILE is loaded as the window's preview loads it into a view of that size (default
// 800x600), with the drawing on show, " 表示" ticked and an entry selected. Then each line of
// input is one event, in the view's pixels:
//   wheel up|down X Y          the wheel over the drawing tab's page
//   wheel-edit4 up|down X Y    the wheel over the status box
//   down left|right|middle X Y [shift]
//   move X Y [shift]
//   up left|right|middle X Y [shift]
//   resize W H
// One JSON object a line is printed after the load and after each event: the view, the saved
// view, the status box's text, the picked indices and what the event redrew. Exit status 2 for
// bad arguments or a line that is not an event (its object is printed unchanged), else 0.
#include <QGuiApplication>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "render/DrawingView.h"
#include "render/DxfPreview.h"
#include "render/ImageSurface.h"
#include "tool/Commands.h"

namespace kestrel::tool {

namespace {

int ViewUsage() {
  std::fputs("usage: kestrel-tool view FILE [--size WxH] < EVENTS\n", stderr);
  return 2;
}

void AppendNumber(std::string& out, double v) {
  if (!std::isfinite(v)) {
    out += "null";
    return;
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  out += buffer;
}

void AppendString(std::string& out, std::string_view text) {
  out += '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
      out += buffer;
    } else {
      out += char(c);
    }
  }
  out += '"';
}

void AppendPoint(std::string& out, const dxf::TAcadPoint& p) {
  out += '[';
  AppendNumber(out, p.x);
  out += ", ";
  AppendNumber(out, p.y);
  out += ']';
}

std::string StateJson(const std::string& event, const render::DrawingView& view,
                      render::Redraw redraw) {
  const render::ViewState& v = view.document().view;
  std::string out = "{\"event\": ";
  AppendString(out, event);
  out += ", \"ViewCenter\": ";
  AppendPoint(out, v.ViewCenter);
  out += ", \"ViewWidth\": ";
  AppendNumber(out, v.ViewWidth);
  out += ", \"ViewHeight\": ";
  AppendNumber(out, v.ViewHeight);
  out += ", \"PrevViewCenter\": ";
  AppendPoint(out, view.PrevViewCenter());
  out += ", \"PrevViewWidth\": ";
  AppendNumber(out, view.PrevViewWidth());
  out += ", \"PrevViewHeight\": ";
  AppendNumber(out, view.PrevViewHeight());
  out += ", \"Edit4\": ";
  AppendString(out, view.edit4());
  out += ", \"picked\": [" + std::to_string(view.PickedLine) + ", " +
         std::to_string(view.PickedCircle) + ", " + std::to_string(view.PickedArc) + ", " +
         std::to_string(view.PickedText) + "], \"redraw\": ";
  AppendString(out, render::RedrawName(redraw));
  out += '}';
  return out;
}

bool ParseButton(const std::string& word, render::MouseButton& button) {
  if (word == "left") {
    button = render::MouseButton::Left;
  } else if (word == "right") {
    button = render::MouseButton::Right;
  } else if (word == "middle") {
    button = render::MouseButton::Middle;
  } else {
    return false;
  }
  return true;
}

// Runs one event line; false when it is not one.
bool RunEvent(const std::string& line, render::DrawingView& view, render::ImageSurface& surface,
              render::Redraw& redraw) {
  std::istringstream in(line);
  std::string kind;
  in >> kind;
  std::string word;
  int x = 0, y = 0;
  render::ViewEvent e;
  if (kind == "wheel" || kind == "wheel-edit4") {
    if (!(in >> word >> x >> y) || (word != "up" && word != "down")) return false;
    e = view.Wheel(word == "down", x, y, kind == "wheel");
  } else if (kind == "down" || kind == "up") {
    render::MouseButton button;
    if (!(in >> word >> x >> y) || !ParseButton(word, button)) return false;
    std::string shift;
    in >> shift;
    if (!shift.empty() && shift != "shift") return false;
    e = kind == "down" ? view.MouseDown(button, x, y, !shift.empty())
                       : view.MouseUp(button, x, y, !shift.empty());
  } else if (kind == "move") {
    if (!(in >> x >> y)) return false;
    std::string shift;
    in >> shift;
    if (!shift.empty() && shift != "shift") return false;
    e = view.MouseMove(x, y, !shift.empty());
  } else if (kind == "resize") {
    if (!(in >> x >> y) || x < 1 || y < 1 || x > 20000 || y > 20000) return false;
    e = view.Resize(x, y);
  } else {
    return false;
  }
  std::string rest;
  if (in >> rest) return false;
  surface.Finish();
  redraw = e.redraw;
  return true;
}

}  // namespace

int RunView(const Args& args) {
  std::string in;
  int width = 800, height = 600;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (!ParseSize(args[++i], width, height)) return ViewUsage();
    } else if (in.empty()) {
      in = args[i];
    } else {
      return ViewUsage();
    }
  }
  if (in.empty()) return ViewUsage();

  // Fonts need a GUI application; no display is needed for drawing into an image.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "kestrel-tool";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);

  render::DrawingView view;
  QImage picture;
  render::ImageSurface surface(&picture);
  view.SetSurface(&surface);
  view.SetSize(width, height);
  const MessageSink messages = [](const Message& m) {
    std::fprintf(stderr, "%s\n", m.text.c_str());
  };
  picture = render::LoadDxfPreview(view.document(), std::filesystem::path(in), QSize(width, height),
                                   {}, messages);
  view.Loaded();
  std::cout << StateJson("load", view, render::Redraw::None) << '\n';

  int status = 0;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    render::Redraw redraw = render::Redraw::None;
    if (!RunEvent(line, view, surface, redraw)) {
      std::fprintf(stderr, "kestrel-tool view: not an event: %s\n", line.c_str());
      status = 2;
    }
    std::cout << StateJson(line, view, redraw) << std::endl;
  }
  return status;
}

}  // namespace kestrel::tool
