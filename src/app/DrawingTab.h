// The "  DXF, Image" tab: a bar with " 表示", "DWG -> DXF" and the name of the shown file, the
// drawing view, and the status box under it. The tab owns the drawing on show, its view, the
// saved view and the gesture state; its view widget only turns mouse events into calls of the
// view's logic and shows the pictures and overlays the logic makes.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

#include "base/Messages.h"
#include "render/DrawingView.h"
#include "render/ImageSurface.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWheelEvent;

namespace kestrel::preview {
class ImageBox;
}

namespace kestrel::app {

class DrawingTab : public QWidget {
  Q_OBJECT
 public:
  explicit DrawingTab(MessageSink messages, QWidget* parent = nullptr);

  // What the tab asks of the window: whether a result-list entry is selected, whether the tab
  // is the active page, and blanking the thumbnail (" 表示" ticked takes the drawing from it).
  struct Window {
    std::function<bool()> entrySelected;
    std::function<bool()> tabActive;
    std::function<void()> blankThumbnail;
  };
  void SetWindow(Window window) { window_ = std::move(window); }

  // The widgets the preview dispatch fills.
  preview::ImageBox* Picture() const { return image2_; }
  QLineEdit* NameBox() const { return edit5_; }
  QLineEdit* StatusBox() const { return edit4_; }
  QCheckBox* ShowBox() const { return showBox_; }
  QPushButton* ConvertButton() const { return convertButton_; }

  // Draws the DXF at `path` (the file system's bytes) into `target` at its size, the tab's own
  // picture when `target` is null, with progress on `progress`. Loaded into the tab's picture,
  // the drawing can then be zoomed, panned and measured.
  void LoadDxfPreview(const std::string& path, preview::ImageBox* target = nullptr,
                      QProgressBar* progress = nullptr);
  // A new selection: the previous drawing is gone, nothing is on show.
  void Clear();
  // After a command ran out of memory: the drawing's memory goes too, not only its records.
  void Release();
  // Blanks the picture and both boxes.
  void ClearBoxes();

  bool DrawingShown() const { return view_.document().DrawingShown; }
  render::DrawingView& View() { return view_; }
  // Redraws of the view so far (overlays are not redraws).
  int Redraws() const { return surface_.redraws(); }

  // The wheel of the window, routed here when the pointer is over `under`: acts only over the
  // tab's page area (not its bar or status box). True when the event is used up.
  bool Wheel(QWidget* under, QWheelEvent* event);

 signals:
  // "DWG -> DXF" was clicked: the converter takes it from here.
  void ConvertRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void UpdateConditions();
  void Show(const render::ViewEvent& e);

  MessageSink messages_;
  Window window_;
  QCheckBox* showBox_;
  QPushButton* convertButton_;
  QLineEdit* edit5_;
  preview::ImageBox* image2_;
  QLineEdit* edit4_;
  render::DrawingView view_;
  render::ImageSurface surface_;
  int wheelRemainder_ = 0;  // eighths of a degree short of a whole notch
};

}  // namespace kestrel::app
