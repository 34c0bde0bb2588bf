// kestrel-tool pdf-view FILE [--size WxH]: FILE in the PDF tab's view with a page panel of that
// size (default 800x600), the tab active and " 表示" ticked. Reads commands from standard
// input, one a line, and prints one JSON object a line: one after the load, one after each
// command. Commands: next, prev, rotate, rotate-to 0|1|2|3, zoom-in, zoom-out, fit, fit-width,
// fit-height, page N, highlight TEXT, wheel up|down X Y [ctrl] [shift]. Exit status 1 when the
// file cannot be opened (after its line) or there is no PDF engine, 2 for bad arguments.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QWheelEvent>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "preview/PdfTab.h"
#include "preview/PdfView.h"
#include "tool/Commands.h"

namespace kestrel::tool {
namespace {

using preview::PdfCommand;

int PdfViewUsage() {
  std::fputs("usage: kestrel-tool pdf-view FILE [--size WxH]\n", stderr);
  return 2;
}

std::string Json(const std::string& s) {
  std::string out = "\"";
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void PrintState(const preview::PdfTab& tab, const std::string& event, const std::string& error) {
  const preview::PdfView& view = *tab.View();
  const preview::PdfViewLogic& logic = view.Logic();
  const QSize px = view.DrawnPageSize();
  std::printf(
      "{\"event\":%s,%s\"PageIndex\":%d,\"PageCount\":%d,\"label\":%s,\"Rotation\":%d,"
      "\"ScaleMode\":%d,\"ZoomPercentage\":%d,\"matches\":%zu,\"page_px\":[%d,%d]}\n",
      Json(event).c_str(), error.empty() ? "" : ("\"error\":" + Json(error) + ",").c_str(),
      logic.PageIndex(), logic.PageCount(), Json(tab.PageLabel()->text().toStdString()).c_str(),
      int(logic.Rotation()), int(logic.ScaleMode()), logic.ZoomPercentage(), logic.Marks().size(),
      px.width(), px.height());
  std::fflush(stdout);
}

// One notch of the wheel over the page panel: the view's own handling, then the main window's
// branch, as the window delivers it.
void Wheel(preview::PdfTab& tab, int delta, QPoint at, Qt::KeyboardModifiers modifiers) {
  QWidget* viewport = tab.View()->viewport();
  const QPoint global = tab.PagePanel()->mapToGlobal(at);
  QWheelEvent event(QPointF(viewport->mapFrom(tab.PagePanel(), at)), QPointF(global), QPoint(),
                    QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(viewport, &event);
  tab.WindowWheel(global, delta, modifiers);
}

// Runs one command line; false when it is not one.
bool RunLine(preview::PdfTab& tab, const std::string& line, std::string& event) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  event = word;
  static const std::pair<const char*, PdfCommand> kSimple[] = {
      {"next", PdfCommand::NextPage},      {"prev", PdfCommand::PrevPage},
      {"rotate", PdfCommand::Rotate},      {"zoom-in", PdfCommand::ZoomIn},
      {"zoom-out", PdfCommand::ZoomOut},   {"fit", PdfCommand::Fit},
      {"fit-width", PdfCommand::FitWidth}, {"fit-height", PdfCommand::FitHeight},
  };
  for (const auto& [name, command] : kSimple) {
    if (word == name) {
      tab.Run(command);
      return true;
    }
  }
  if (word == "rotate-to") {
    static const PdfCommand kRotations[] = {PdfCommand::Rotate0, PdfCommand::Rotate90,
                                            PdfCommand::Rotate180, PdfCommand::Rotate270};
    int r = -1;
    if (!(in >> r) || r < 0 || r > 3) return false;
    tab.Run(kRotations[r]);
    return true;
  }
  if (word == "page") {
    int page = 0;
    if (!(in >> page)) return false;
    tab.View()->SetPageIndex(page);
    return true;
  }
  if (word == "highlight") {
    const size_t at = line.find("highlight") + std::string("highlight").size();
    const std::string text = at < line.size() ? line.substr(at + 1) : std::string();
    tab.HighlightBox()->setText(QString::fromStdString(text));
    tab.Highlight();
    return true;
  }
  if (word == "wheel") {
    std::string direction, modifier;
    int x = 0, y = 0;
    if (!(in >> direction >> x >> y) || (direction != "up" && direction != "down")) return false;
    Qt::KeyboardModifiers modifiers;
    while (in >> modifier) {
      if (modifier == "ctrl") {
        modifiers |= Qt::ControlModifier;
      } else if (modifier == "shift") {
        modifiers |= Qt::ShiftModifier;
      } else {
        return false;
      }
    }
    Wheel(tab, direction == "up" ? 120 : -120, QPoint(x, y), modifiers);
    return true;
  }
  return false;
}

}  // namespace

int RunPdfView(const Args& args) {
  std::string file;
  int width = 800, height = 600;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (!ParseSize(args[++i], width, height)) return PdfViewUsage();
    } else if (file.empty()) {
      file = args[i];
    } else {
      return PdfViewUsage();
    }
  }
  if (file.empty()) return PdfViewUsage();

  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "kestrel-tool";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  preview::PdfTab tab;
  if (!tab.CreateView()) {
    std::fputs("PDFium.DLL が見つかりません.\n", stderr);
    return 1;
  }
  // The bar keeps its height; the page panel gets the rest.
  tab.resize(width, height + 53);
  tab.show();
  QCoreApplication::processEvents();
  const QSize panel = tab.PagePanel()->size();
  if (panel != QSize(width, height)) {
    tab.resize(tab.width() + width - panel.width(), tab.height() + height - panel.height());
    QCoreApplication::processEvents();
  }

  try {
    const int pages = tab.Show(file);
    tab.PageLabel()->setText(QStringLiteral("1 / %1").arg(pages));
  } catch (const std::exception& e) {
    PrintState(tab, "load", e.what());
    return 1;
  }
  PrintState(tab, "load", {});

  // Lines are read on a thread of their own and run on the window's, whose events (painting,
  // the rendered tiles) go on between them.
  auto runLine = [&tab](std::string line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(' ') == std::string::npos) return;
    std::string event;
    if (!RunLine(tab, line, event)) {
      std::printf("{\"event\":\"error\",\"message\":%s}\n",
                  Json("unknown command: " + line).c_str());
      std::fflush(stdout);
      return;
    }
    PrintState(tab, event, {});
  };
  std::thread reader([&app, &runLine] {
    std::string line;
    while (std::getline(std::cin, line))
      QMetaObject::invokeMethod(
          &app, [&runLine, line] { runLine(line); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  });
  app.exec();
  reader.join();
  return 0;
}

}  // namespace kestrel::tool
