// The document text extraction command of the window: "抽出" on the TEXT tab, the result
// list's "■ PDF から TEXT を抽出" and the PDF view's "テキスト抽出" all run it. It owns its two
// rows of the result list's popup menu (the command and the "PDF Text 抽出に Pdfium.dll を使う"
// check mark) and fills the text view while events run, guarded against a dispatch or a
// second extraction that runs meanwhile.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "base/Messages.h"
#include "extract/ExtractCommand.h"

class QAbstractButton;
class QAction;
class QProgressBar;
class QTabWidget;

namespace kestrel::preview {
class TextView;
}

namespace kestrel::app {

struct TextExtractionParts {
  QTabWidget* tabs = nullptr;
  int textTab = 0;
  preview::TextView* view = nullptr;
  QProgressBar* progress = nullptr;
  QAbstractButton* extractButton = nullptr;  // "抽出"; may be null
  std::function<std::optional<std::string>()> selectedPath;
  std::function<bool()> pdfAvailable;
  MessageSink messages;
};

class TextExtraction : public QObject {
  Q_OBJECT
 public:
  TextExtraction(TextExtractionParts parts, QObject* parent = nullptr);

  // The popup rows, for the window to place in the designed order.
  QAction* ExtractAction() const { return extractAction_; }
  QAction* UsesPdfiumAction() const { return usesPdfiumAction_; }

  bool UsesPdfEngine() const;
  void SetUsesPdfEngine(bool on);

  // The PDF view's part (the document it holds, loading into it); set by whoever has the view.
  extract::PdfViewLink pdfView;

  // Runs the extraction on the selected entry. Errors reach the window's error boundary.
  void Run();
  bool Busy() const { return running_ > 0; }

 private:
  TextExtractionParts parts_;
  QAction* extractAction_;
  QAction* usesPdfiumAction_;
  int running_ = 0;
  int generation_ = 0;  // bumped by every run, so that an older run sees a newer one
};

}  // namespace kestrel::app
