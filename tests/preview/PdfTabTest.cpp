// The "  PDF" tab on the offscreen platform, over PDF files written here with Japanese text.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>
#include <stdexcept>

#include "preview/PdfTab.h"
#include "preview/PdfView.h"

using namespace kestrel::preview;

namespace {

// Writes a PDF of pages of `pageSize`, each page's texts drawn one under the other.
QString WritePdf(const QString& path, const QPageSize& pageSize,
                 const std::vector<std::vector<QString>>& pages) {
  QPdfWriter writer(path);
  writer.setPageSize(pageSize);
  writer.setPageMargins(QMarginsF());
  writer.setResolution(72);
  QPainter p(&writer);
  p.setFont(QFont("IPAGothic", 18));
  for (size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) writer.newPage();
    int y = 80;
    for (const QString& line : pages[i]) {
      p.drawText(60, y, line);
      y += 40;
    }
  }
  return path;
}

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

std::string Captions(const QMenu* menu) {
  std::string out;
  for (const QAction* a : menu->actions())
    out +=
        (out.empty() ? "" : "|") + (a->isSeparator() ? std::string("-") : a->text().toStdString());
  return out;
}

class PdfTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(tab_.CreateView());
    tab_.resize(800, 600 + 53);
    tab_.show();
    QCoreApplication::processEvents();
  }
  QString Path(const char* name) const { return dir_.filePath(name); }
  void Load(const QString& path) {
    const int pages = tab_.Show(QDir::toNativeSeparators(path).toStdString());
    tab_.PageLabel()->setText(QStringLiteral("1 / %1").arg(pages));
  }
  PdfView& View() { return *tab_.View(); }

  QTemporaryDir dir_;
  PdfTab tab_;
};

}  // namespace

TEST_F(PdfTabTest, BarAndMenuAsDesigned) {
  EXPECT_EQ(tab_.ShowBox()->text(), " 表示");
  EXPECT_TRUE(tab_.ShowBox()->isChecked());
  EXPECT_EQ(tab_.PageLabel()->text(), "1 / 1");
  const std::pair<const char*, const char*> buttons[] = {{"<", "前のページヘ"},
                                                         {">", "次のページヘ"},
                                                         {"回転", "右回転"},
                                                         {"縮小", "縮小表示 [Ctrl]+[Wheel Down]"},
                                                         {"拡大", "拡大表示 [Ctrl]+{Wheel Up]"},
                                                         {"フィット", "用紙にフィット表示"},
                                                         {"ハイライト", ""}};
  for (const auto& [caption, hint] : buttons) {
    const QPushButton* b = tab_.Button(QString::fromUtf8(caption));
    ASSERT_NE(b, nullptr) << caption;
    EXPECT_EQ(b->toolTip().toStdString(), hint);
  }
  EXPECT_EQ(Captions(tab_.ContextMenu()),
            "用紙の高さにフィット|用紙の幅にフィット|-|拡大|縮小|-|回転|-|テキスト抽出");
  const QMenu* rotate = tab_.ContextMenu()->actions()[6]->menu();
  ASSERT_NE(rotate, nullptr);
  EXPECT_EQ(Captions(rotate), "0 度|右回りに 90 度|左回りに 90 度|180 度");
}

TEST_F(PdfTabTest, PagesMarksAndRenderingOfAJapaneseDocument) {
  Load(WritePdf(Path("doc.pdf"), QPageSize(QPageSize::A4),
                {{"図面の一覧", "Kestrel 図面 kestrelTool"}, {"二頁目"}, {"KESTREL 図面"}}));
  EXPECT_EQ(View().PageCount(), 3);
  EXPECT_EQ(tab_.PageLabel()->text(), "1 / 3");

  // Enter in the box highlights, matching inside words and regardless of case.
  tab_.HighlightBox()->setText("kestrel");
  QTest::keyClick(tab_.HighlightBox(), Qt::Key_Return);
  EXPECT_EQ(View().Logic().Marks().size(), 2u);
  tab_.HighlightBox()->setText("図面");
  tab_.Button("ハイライト")->click();
  EXPECT_EQ(View().Logic().Marks().size(), 2u);
  // Paging marks the new page with the same text.
  tab_.Button(">")->click();
  EXPECT_EQ(tab_.PageLabel()->text(), "2 / 3");
  EXPECT_EQ(View().Logic().Marks().size(), 0u);
  tab_.Button(">")->click();
  EXPECT_EQ(View().Logic().Marks().size(), 1u);
  tab_.Button(">")->click();
  EXPECT_EQ(tab_.PageLabel()->text(), "3 / 3");

  // A drag over the first line selects its text (page 1 drawn 424 x 600 from x = 188).
  tab_.Button("<")->click();
  tab_.Button("<")->click();
  QWidget* viewport = View().viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(188 + 41, 51));
  QTest::mouseMove(viewport, QPoint(188 + 70, 51));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(188 + 100, 51));
  EXPECT_TRUE(View().SelText().contains("図面")) << View().SelText().toStdString();
  tab_.Button(">")->click();
  EXPECT_TRUE(View().SelText().isEmpty());
  tab_.Button(">")->click();

  // The page is drawn on grey, white, with its text and the mark.
  ASSERT_TRUE(WaitFor([&] { return View().PageShown() && View().RenderIdle(); }));
  const QImage shot = View().viewport()->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(128, 128, 128));
  EXPECT_EQ(View().DrawnPageSize(), QSize(424, 600));
  int dark = 0, marked = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 188; x < 612; ++x) {
      const QColor c(shot.pixel(x, y));
      dark += c.lightness() < 80;
      marked += c.red() > 200 && c.green() > 150 && c.blue() < 120;
    }
  EXPECT_GT(dark, 50);
  EXPECT_GT(marked, 20);

  // Rotation turns the drawn page; SelectAll gives the page's text.
  tab_.Button("回転")->click();
  EXPECT_EQ(View().Rotation(), TPdfPageRotation::pr90Clockwise);
  EXPECT_EQ(View().DrawnPageSize(), QSize(800, 565));
  View().SelectAll();
  EXPECT_TRUE(View().SelText().contains("KESTREL")) << View().SelText().toStdString();

  // Closing leaves no document and no page.
  tab_.Close();
  EXPECT_EQ(View().PageCount(), 0);
  EXPECT_EQ(View().DrawnPageSize(), QSize(0, 0));
}

