// The extraction command as the window runs it: where it starts, its messages, the two paths,
// the progress, and a dispatch or a second extraction that runs while it lets events through.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/MainWindow.h"
#include "app/ResultListModel.h"
#include "app/TextExtraction.h"
#include "extract/TestDocuments.h"
#include "preview/PdfTab.h"
#include "preview/PdfView.h"
#include "preview/TextTab.h"
#include "preview/TextView.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::string kPdf = std::string(KESTREL_CORPUS_DIR) + "/pdf/pdfminer_pagelabels.pdf";

class TextExtractionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("kestrel-extract-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    tabs_ = std::make_unique<QTabWidget>();
    view_ = new preview::TextView;
    tabs_->addTab(view_, " TEXT");
    tabs_->addTab(new QWidget, "  PDF");
    tabs_->setCurrentIndex(1);
    progress_ = new QProgressBar(tabs_.get());
    progress_->setValue(0);
    button_ = new QPushButton(tabs_.get());
    extraction_ =
        new app::TextExtraction({tabs_.get(), 0, view_, progress_, button_,
                                 [this] { return selected_; }, [this] { return pdfAvailable_; },
                                 [this](const Message& m) { messages_.push_back(m.text); }},
                                tabs_.get());
  }
  void TearDown() override {
    tabs_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::vector<QString> Lines() const {
    std::vector<QString> lines;
    for (int i = 0; i < view_->LineCount(); ++i)
      lines.push_back(view_->Line(i));
    return lines;
  }
  // A document long enough that the command lets events through while it adds its lines.
  std::string LongDocx(const std::string& word) {
    std::string body;
    for (int i = 0; i < 200'000; ++i)
      body += Paragraph(word);
    return Write(word + ".docx", Docx(body));
  }

  std::filesystem::path dir_;
  std::unique_ptr<QTabWidget> tabs_;
  preview::TextView* view_;
  QProgressBar* progress_;
  QPushButton* button_;
  app::TextExtraction* extraction_;
  std::optional<std::string> selected_;
  bool pdfAvailable_ = true;
  std::vector<std::string> messages_;
};

TEST_F(TextExtractionTest, DocxFromTheButtonFillsTheTextTabAndLeavesProgressAtZero) {
  selected_ = Write("文書.DOCX", Docx(Paragraph("一行目") + Paragraph("二行目")));
  view_->AddLine("前の内容");
  button_->click();
  EXPECT_EQ(tabs_->currentIndex(), 0);
  EXPECT_EQ(Lines(), (std::vector<QString>{"一行目", "二行目"}));
  EXPECT_EQ(progress_->value(), 0);
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(extraction_->Busy());
}

TEST_F(TextExtractionTest, WhatEndsTheCommandBeforeItReads) {
  const struct {
    const char* what;
    std::optional<std::string> selected;
    std::vector<std::string> messages;
  } cases[] = {
      {"nothing selected", std::nullopt, {}},
      {"the file is gone", (dir_ / "gone.docx").string(), {}},
      {"a text file", Write("a.txt", "text"), {"対応していないファイル形式です"}},
      {"a drawing", Write("a.dwg", "AC1032"), {"対応していないファイル形式です"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    messages_.clear();
    tabs_->setCurrentIndex(1);
    view_->Clear();
    view_->AddLine("そのまま");
    selected_ = c.selected;
    extraction_->ExtractAction()->trigger();
    EXPECT_EQ(tabs_->currentIndex(), 0);
    EXPECT_EQ(messages_, c.messages);
    EXPECT_EQ(Lines(), std::vector<QString>{"そのまま"});
  }
}

TEST_F(TextExtractionTest, PdfGoesToTheEngineOnlyWithTheOptionTicked) {
  selected_ = kPdf;
  // Unticked: the extractor's text, whatever the engine's state.
  pdfAvailable_ = false;
  extraction_->Run();
  EXPECT_GT(view_->LineCount(), 3);
  const std::vector<QString> library = Lines();

  // Ticked: page by page from the engine, one progress step per page, into the PDF view.
  extraction_->SetUsesPdfEngine(true);
  pdfAvailable_ = true;
  std::vector<int> steps;
  QObject::connect(progress_, &QProgressBar::valueChanged, [&](int v) { steps.push_back(v); });
  std::string viewFile = "other.pdf";
  int loads = 0, lastShown = -1;
  extraction_->pdfView = {[&] { return viewFile; },
                          [&](const std::string& path) {
                            viewFile = path;
                            ++loads;
                          },
                          [&](int page) { lastShown = page; }};
  extraction_->Run();
  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5, 0}));
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(lastShown, 4);  // the view ends on the last page
  EXPECT_EQ(Lines().front(), library.front());
  // From the PDF view's own menu: the document it holds is reused.
  extraction_->Run();
  EXPECT_EQ(loads, 1);

  // Ticked but no engine: the view is only emptied.
  pdfAvailable_ = false;
  extraction_->Run();
  EXPECT_EQ(view_->LineCount(), 0);
}

