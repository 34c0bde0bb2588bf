#include "preview/PreviewDispatch.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>

#include "catalogue/StatusTexts.h"
#include "dxf/HeaderScan.h"
#include "preview/ImageBox.h"
#include "preview/Picture.h"
#include "preview/TextView.h"
#include "preview/core/FileHead.h"
#include "preview/core/TextDecode.h"

namespace kestrel::preview {
namespace {

TextHighlighter ToTextHighlighter(Highlighter h) {
  switch (h) {
    case Highlighter::None:
      return TextHighlighter::None;
    case Highlighter::Pascal:
      return TextHighlighter::Pascal;
    case Highlighter::Cpp:
      return TextHighlighter::Cpp;
    case Highlighter::VisualBasic:
      return TextHighlighter::VisualBasic;
    case Highlighter::CSharp:
      return TextHighlighter::CSharp;
    case Highlighter::AutoLisp:
      return TextHighlighter::AutoLisp;
  }
  return TextHighlighter::None;
}

}  // namespace

PreviewDispatch::PreviewDispatch(PreviewWidgets widgets, PreviewHooks hooks)
    : w_(widgets), hooks_(std::move(hooks)) {}

QModelIndex PreviewDispatch::SelectedIndex() const {
  // The selection, not the current index: while the selection changes, the current index
  // still names the previous line.
  const QItemSelectionModel* selection = w_.list->selectionModel();
  if (!selection) return {};
  const QModelIndexList rows = selection->selectedIndexes();
  return rows.isEmpty() ? QModelIndex() : rows.first();
}

bool PreviewDispatch::Shows(int tab, QCheckBox* box) const {
  return w_.tabs->currentIndex() == tab && box->isChecked();
}

void PreviewDispatch::ClearPicture(ImageBox* box) {
  if (hooks_.showDwgPreview) {
    hooks_.showDwgPreview(std::string(), box);
  } else {
    box->clear();
  }
}

void PreviewDispatch::ShowPictureFile(const std::string& path, ImageBox* box, bool scaleToFit) {
  const QImage picture = LoadPicture(path, scaleToFit ? box->size() : QSize());
  if (picture.isNull()) {
    ClearPicture(box);
    return;
  }
  box->setImage(PictureOnBlack(picture, box->size(),
                               scaleToFit ? PictureFit::ScaleToFit : PictureFit::Centre));
}

void PreviewDispatch::PreviewSelectedEntry() {
  w_.measureBox->clear();
  w_.fileNameBox->clear();
  if (hooks_.clearDrawing) hooks_.clearDrawing();
  if (hooks_.pdfAvailable && hooks_.closePdf) hooks_.closePdf();
  w_.statusPanel->clear();

  const QModelIndex selected = SelectedIndex();
  if (!selected.isValid()) return;
  // The path's own bytes: the line's text is only for showing, and a name that is not UTF-8
  // or holds a control character would not come back from it.
  const QByteArray pathBytes = selected.data(w_.pathRole).toByteArray();
  const std::string path(pathBytes.constData(), static_cast<size_t>(pathBytes.size()));
  const std::string ext = UpperExtension(path);

  w_.extractButton->setEnabled(IsExtractableExtension(ext));
  w_.convertButton->setEnabled(ext == ".DWG");
  w_.insertButton->setEnabled(ext == ".DWG" || ext == ".DXF");
  w_.lspLoadButton->setEnabled(ext == ".LSP");
  w_.statusPanel->setFixedWidth(w_.list->width());
  w_.statusPanel->setText(QString::fromStdString(catalogue::DisplayText(path)));
  if (w_.textView) w_.textView->SetHighlighter(ToTextHighlighter(ChooseHighlighter(ext)));
  const uint32_t dateTime = selected.data(w_.dateTimeRole).toUInt();
  w_.window->setWindowTitle(
      QString::fromStdString(catalogue::DisplayText(PreviewTitle(dateTime, path))));

  PreviewPictures(path, ext);
  PreviewPdfOrDrawing(path, ext);
  if (w_.textView) LoadTextView(path, ext);
}

void PreviewDispatch::PreviewPictures(const std::string& path, const std::string& ext) {
  const QString name = QString::fromStdString(catalogue::DisplayText(FileNameOf(path)));
  const bool drawingTab = Shows(w_.drawingTab, w_.drawingShow);
  if (ext == ".DWG") {
    // An unreadable preview ends the whole preview here (silent abort from the hook).
    if (hooks_.showDwgPreview) {
      hooks_.showDwgPreview(path, w_.thumbnail);
    } else {
      w_.thumbnail->clear();
    }
    ClearPicture(w_.tabPicture);
    w_.fileNameBox->setText(name);
  } else if (ext == ".DXF") {
    // On the drawing tab the drawing goes to the tab's picture (below) instead.
    if (drawingTab || !hooks_.loadDxfPreview) {
      ClearPicture(w_.thumbnail);
    } else {
      hooks_.loadDxfPreview(path, w_.thumbnail, w_.progress);
    }
    w_.fileNameBox->setText(name);
  } else if (IsPictureExtension(ext)) {
    ImageBox* shown = drawingTab ? w_.tabPicture : w_.thumbnail;
    ShowPictureFile(path, shown, shown == w_.thumbnail);
    ClearPicture(drawingTab ? w_.thumbnail : w_.tabPicture);
  } else {
    // The tab keeps the last drawing or picture.
    ClearPicture(w_.thumbnail);
  }
}

void PreviewDispatch::PreviewPdfOrDrawing(const std::string& path, const std::string& ext) {
  if (hooks_.pdfAvailable && ext == ".PDF") {
    if (Shows(w_.pdfTab, w_.pdfShow) && hooks_.showPdf) {
      const int pages = hooks_.showPdf(path);
      w_.pageLabel->setText(QStringLiteral("1 / %1").arg(pages));
    } else {
      if (hooks_.hidePdf) hooks_.hidePdf();
      w_.pageLabel->clear();
    }
  } else if (ext == ".DXF" && Shows(w_.drawingTab, w_.drawingShow) && hooks_.loadDxfPreview) {
    hooks_.loadDxfPreview(path, w_.tabPicture, w_.progress);
  }
}

void PreviewDispatch::LoadTextView(const std::string& path, const std::string& ext) {
  if (!Shows(w_.textTab, w_.textShow)) {
    if (w_.textView->LineCount() > 0) w_.textView->Clear();
    return;
  }
  const THeadSniff head = SniffFileHead(path);
  if (head.binary) {
    if (head.head.empty()) {
      SetText("BinalyFile");
    } else if (ext == ".DWG") {
      // The version string and the releases that write it.
      SetText(head.head + "\n = AutoCAD " + dxf::ReleaseNameOfVersion(head.head));
    } else {
      SetText(head.head);
    }
    return;
  }
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    SetText("read error!");
    return;
  }
  const std::optional<TDecodedText> text = DecodeOwnedForTextView(std::move(*bytes));
  SetText(text ? text->text : std::string("!Encoding Error!"));
}