TEST_F(PdfTabTest, ALargeDrawingAtHighZoomRendersOnlyWhatIsSeen) {
  Load(WritePdf(Path("a0.pdf"), QPageSize(QPageSize::A0), {{"A0 図面"}}));
  for (int i = 0; i < 12; ++i)
    tab_.Run(PdfCommand::ZoomIn);  // 100 -> 890 %, truncated to 800 below
  View().SetZoomPercentage(800);
  ASSERT_TRUE(WaitFor([&] { return View().PageShown() && View().RenderIdle(); }));
  // The whole page at 800 % would take 3.6 GB; the visible part and its margin a few MB.
  const QSize page = View().DrawnPageSize();
  EXPECT_GT(int64_t(page.width()) * page.height() * 4, int64_t(3) << 30);
  EXPECT_LT(View().CachedBytes(), size_t(32) << 20);
}

TEST_F(PdfTabTest, AFileTheEngineCannotOpenThrowsAndLeavesNoDocument) {
  Load(WritePdf(Path("good.pdf"), QPageSize(QPageSize::A4), {{"x"}}));
  QFile bad(Path("bad.pdf"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("%PDF-1.7\nnot really\n");
  bad.close();
  try {
    Load(Path("bad.pdf"));
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "File not in PDF format or corrupted");
  }
  EXPECT_EQ(View().PageCount(), 0);
  EXPECT_EQ(tab_.PageLabel()->text(), "1 / 1") << "the label keeps its text";
  EXPECT_THROW(Load(Path("missing.pdf")), std::runtime_error);
}

TEST_F(PdfTabTest, EveryCorpusPdfLoadsPagesAndRenders) {
  const QDir folder(QStringLiteral(KESTREL_CORPUS_DIR "/pdf"));
  if (!folder.exists()) GTEST_SKIP() << "no corpus at " << folder.path().toStdString();
  const QStringList files = folder.entryList({"*.pdf"}, QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    Load(folder.filePath(name));
    EXPECT_GT(View().PageCount(), 0);
    tab_.HighlightBox()->setText("の");
    tab_.Highlight();
    for (int page = 0; page < View().PageCount(); ++page) {
      ASSERT_TRUE(WaitFor([&] { return View().PageShown(); }));
      tab_.Run(PdfCommand::NextPage);
    }
    tab_.Run(PdfCommand::Rotate);
    tab_.Run(PdfCommand::ZoomIn);
    ASSERT_TRUE(WaitFor([&] { return View().PageShown() && View().RenderIdle(); }));
    tab_.Run(PdfCommand::Fit);
  }
}

TEST_F(PdfTabTest, ClosingOrLoadingWhileAPageRendersLeavesTheRenderBehind) {
  // A page of many lines keeps the renderer busy for a while.
  const QString heavy = Path("heavy.pdf");
  {
    QPdfWriter writer(heavy);
    writer.setResolution(72);
    QPainter p(&writer);
    for (int i = 0; i < 15000; ++i)
      p.drawLine(QPointF(i % 500, i % 700), QPointF((i * 7) % 500, (i * 13) % 700));
  }
  const QString light = WritePdf(Path("light.pdf"), QPageSize(QPageSize::A4), {{"軽い"}, {"2"}});
  Load(heavy);
  tab_.Close();  // the render of the first page goes on without the view
  EXPECT_EQ(View().Document(), nullptr);
  EXPECT_EQ(View().PageCount(), 0);
  Load(heavy);
  Load(light);  // waits for the render, then opens the other file
  EXPECT_EQ(View().PageCount(), 2);
  ASSERT_TRUE(WaitFor([&] { return View().PageShown() && View().RenderIdle(); }));
  EXPECT_NE(View().Document(), nullptr);
}