TEST_F(TextExtractionTest, AFileTheEngineCannotOpenRaisesForTheErrorBox) {
  selected_ = Write("broken.pdf", "%PDF-1.7 nothing else");
  extraction_->SetUsesPdfEngine(true);
  EXPECT_THROW(extraction_->Run(), std::runtime_error);
  EXPECT_EQ(view_->LineCount(), 0);
  EXPECT_FALSE(extraction_->Busy());
  selected_ = Write("broken.docx", "not a zip");
  EXPECT_THROW(extraction_->Run(), std::runtime_error);
}

TEST_F(TextExtractionTest, ALongDocumentComesWhole) {
  selected_ = LongDocx("長い");
  extraction_->Run();
  EXPECT_EQ(view_->LineCount(), 200'000);
  EXPECT_EQ(view_->Line(199'999), "長い");
}

TEST_F(TextExtractionTest, ADispatchThatReplacesTheTextStopsTheExtraction) {
  selected_ = LongDocx("長い");
  QTimer::singleShot(0, view_, [this] {
    view_->Clear();
    view_->AddLine("次の選択");  // what a dispatch of another file shows
  });
  extraction_->Run();
  EXPECT_EQ(Lines(), std::vector<QString>{"次の選択"});
  EXPECT_EQ(progress_->value(), 0);
}

TEST_F(TextExtractionTest, ASecondExtractionMeanwhileWins) {
  selected_ = LongDocx("最初");
  const std::string second = Write("二番目.docx", Docx(Paragraph("二番目")));
  QTimer::singleShot(0, view_, [&] {
    selected_ = second;
    extraction_->Run();
  });
  extraction_->Run();
  EXPECT_EQ(Lines(), std::vector<QString>{"二番目"});
  EXPECT_FALSE(extraction_->Busy());
}

TEST_F(TextExtractionTest, TheTextViewFreedMeanwhileIsNotTouched) {
  selected_ = LongDocx("消える");
  QTimer::singleShot(0, view_, [this] { delete view_; });
  extraction_->Run();  // no crash, nothing more to do
  SUCCEED();
}

TEST_F(TextExtractionTest, APdfViewClosedMeanwhileIsNotRead) {
  selected_ = std::string(KESTREL_CORPUS_DIR) + "/pdf/textract_two_column.pdf";
  extraction_->SetUsesPdfEngine(true);
  std::string viewFile = *selected_;
  std::vector<int> shown;
  extraction_->pdfView = {[&] { return viewFile; }, [&](const std::string& p) { viewFile = p; },
                          [&](int page) { shown.push_back(page); }};
  QTimer::singleShot(0, view_, [&] { viewFile.clear(); });  // the dispatch closed the view
  extraction_->Run();
  EXPECT_LT(shown.size(), 6u);
  EXPECT_GT(view_->LineCount(), 6);  // the text came from the command's own document
}

}  // namespace

namespace {

// The three places in the window that start it: the PDF view's "テキスト抽出" reuses the
// document the view holds and leaves it on the last page.
TEST(TextExtractionInTheWindow, FromThePdfViewsMenuTheButtonAndTheListMenu) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(::testing::TempDir()) / "kestrel-extract-window";
  fs::remove_all(root);
  fs::create_directories(root / "tree");
  fs::create_directories(root / "settings");
  fs::copy_file(kPdf, root / "tree" / "a.pdf");
  std::ofstream(root / "tree" / "b.docx", std::ios::binary) << Docx(Paragraph("窓から"));
  app::AppEnvironment env;
  env.settingsFolder = (root / "settings").string() + "/";
  env.settingsFileName = "kestrel.ini";
  env.defaultTopFolder = (root / "tree").string();
  std::vector<std::string> messages;
  env.messages = [&](const Message& m) { messages.push_back(m.text); };
  {
    app::MainWindow w(env);
    w.show();
    w.folderCombo()->setEditText(QString::fromStdString((root / "tree").string()));
    w.maskCombo()->setEditText("*.*");
    w.buildButton()->click();
    ASSERT_EQ(w.resultModel()->Count(), 2);
    ASSERT_TRUE(w.pdfAvailable());
    w.tabs()->setCurrentIndex(1);
    w.resultList()->setCurrentIndex(w.resultModel()->index(0, 0));  // a.pdf, shown on its tab
    preview::PdfView* view = w.pdfTab()->View();
    ASSERT_EQ(view->PageCount(), 5);
    w.extraction()->SetUsesPdfEngine(true);
    w.pdfTab()->ExtractAction()->trigger();
    EXPECT_EQ(w.tabs()->currentIndex(), 0);
    EXPECT_EQ(w.textTab()->View()->Line(0), "Contents");
    EXPECT_EQ(view->PageIndex(), 4);

    w.resultList()->setCurrentIndex(w.resultModel()->index(1, 0));  // b.docx
    w.extractButton()->click();
    EXPECT_EQ(w.textTab()->View()->Line(0), "窓から");
    w.textTab()->View()->Clear();
    w.menuAction("■ PDF から TEXT を抽出")->trigger();
    EXPECT_EQ(w.textTab()->View()->Line(0), "窓から");
    EXPECT_TRUE(messages.empty());
  }
  fs::remove_all(root);
}

}  // namespace
