// The "  PDF" tab: a 53-pixel bar of two rows (" 表示", "<", ">", the page label, "回転",
// "縮小", "拡大", "フィット"; the highlight box and "ハイライト") over the page panel with the
// PDF view and its context menu. The main window places it; the preview dispatch shows, hides
// and closes the document through Show, Hide and Close.
#pragma once

#include <QWidget>
#include <string>

#include "preview/core/PdfViewLogic.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPdfDocument;
class QPushButton;

namespace kestrel::preview {

class PdfView;

class PdfTab : public QWidget {
  Q_OBJECT
 public:
  explicit PdfTab(QWidget* parent = nullptr);

  // Creates the PDF engine; the result is PdfAvailable. Without the engine every command of
  // the tab does nothing.
  bool CreateView();
  bool PdfAvailable() const { return available_; }

  // The dispatch's PDF steps: shows the view unrotated, smoothly scrolled and fitted, with the
  // file loaded, and returns its page count (throws when the engine cannot open the file);
  // hides the view; closes the document.
  int Show(const std::string& path);
  void Hide();
  void Close();

  // A command of the bar or of the view's menu; the page commands rewrite the page label.
  void Run(PdfCommand command);
  // "ハイライト" with the highlight box's text.
  void Highlight();
  // The main window's wheel branch while this tab is the active page: the pointer at
  // `globalPos`, one event of `delta` wheel units. Switches to zoom mode with Shift or Ctrl,
  // else turns the page in a fit mode; nothing when the pointer is not strictly inside the
  // page panel. The event stays unhandled.
  void WindowWheel(QPoint globalPos, int delta, Qt::KeyboardModifiers modifiers);

  PdfView* View() const { return view_; }
  QWidget* PagePanel() const { return panel_; }
  QCheckBox* ShowBox() const { return showBox_; }
  QLabel* PageLabel() const { return pageLabel_; }
  QLineEdit* HighlightBox() const { return highlightBox_; }
  QMenu* ContextMenu() const { return menu_; }
  // "テキスト抽出" of the context menu; the extraction connects to it.
  QAction* ExtractAction() const { return extractAction_; }
  // The open document, for the extraction that reads its pages; null when none is open.
  QPdfDocument* Document() const;
  // A bar button by its caption ("<", ">", "回転", "縮小", "拡大", "フィット", "ハイライト").
  QPushButton* Button(const QString& caption) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();

  bool available_ = false;
  QCheckBox* showBox_;
  QLabel* pageLabel_;
  QLineEdit* highlightBox_;
  QWidget* panel_;
  PdfView* view_;
  QMenu* menu_ = nullptr;
  QAction* extractAction_ = nullptr;
};

}  // namespace kestrel::preview
