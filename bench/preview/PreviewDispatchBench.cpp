// Selecting result lines with the arrow keys: one preview per key press, with the text view
// repainted, on the offscreen platform. Key repeat is about 30 per second, so each step must
// stay well under 30 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
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
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>
#include <memory>

#include "preview/ImageBox.h"
#include "preview/PreviewDispatch.h"
#include "preview/TextView.h"

using namespace kestrel::preview;

namespace {

// A window laid out like the real one, as far as the preview sees it.
struct Window {
  QWidget window;
  QListView* list = new QListView;
  QStandardItemModel model;
  QLabel* status = new QLabel;
  ImageBox* thumbnail = new ImageBox;
  QTabWidget* tabs = new QTabWidget;
  ImageBox* tabPicture = new ImageBox;
  QLineEdit* fileName = new QLineEdit;
  QLineEdit* measure = new QLineEdit;
  QLabel* pageLabel = new QLabel;
  TextView* text = new TextView;
  QProgressBar* progress = new QProgressBar;
  QCheckBox* textShow = new QCheckBox;
  QCheckBox* pdfShow = new QCheckBox;
  QCheckBox* drawingShow = new QCheckBox;
  QPushButton* buttons[4] = {new QPushButton, new QPushButton, new QPushButton, new QPushButton};
  std::unique_ptr<PreviewDispatch> dispatch;

  Window() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(list);
    layout->addWidget(thumbnail);
    layout->addWidget(tabs);
    layout->addWidget(status);
    for (auto* b : buttons)
      layout->addWidget(b);
    thumbnail->setFixedSize(100, 100);
    auto* textPage = new QWidget;
    auto* tl = new QVBoxLayout(textPage);
    tl->addWidget(textShow);
    tl->addWidget(text);
    auto* pdfPage = new QWidget;
    auto* pl = new QVBoxLayout(pdfPage);
    pl->addWidget(pdfShow);
    pl->addWidget(pageLabel);
    auto* drawingPage = new QWidget;
    auto* dl = new QVBoxLayout(drawingPage);
    dl->addWidget(drawingShow);
    dl->addWidget(fileName);
    dl->addWidget(tabPicture);
    dl->addWidget(measure);
    tabs->addTab(textPage, " TEXT");
    tabs->addTab(pdfPage, "  PDF");
    tabs->addTab(drawingPage, "  DXF, Image");
    textShow->setChecked(true);
    pdfShow->setChecked(true);
    list->setModel(&model);
    window.resize(803, 600);

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
    w.extractButton = buttons[0];
    w.convertButton = buttons[1];
    w.insertButton = buttons[2];
    w.lspLoadButton = buttons[3];
    PreviewHooks h;
    dispatch = std::make_unique<PreviewDispatch>(w, h);
    dispatch->ConnectTriggers();
    window.show();
  }
};

// A small source file of about `bytes` bytes.
QByteArray SmallSource(int bytes) {
  QByteArray line = "(defun c:test (/ a b) (setq a (getpoint \"\\n点を指定\")) ; コメント\n";
  QByteArray out;
  while (out.size() < bytes)
    out += line;
  return out;
}

void BM_ArrowKeyThroughTextFiles(benchmark::State& state) {
  QTemporaryDir dir;
  Window win;
  const char* exts[] = {".lsp", ".txt", ".cpp", ".pas", ".bas", ".cs"};
  const QByteArray body = SmallSource(int(state.range(0)));
  const int files = 200;
  for (int i = 0; i < files; ++i) {
    const QString path = dir.filePath(QStringLiteral("file%1%2").arg(i).arg(exts[i % 6]));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(body);
    auto* item = new QStandardItem("[23/08/12] " + path);
    item->setData(uint(0x57081E2A), Qt::UserRole + 1);
    win.model.appendRow(item);
  }
  win.list->setFocus();
  win.list->setCurrentIndex(win.model.index(0, 0));
  int row = 0;
  for (auto _ : state) {
    // The key press runs the preview; the repaint is what the user waits for.
    QTest::keyClick(win.list, row + 1 < files ? Qt::Key_Down : Qt::Key_Home);
    row = row + 1 < files ? row + 1 : 0;
    win.text->viewport()->repaint();
    win.window.repaint();
  }
  if (win.text->text().isEmpty()) state.SkipWithError("the text view stayed empty");
}
BENCHMARK(BM_ArrowKeyThroughTextFiles)
    ->Arg(2 << 10)
    ->Arg(64 << 10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One large text file selected: the whole file is read, decoded and handed to the view.
void BM_SelectLargeTextFile(benchmark::State& state) {
  QTemporaryDir dir;
  Window win;
  const QByteArray block = SmallSource(1 << 20);
  const QString path = dir.filePath("big.txt");
  {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (int64_t n = 0; n < state.range(0); n += block.size())
      f.write(block);
  }
  for (const QString& p : {dir.filePath("small.txt"), path}) {
    auto* item = new QStandardItem("[23/08/12] " + p);
    item->setData(uint(0x57081E2A), Qt::UserRole + 1);
    win.model.appendRow(item);
  }
  QFile(dir.filePath("small.txt")).open(QIODevice::WriteOnly);
  for (auto _ : state) {
    win.list->setCurrentIndex(win.model.index(1, 0));
    win.text->viewport()->repaint();
    state.PauseTiming();
    win.list->setCurrentIndex(win.model.index(0, 0));
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SelectLargeTextFile)
    ->Arg(100 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
