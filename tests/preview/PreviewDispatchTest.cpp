#include <gtest/gtest.h>

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/StatusTexts.h"
#include "preview/ImageBox.h"
#include "preview/PreviewDispatch.h"
#include "preview/TextView.h"

using namespace kestrel::preview;

namespace {

// A small stand-in for the main window: the widgets the preview touches, with hooks that
// record what they were asked to do.
struct FakeWindow {
  QWidget window;
  QListView* list = new QListView(&window);
  QStandardItemModel* model = new QStandardItemModel(&window);
  QLabel* status = new QLabel(&window);
  ImageBox* thumbnail = new ImageBox(&window);
  QTabWidget* tabs = new QTabWidget(&window);
  QWidget* textPage = new QWidget;
  QWidget* pdfPage = new QWidget;
  QWidget* drawingPage = new QWidget;
  ImageBox* tabPicture = new ImageBox(drawingPage);
  QLineEdit* fileName = new QLineEdit(drawingPage);
  QLineEdit* measure = new QLineEdit(drawingPage);
  QLabel* pageLabel = new QLabel(pdfPage);
  TextView* text = new TextView(textPage);
  QProgressBar* progress = new QProgressBar(&window);
  QCheckBox* textShow = new QCheckBox(textPage);
  QCheckBox* pdfShow = new QCheckBox(pdfPage);
  QCheckBox* drawingShow = new QCheckBox(drawingPage);
  QPushButton* extract = new QPushButton(&window);
  QPushButton* convert = new QPushButton(&window);
  QPushButton* insert = new QPushButton(&window);
  QPushButton* lspLoad = new QPushButton(&window);
  std::vector<std::string> calls;
  std::string loadedDxf;  // the path the DXF hook was given last
  std::unique_ptr<PreviewDispatch> dispatch;

  FakeWindow() {
    list->setModel(model);
    list->resize(320, 200);
    thumbnail->resize(100, 100);
    tabPicture->resize(300, 200);
    tabs->addTab(textPage, " TEXT");
    tabs->addTab(pdfPage, "  PDF");
    tabs->addTab(drawingPage, "  DXF, Image");
    textShow->setChecked(true);
    pdfShow->setChecked(true);
    PreviewWidgets w;
    w.window = &window;
    w.list = list;
    w.statusPanel = status;
    w.thumbnail = thumbnail;
    w.tabPicture = tabPicture;
    w.fileNameBox = fileName;
    w.measureBox = measure;
    w.pageLabel = pageLabel;
    w.textView = text;
    w.progress = progress;
    w.tabs = tabs;
    w.textShow = textShow;
    w.pdfShow = pdfShow;
    w.drawingShow = drawingShow;
    w.extractButton = extract;
    w.convertButton = convert;
    w.insertButton = insert;
    w.lspLoadButton = lspLoad;
    PreviewHooks h;
    h.pdfAvailable = true;
    h.clearDrawing = [this] { calls.push_back("clearDrawing"); };
    h.closePdf = [this] { calls.push_back("closePdf"); };
    h.showPdf = [this](const std::string& p) {
      calls.push_back("showPdf " + FileNameOf(p));
      return 3;
    };
    h.hidePdf = [this] { calls.push_back("hidePdf"); };
    h.loadDxfPreview = [this](const std::string& p, ImageBox* target, QProgressBar*) {
      calls.push_back(std::string("loadDxf ") + (target == thumbnail ? "thumbnail" : "tab"));
      loadedDxf = p;
    };
    dispatch = std::make_unique<PreviewDispatch>(w, h);
    dispatch->ConnectTriggers();
  }

