// Timed runs of the text view on the offscreen platform: opening a 100 MB text file (read,
// decode, hand to the view, first paint) and a 1 MB AutoLISP file (styled only where shown),
// then a full scroll through the latter page by page. Prints medians.
//
//   bench_textview [--work DIR] [--runs N] [--screenshot OUT.png LSPFILE]
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "preview/LispLexer.h"
#include "preview/TextTab.h"
#include "preview/TextView.h"
#include "preview/core/TextDecode.h"

using namespace kestrel::preview;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Ms(QElapsedTimer& t) {
  return t.nsecsElapsed() / 1e6;
}

// Lines of mixed ASCII and Japanese, as log and source files are.
QString MakeBigText(const QString& path, qint64 bytes) {
  if (QFileInfo(path).size() >= bytes) return path;
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  QByteArray chunk;
  for (int i = 0; i < 10000; ++i) {
    chunk +=
        QStringLiteral("%1\t(setq value (list 1.5 \"図面の縮尺\" 'symbol)) ; コメント line %1\r\n")
            .arg(i, 6, 10, QLatin1Char('0'))
            .toUtf8();
  }
  for (qint64 written = 0; written < bytes; written += chunk.size())
    f.write(chunk);
  return path;
}

QString MakeLispText(const QString& path, const QString& corpus, qint64 bytes) {
  if (QFileInfo(path).size() >= bytes) return path;
  QByteArray all;
  for (const QFileInfo& fi : QDir(corpus).entryInfoList({"*.lsp"}, QDir::Files, QDir::Name)) {
    QFile in(fi.filePath());
    if (in.open(QIODevice::ReadOnly)) all += in.readAll() + "\n";
  }
  if (all.isEmpty()) return {};
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  qint64 written = 0;
  while (written < bytes)
    written += f.write(all);
  return path;
}

struct OpenTimes {
  double read = 0, decode = 0, view = 0, paint = 0, total = 0;
  double cpu = 0;  // process CPU time of the whole open: the shared machine inflates wall time
};

OpenTimes Open(TextView* view, const QString& path) {
  OpenTimes t;
  QElapsedTimer all, step;
  const std::clock_t cpuStart = std::clock();
  all.start();
  step.start();
  const std::optional<std::string> bytes = ReadWholeFile(path.toStdString());
  t.read = Ms(step);
  step.restart();
  const std::optional<TDecodedText> text = DecodeForTextView(bytes.value_or(std::string()));
  t.decode = Ms(step);
  step.restart();
  if (text) view->SetTextUtf8(std::string_view(text->text));
  t.view = Ms(step);
  step.restart();
  view->repaint();
  t.paint = Ms(step);
  t.total = Ms(all);
  t.cpu = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
  return t;
}

void BenchBigText(TextTab& tab, const QString& path, int runs) {
  TextView* view = tab.View();
  view->SetHighlighter(TextHighlighter::None);
  std::vector<double> read, decode, set, paint, total, cpu;
  for (int i = 0; i < runs; ++i) {
    view->Clear();
    QCoreApplication::processEvents();
    const OpenTimes t = Open(view, path);
    read.push_back(t.read);
    decode.push_back(t.decode);
    set.push_back(t.view);
    paint.push_back(t.paint);
    total.push_back(t.total);
    cpu.push_back(t.cpu);
  }
  std::printf(
      "open %.1f MB text (%d lines), %d runs, median ms: total %.0f = read %.0f + decode "
      "%.0f + view %.0f + first paint %.0f; process CPU %.0f\n",
      QFileInfo(path).size() / 1048576.0, view->LineCount(), runs, Median(total), Median(read),
      Median(decode), Median(set), Median(paint), Median(cpu));
}