void PreviewDispatch::SetText(const std::string& utf8) {
  // The view copies the bytes; no need for a copy of a large file here.
  w_.textView->SetTextUtf8(QByteArray::fromRawData(utf8.data(), qsizetype(utf8.size())));
}

void PreviewDispatch::Run(const std::function<void()>& handler) {
  if (hooks_.runHandler) {
    hooks_.runHandler(handler);
    return;
  }
  try {
    handler();
  } catch (...) {
    // No error boundary was given; Qt's event loop must not see the exception.
  }
}

void PreviewDispatch::ConnectTriggers() {
  QObject::connect(w_.list->selectionModel(), &QItemSelectionModel::selectionChanged, &connections_,
                   [this] { Run([this] { PreviewSelectedEntry(); }); });
  QObject::connect(w_.textShow, &QCheckBox::toggled, &connections_, [this] {
    Run([this] {
      if (w_.textView) w_.textView->Clear();
      PreviewSelectedEntry();
    });
  });
  QObject::connect(w_.pdfShow, &QCheckBox::toggled, &connections_, [this](bool checked) {
    Run([this, checked] {
      if (!checked && hooks_.pdfAvailable && hooks_.closePdf) hooks_.closePdf();
      PreviewSelectedEntry();
    });
  });
  QObject::connect(w_.drawingShow, &QCheckBox::toggled, &connections_,
                   [this] { Run([this] { PreviewSelectedEntry(); }); });
  QObject::connect(w_.tabs, &QTabWidget::currentChanged, &connections_, [this] {
    Run([this] {
      if (w_.tabs->currentIndex() == w_.pdfTab) {
        PreviewSelectedEntry();
      } else if (hooks_.pdfAvailable && hooks_.closePdf) {
        hooks_.closePdf();
      }
    });
  });
}

}  // namespace kestrel::preview