  // Adds a result line for `path` and selects it, which runs the preview. The line's text is
  // only for showing; the path goes in its own role, as the file system's bytes.
  void Select(const QByteArray& path, uint32_t dateTime = 0x57081E2Au) {
    auto* item = new QStandardItem(QString::fromStdString(
        "[23/08/12] " + kestrel::catalogue::DisplayText(path.toStdString())));
    item->setData(dateTime, Qt::UserRole + 1);
    item->setData(path, Qt::UserRole + 2);
    model->appendRow(item);
    list->setCurrentIndex(item->index());
  }
  void Select(const QString& path, uint32_t dateTime = 0x57081E2Au) {
    Select(QFile::encodeName(path), dateTime);
  }

  std::string Text() const { return text->text().toStdString(); }
};

class PreviewDispatchTest : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QTemporaryDir dir_;
  FakeWindow w_;
};

bool IsBlack(const ImageBox* box) {
  const QImage& image = box->image();
  if (image.isNull()) return true;
  for (int y = 0; y < image.height(); y += 5) {
    for (int x = 0; x < image.width(); x += 5) {
      if ((image.pixel(x, y) & 0xFFFFFF) != 0) return false;
    }
  }
  return true;
}

}  // namespace

TEST_F(PreviewDispatchTest, TextFileSetsTitleStatusButtonsAndHighlighter) {
  const QString path = Write("a b.lsp", "(defun c:hello ()\n  (princ \"日本\"))\n");
  // 2023/08/12 03:49:20 as a packed date and time.
  w_.Select(path, (((43u << 9) | (8u << 5) | 12u) << 16) | ((3u << 11) | (49u << 5) | 10u));
  EXPECT_EQ(w_.window.windowTitle(), "[2023/08/12 03:49:20] a b.lsp");
  EXPECT_EQ(w_.status->text(), path);
  EXPECT_EQ(w_.status->width(), w_.list->width());
  EXPECT_EQ(w_.text->Highlighter(), TextHighlighter::AutoLisp);
  EXPECT_TRUE(w_.lspLoad->isEnabled());
  EXPECT_FALSE(w_.extract->isEnabled());
  EXPECT_FALSE(w_.convert->isEnabled());
  EXPECT_FALSE(w_.insert->isEnabled());
  EXPECT_EQ(w_.Text(), "(defun c:hello ()\n  (princ \"日本\"))\n");
  EXPECT_EQ(w_.calls, (std::vector<std::string>{"clearDrawing", "closePdf"}));

  // The highlighter follows every selection, even with the text hidden.
  w_.textShow->setChecked(false);
  EXPECT_EQ(w_.Text(), "");
  w_.Select(Write("data.csv", "a,b\n"));
  EXPECT_EQ(w_.text->Highlighter(), TextHighlighter::CSharp);
  EXPECT_EQ(w_.Text(), "");
  w_.textShow->setChecked(true);
  EXPECT_EQ(w_.Text(), "a,b\n");
}

