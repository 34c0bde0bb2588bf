// The real window, offscreen, with a result list of given paths: selecting a line runs the
// preview dispatch with the window's own widgets and hooks. Describe() sums up what the preview
// shows in one line, so that tests compare it with a table.
#pragma once

#include <unistd.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QTabWidget>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/DrawingTab.h"
#include "app/MainWindow.h"
#include "app/ResultListModel.h"
#include "catalogue/FileList.h"
#include "catalogue/StatusTexts.h"
#include "preview/ImageBox.h"
#include "preview/PdfTab.h"
#include "preview/TextTab.h"
#include "preview/TextView.h"

namespace kestrel::test {

// What a preview picture shows: "black" (nothing), "cross" (the cyan X of a drawing that cannot
// be drawn), or "picture" (anything else: a drawing, a bitmap).
inline std::string PictureKind(const QImage& image) {
  if (image.isNull()) return "black";
  constexpr QRgb cyan = 0x00FFFF;
  const int w3 = image.width() / 3, h3 = image.height() / 3;
  if (w3 > 0 && h3 > 0 && (image.pixel(w3, h3) & 0xFFFFFF) == cyan &&
      (image.pixel(2 * w3 - 1, h3) & 0xFFFFFF) == cyan)
    return "cross";
  for (int y = 1; y + 1 < image.height(); ++y) {
    for (int x = 1; x + 1 < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) != 0) return "picture";
    }
  }
  return "black";
}

class PreviewProbe {
 public:
  enum Tab { kText = 0, kPdf = 1, kDrawing = 2 };

  PreviewProbe() {
    static int counter = 0;
    settings_ = std::filesystem::temp_directory_path() /
                ("kestrel-probe-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(settings_);
    app::AppEnvironment env;
    env.settingsFolder = settings_.string() + "/";
    env.settingsFileName = "kestrel.ini";
    env.defaultTopFolder = settings_.string();
    env.messages = [this](const Message& m) { messages.push_back(m.text); };
    window = std::make_unique<app::MainWindow>(env);
    window->resize(803, 412);
  }
  ~PreviewProbe() {
    window.reset();
    std::error_code ec;
    std::filesystem::remove_all(settings_, ec);
  }
  PreviewProbe(const PreviewProbe&) = delete;
  PreviewProbe& operator=(const PreviewProbe&) = delete;

  // The result list holds exactly `paths` (the file system's bytes), in this order.
  void List(const std::vector<std::string>& paths) {
    catalogue::FileList list;
    std::vector<uint32_t> hits;
    for (const std::string& p : paths) {
      hits.push_back(uint32_t(list.size()));
      list.Append(p, 0x57081E2Au);
    }
    window->resultModel()->SetHits(list, hits);
    paths_ = paths;
  }

  // Makes `tab` the page on show with its " 表示" box ticked.
  void ShowTab(Tab tab) {
    window->tabs()->setCurrentIndex(tab);
    QCheckBox* box = tab == kText  ? window->textShowBox()
                     : tab == kPdf ? window->pdfTab()->ShowBox()
                                   : window->drawingTab()->ShowBox();
    box->setChecked(true);
  }

  // Selects line `row`, which previews it. An error the preview throws is what the program's
  // error boundary would show in its error box; it is kept for Describe.
  void Select(int row) {
    errorBox_.clear();
    try {
      window->resultList()->clearSelection();
      window->resultList()->setCurrentIndex(window->resultModel()->index(row));
    } catch (const std::exception& e) {
      errorBox_ = e.what();
    }
  }

  // "text=...|thumbnail=...|tab picture=..." and whether the status bar and the title name the
  // selected file.
  std::string Describe(int row) const {
    const std::string shown = catalogue::DisplayText(paths_[size_t(row)]);
    const std::string name = shown.substr(shown.rfind('/') + 1);
    const bool named = window->statusPanel()->text().toStdString() == shown &&
                       window->windowTitle().toStdString().ends_with("] " + name);
    return "text=" + window->textTab()->View()->text().toStdString() +
           "|thumbnail=" + PictureKind(window->thumbnail()->image()) +
           "|tab picture=" + PictureKind(window->drawingTab()->Picture()->image()) +
           (errorBox_.empty() ? "" : "|error box=" + errorBox_) +
           (named ? "" : "|not named: " + window->statusPanel()->text().toStdString());
  }

  std::unique_ptr<app::MainWindow> window;
  std::vector<std::string> messages;

 private:
  std::filesystem::path settings_;
  std::vector<std::string> paths_;
  std::string errorBox_;
};

}  // namespace kestrel::test