void BenchLisp(TextTab& tab, const QString& path, int runs, TextHighlighter highlighter) {
  TextView* view = tab.View();
  view->SetHighlighter(highlighter);
  LispLexer* lexer = view->LispHighlighter();
  std::vector<double> open, firstStyled, scroll, pageMedian, pageMax, jump, jumpStyled;
  int lines = 0, pages = 0;
  double styledPerLine = 0;
  for (int i = 0; i < runs; ++i) {
    view->Clear();
    QCoreApplication::processEvents();
    const int64_t before = lexer->LinesStyledCount();
    open.push_back(Open(view, path).total);
    firstStyled.push_back(double(lexer->LinesStyledCount() - before));
    lines = view->LineCount();

    // Full scroll, one page at a time, each page painted.
    const int page = int(view->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN));
    std::vector<double> perPage;
    QElapsedTimer all, step;
    all.start();
    for (int top = page; top < lines; top += page) {
      step.start();
      view->setFirstVisibleLine(top);
      view->repaint();
      perPage.push_back(Ms(step));
    }
    scroll.push_back(Ms(all));
    pages = int(perPage.size());
    pageMedian.push_back(Median(perPage));
    pageMax.push_back(*std::max_element(perPage.begin(), perPage.end()));
    styledPerLine = double(lexer->LinesStyledCount() - before) / lines;

    // A jump from the top to the end of a freshly opened text.
    view->Clear();
    Open(view, path);
    const int64_t beforeJump = lexer->LinesStyledCount();
    QElapsedTimer j;
    j.start();
    view->setFirstVisibleLine(lines - page);
    view->repaint();
    jump.push_back(Ms(j));
    jumpStyled.push_back(double(lexer->LinesStyledCount() - beforeJump));
  }
  std::printf(
      "open %.2f MB AutoLISP file (%d lines), highlighter %s, %d runs, median: open %.1f ms, "
      "%.0f lines styled by the first paint\n",
      QFileInfo(path).size() / 1048576.0, lines,
      highlighter == TextHighlighter::AutoLisp ? "AutoLISP" : "none", runs, Median(open),
      Median(firstStyled));
  std::printf(
      "full scroll over %d pages: %.0f ms in all, %.2f ms per page (median), %.2f ms "
      "worst page; each line styled %.2f times\n",
      pages, Median(scroll), Median(pageMedian), Median(pageMax), styledPerLine);
  std::printf("jump to the end after opening: %.1f ms, %.0f lines styled\n", Median(jump),
              Median(jumpStyled));
}

int Screenshot(const QString& out, const QString& lsp) {
  TextTab tab;
  tab.resize(900, 560);
  tab.show();
  Open(tab.View(), lsp);
  tab.SearchBox()->setText("setq");
  tab.NextButton()->click();
  // The caret then goes onto a bracket of a later line, so that its frame shows too; the
  // occurrence that was selected is then marked like the others.
  TextView* view = tab.View();
  const long line = view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION,
                                        view->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
  for (long l = line + 8; l < line + 20; ++l) {
    const long at = view->SendScintilla(QsciScintillaBase::SCI_GETLINEINDENTPOSITION, l);
    if (view->SendScintilla(QsciScintillaBase::SCI_GETCHARAT, at) == '(') {
      view->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, at);
      break;
    }
  }
  QCoreApplication::processEvents();
  tab.repaint();
  QCoreApplication::processEvents();
  return tab.grab().save(out) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QString work = qEnvironmentVariable("KBENCH", "/tmp/kestrel-bench");
  QString corpus = QStringLiteral(KESTREL_CORPUS_DIR "/lsp");
  int runs = 5;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--work" && i + 1 < args.size())
      work = args[++i];
    else if (args[i] == "--runs" && i + 1 < args.size())
      runs = args[++i].toInt();
    else if (args[i] == "--screenshot" && i + 2 < args.size())
      return Screenshot(args[i + 1], args[i + 2]);
  }
  QDir().mkpath(work);
  const QString big = MakeBigText(work + "/text-100mb.txt", 100LL << 20);
  const QString lisp = MakeLispText(work + "/lisp-1mb.lsp", corpus, 1 << 20);
  if (big.isEmpty() || lisp.isEmpty()) {
    std::fputs("bench_textview: cannot write the inputs\n", stderr);
    return 1;
  }
  TextTab tab;
  tab.resize(1000, 700);
  tab.show();
  QCoreApplication::processEvents();
  BenchLisp(tab, lisp, runs, TextHighlighter::AutoLisp);
  BenchLisp(tab, lisp, runs, TextHighlighter::None);  // the same scroll without styling
  BenchBigText(tab, big, runs);
  return 0;
}