TEST_F(PreviewDispatchTest, TextViewShowsHeadsOfBinaryFilesAndFallsBackInEncoding) {
  struct Case {
    const char* name;
    QByteArray bytes;
    std::string shown;
  };
  const Case cases[] = {
      {"drawing.dwg", QByteArray("AC1032") + QByteArray(40, '\0'),
       "AC1032\n = AutoCAD 2018/2019/2020/2021/2022/2023"},
      {"odd.dwg", QByteArray("AC9999") + QByteArray(40, '\0'), "AC9999\n = AutoCAD AC9999"},
      {"doc.pdf", QByteArray("%PDF-1.7\n\xE2\xE3\xCF\xD3\n1 0 obj\n<<>>\nendobj\n"), "%PDF-1.7"},
      {"zeros.bin", QByteArray(64, '\0'), "BinalyFile"},
      {"sjis.txt", QByteArray("\x93\xfa\x96\x7b\x8c\xea"), "日本語"},
      {"utf8.txt", QByteArray("日本語"), "日本語"},
      {"badbom.txt", QByteArray("\xEF\xBB\xBF\x93\xfa"), "!Encoding Error!"},
      {"utf16.txt", QByteArray("\xFF\xFE\xE5\x65\x2C\x67", 6), "日本"},
      {"empty.txt", QByteArray(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    w_.Select(Write(c.name, c.bytes));
    EXPECT_EQ(w_.Text(), c.shown);
  }
}

TEST_F(PreviewDispatchTest, PicturesGoToTheThumbnailOrTheDrawingTab) {
  QImage source(40, 20, QImage::Format_RGB32);
  source.fill(Qt::white);
  const QString png = dir_.filePath("white.png");
  ASSERT_TRUE(source.save(png));

  // TEXT tab active: the thumbnail, scaled to 100 x 50.
  w_.Select(png);
  EXPECT_EQ(w_.thumbnail->image().pixel(50, 50), qRgb(255, 255, 255));
  EXPECT_EQ(w_.thumbnail->image().pixel(50, 20), qRgb(0, 0, 0));
  EXPECT_TRUE(IsBlack(w_.tabPicture));

  // Drawing tab active but switched off: still the thumbnail.
  w_.tabs->setCurrentWidget(w_.drawingPage);
  w_.Select(png);
  EXPECT_FALSE(IsBlack(w_.thumbnail));

  // Drawing tab on: the tab, at actual size in the middle; the thumbnail black.
  w_.drawingShow->setChecked(true);
  const QImage& tab = w_.tabPicture->image();
  EXPECT_EQ(tab.pixel(150, 100), qRgb(255, 255, 255));
  EXPECT_EQ(tab.pixel(125, 100), qRgb(0, 0, 0));
  EXPECT_TRUE(IsBlack(w_.thumbnail));

  // Another kind of file clears only the thumbnail; the tab keeps its picture.
  w_.Select(Write("notes.txt", "x"));
  EXPECT_EQ(w_.tabPicture->image().pixel(150, 100), qRgb(255, 255, 255));

  // A damaged picture clears the picture it was meant for.
  w_.Select(Write("broken.png", "not a png"));
  EXPECT_TRUE(IsBlack(w_.tabPicture));
}

TEST_F(PreviewDispatchTest, DrawingsAndPdfsLoadOnlyOnTheirActiveTabs) {
  const QString dxf = Write("plan.dxf", "  0\nSECTION\n");
  w_.Select(dxf);
  EXPECT_EQ(w_.fileName->text(), "plan.dxf");
  EXPECT_TRUE(w_.insert->isEnabled());
  EXPECT_EQ(w_.calls.back(), "loadDxf thumbnail");

  w_.tabs->setCurrentWidget(w_.drawingPage);
  w_.calls.clear();
  w_.drawingShow->setChecked(true);
  EXPECT_EQ(w_.calls, (std::vector<std::string>{"clearDrawing", "closePdf", "loadDxf tab"}));

  // A PDF chosen on the TEXT tab is not loaded; the change to the PDF tab loads it.
  w_.tabs->setCurrentWidget(w_.textPage);
  w_.calls.clear();
  const QString pdf = Write("doc.pdf", "%PDF-1.7\n");
  w_.Select(pdf);
  EXPECT_TRUE(w_.extract->isEnabled());
  EXPECT_EQ(w_.calls.back(), "hidePdf");
  EXPECT_EQ(w_.pageLabel->text(), "");
  w_.tabs->setCurrentWidget(w_.pdfPage);
  EXPECT_EQ(w_.calls.back(), "showPdf doc.pdf");
  EXPECT_EQ(w_.pageLabel->text(), "1 / 3");
  EXPECT_EQ(w_.Text(), "");  // the hidden TEXT tab is emptied

  // Leaving the PDF tab closes the document without a new preview.
  w_.calls.clear();
  w_.tabs->setCurrentWidget(w_.textPage);
  EXPECT_EQ(w_.calls, (std::vector<std::string>{"closePdf"}));

  // Without a PDF engine nothing of the PDF view is touched.
  w_.dispatch->hooks().pdfAvailable = false;
  w_.tabs->setCurrentWidget(w_.pdfPage);
  w_.calls.clear();
  w_.Select(pdf);
  EXPECT_EQ(w_.calls, (std::vector<std::string>{"clearDrawing"}));
  EXPECT_EQ(w_.pageLabel->text(), "1 / 3");
}

TEST_F(PreviewDispatchTest, UnreadableDwgPreviewStopsAfterTitleAndStatus) {
  w_.Select(Write("first.txt", "kept"));
  w_.dispatch->hooks().showDwgPreview = [](const std::string& path, ImageBox* target) {
    target->clear();
    if (!path.empty()) throw std::runtime_error("silent abort");
  };
  const QString dwg = Write("held.dwg", QByteArray("AC1032") + QByteArray(40, '\0'));
  w_.Select(dwg);
  EXPECT_EQ(w_.status->text(), dwg);
  EXPECT_TRUE(w_.window.windowTitle().endsWith("held.dwg"));
  EXPECT_TRUE(w_.convert->isEnabled());
  EXPECT_EQ(w_.Text(), "kept");
}

TEST_F(PreviewDispatchTest, NoSelectionOnlyClears) {
  w_.Select(Write("a.txt", "text"));
  w_.fileName->setText("old");
  w_.list->clearSelection();
  EXPECT_EQ(w_.status->text(), "");
  EXPECT_EQ(w_.fileName->text(), "");
  EXPECT_EQ(w_.Text(), "text");
}

TEST_F(PreviewDispatchTest, UnreadableFileShowsReadError) {
  w_.Select(dir_.filePath("gone.txt"));
  EXPECT_EQ(w_.Text(), "read error!");
}

// Names that are not UTF-8 or hold a control character: the preview opens the path's own bytes
// and shows the name in its display form.
TEST_F(PreviewDispatchTest, NamesThatAreNotUtf8OrHoldControlsPreviewFromTheirBytes) {
  const QByteArray folder = QFile::encodeName(dir_.path()) + "/";
  // QTemporaryDir removes files by their QString names, which cannot name these.
  struct Written {
    std::vector<std::string> paths;
    ~Written() {
      for (const std::string& p : paths)
        std::remove(p.c_str());
    }
  } written;
  auto write = [&](const QByteArray& name, const QByteArray& bytes) {
    const QByteArray path = folder + name;
    written.paths.push_back(path.toStdString());
    std::ofstream(path.toStdString(), std::ios::binary) << bytes.toStdString();
    return path;
  };
  const QString shownFolder = dir_.path() + "/";

  w_.Select(write("caf\xe9.txt", "caf\xc3\xa9 au lait\n"));
  EXPECT_EQ(w_.Text(), "caf\xc3\xa9 au lait\n");
  EXPECT_EQ(w_.status->text(), shownFolder + QString::fromUtf8("caf\uFFFD.txt"));
  EXPECT_TRUE(w_.window.windowTitle().endsWith(QString::fromUtf8("] caf\uFFFD.txt")));

  w_.Select(write("a\nb.txt", "two\nlines\n"));
  EXPECT_EQ(w_.Text(), "two\nlines\n");
  EXPECT_EQ(w_.status->text(), shownFolder + QString::fromUtf8("a\u240Ab.txt"));
  EXPECT_TRUE(w_.window.windowTitle().endsWith(QString::fromUtf8("] a\u240Ab.txt")));

  QImage white(40, 20, QImage::Format_RGB32);
  white.fill(Qt::white);
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(white.save(&buffer, "PNG"));
  }
  w_.Select(write("\x90\x7d\x96\xca.png", png));  // Shift_JIS 図面
  EXPECT_EQ(w_.thumbnail->image().pixel(50, 50), qRgb(255, 255, 255));

  const QByteArray dxf = write("x\xf0\x01.dxf", "  0\nEOF\n");
  w_.Select(dxf);
  EXPECT_EQ(w_.loadedDxf, dxf.toStdString());
  EXPECT_EQ(w_.fileName->text(), QString::fromUtf8("x\uFFFD\u2401.dxf"));
}
