// Previewing the selected result line: the title, status text and command buttons for every
// selection, and the content of whichever preview tab is showing and switched on.
#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "preview/core/PreviewRules.h"

class QAbstractButton;
class QAbstractItemView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QProgressBar;
class QTabWidget;
class QWidget;

namespace kestrel::preview {

class ImageBox;
class TextView;

// The window's widgets that the preview reads or changes. All must be set, except that
// without a text view the TEXT tab is left alone.
struct PreviewWidgets {
  QWidget* window = nullptr;          // its title names the selected file
  QAbstractItemView* list = nullptr;  // result lines; the packed date-time in `dateTimeRole`
  int dateTimeRole = 0x0101;          // Qt::UserRole + 1
  int pathRole = 0x0102;  // Qt::UserRole + 2: the path as the file system's bytes (QByteArray)
  QLabel* statusPanel = nullptr;     // the status bar's one panel
  ImageBox* thumbnail = nullptr;     // 100 x 100 beside the search controls
  ImageBox* tabPicture = nullptr;    // the "  DXF, Image" tab's picture
  QLineEdit* fileNameBox = nullptr;  // DXF tab: the drawing's file name
  QLineEdit* measureBox = nullptr;   // DXF tab: measuring read-out
  QLabel* pageLabel = nullptr;       // PDF tab: "1 / n"
  TextView* textView = nullptr;      // " TEXT" tab
  QProgressBar* progress = nullptr;  // handed to the DXF loader
  QTabWidget* tabs = nullptr;
  int textTab = 0;  // page indices of " TEXT", "  PDF" and "  DXF, Image"
  int pdfTab = 1;
  int drawingTab = 2;
  QCheckBox* textShow = nullptr;  // each tab's " 表示" box
  QCheckBox* pdfShow = nullptr;
  QCheckBox* drawingShow = nullptr;
  QAbstractButton* extractButton = nullptr;  // "抽出"
  QAbstractButton* convertButton = nullptr;  // "DWG -> DXF"
  QAbstractButton* insertButton = nullptr;   // insert into CAD
  QAbstractButton* lspLoadButton = nullptr;  // "LSP ロード"
};

// What other subsystems do for the preview. Every hook may be left empty; the preview then
// does the least it can (a black picture, no PDF, the version string unchanged). Every path
// is the file system's bytes (base/PathBytes.h), which need not be UTF-8: open it through
// NativePath, never through display text.
struct PreviewHooks {
  bool pdfAvailable = false;
  std::function<void()> clearDrawing;  // drop the loaded drawing model
  std::function<void()> closePdf;
  // Shows the PDF view at normal rotation, smooth scrolling, fitted, with the file loaded;
  // returns the page count. A file the engine cannot open throws, which ends the preview.
  std::function<int(const std::string& path)> showPdf;
  std::function<void()> hidePdf;
  // The DWG's stored preview into the picture, or black for an empty path. A preview that
  // cannot be read throws the silent abort, which ends the preview.
  std::function<void(const std::string& path, ImageBox* target)> showDwgPreview;
  std::function<void(const std::string& path, ImageBox* target, QProgressBar* progress)>
      loadDxfPreview;
  // Runs one event handler of the preview inside the window's error boundary (error box,
  // silent abort). Empty: exceptions are swallowed so that none reaches Qt's event loop.
  std::function<void(const std::function<void()>&)> runHandler;
};

class PreviewDispatch {
 public:
  PreviewDispatch(PreviewWidgets widgets, PreviewHooks hooks);

  PreviewHooks& hooks() { return hooks_; }

  // Previews the selected result line, or only clears when there is none.
  void PreviewSelectedEntry();

  // The preview's triggers: the list's selection, the three " 表示" boxes, and the change of
  // tab (to the PDF tab it previews again; to any other it closes the PDF document). The
  // list's model must be set first: the selection model is connected, not the list.
  void ConnectTriggers();

  // Loads the file at `path` (bytes) into the text view as the TEXT tab shows it: the head of
  // a binary file, or the whole text in the first encoding that decodes it.
  void LoadTextView(const std::string& path, const std::string& upperExt);

  // A black picture of the box's size: what the DWG preview gives without a file.
  void BlankPicture(ImageBox* box) { ClearPicture(box); }

 private:
  QModelIndex SelectedIndex() const;
  bool Shows(int tab, QCheckBox* box) const;
  void ClearPicture(ImageBox* box);
  void ShowPictureFile(const std::string& path, ImageBox* box, bool scaleToFit);
  void PreviewPictures(const std::string& path, const std::string& ext);
  void PreviewPdfOrDrawing(const std::string& path, const std::string& ext);
  void SetText(const std::string& utf8);
  void Run(const std::function<void()>& handler);

  PreviewWidgets w_;
  PreviewHooks hooks_;
  // The context of the trigger connections: they end with the dispatch, also while the
  // window's widgets are being destroyed after it.
  QObject connections_;
};

}  // namespace kestrel::preview
