// A user's whole session through the real window, offscreen: a top folder holding a copy of the
// sample files, a list built with a mask, searches with AND, OR and "!", one file of every kind
// previewed on each tab, a document's text extracted, a drawing zoomed and panned, a DWG converted
// by a stand-in converter, a new CAD target, and a restart that brings everything back. No user
// file is changed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/CatalogueController.h"
#include "app/DrawingTab.h"
#include "app/MainWindow.h"
#include "app/ResultListModel.h"
#include "app/core/IniFile.h"
#include "cadlink/CadLink.h"
#include "cadlink/TargetCadForm.h"
#include "dwg/DwgConverter.h"
#include "preview/ImageBox.h"
#include "preview/PdfTab.h"
#include "preview/TextTab.h"
#include "preview/TextView.h"
#include "render/DrawingView.h"

namespace fs = std::filesystem;

namespace kestrel::app {
namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Every file below `root` with its content, to show that nothing was written to them.
std::map<std::string, size_t> Checksums(const fs::path& root) {
  std::map<std::string, size_t> sums;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) sums[e.path().string()] = std::hash<std::string>{}(ReadAll(e.path()));
  }
  return sums;
}

struct Session {
  fs::path root = fs::temp_directory_path() / ("kestrel-session-" + std::to_string(getpid()));
  fs::path tree = root / "tree";
  std::vector<Message> messages;

  Session() {
    fs::remove_all(root);
    fs::create_directories(tree);
    fs::create_directories(root / "settings");
    fs::copy(KESTREL_CORPUS_DIR, tree / "corpus", fs::copy_options::recursive);
    std::ofstream(tree / "notes.txt", std::ios::binary) << "寸法の確認\r\nline two\r\n";
    std::ofstream(tree / "blob.bin", std::ios::binary) << std::string("\x00\x01\x02\xff", 4);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 30, 30));
    picture.save(QString::fromStdString((tree / "photo.png").string()));
  }
  ~Session() { fs::remove_all(root); }

  AppEnvironment Environment() {
    AppEnvironment env;
    env.settingsFolder = (root / "settings").string() + "/";
    env.settingsFileName = "kestrel.ini";
    env.defaultTopFolder = root.string();
    env.messages = [this](const Message& m) { messages.push_back(m); };
    return env;
  }
  std::string Path(const char* relative) const { return (tree / relative).string(); }
};

std::vector<std::string> Paths(const MainWindow& w) {
  std::vector<std::string> out;
  for (int i = 0; i < w.resultModel()->Count(); ++i)
    out.emplace_back(w.resultModel()->Path(i));
  return out;
}

// Selects the result line of `path`; false when it is not listed.
bool Select(MainWindow& w, const std::string& path) {
  for (int i = 0; i < w.resultModel()->Count(); ++i) {
    if (w.resultModel()->Path(i) == path) {
      w.resultList()->clearSelection();
      w.resultList()->setCurrentIndex(w.resultModel()->index(i));
      return true;
    }
  }
  return false;
}

void Search(MainWindow& w, const char* words, bool anyWord) {
  w.orBox()->setChecked(anyWord);
  w.searchBox()->setText(QString::fromUtf8(words));
  w.searchButton()->click();
}

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
  QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

// KESTREL_SCREENSHOTS=FOLDER keeps a picture of the window at the session's stops.
void Shot(MainWindow& w, const char* name) {
  const char* folder = std::getenv("KESTREL_SCREENSHOTS");
  if (!folder) return;
  // Pages are rendered off the window's thread: give them time to arrive.
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 1500)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  w.grab().save(QString("%1/%2.png").arg(QString::fromLocal8Bit(folder), name));
}

TEST(Session, AUsersDayFromFirstStartToRestart) {
  Session s;
  const auto before = Checksums(s.tree);
  const std::string converter = std::string(KESTREL_FIXTURES_DIR) + "/dwg/converter-writes-dxf.sh";
  {
    MainWindow w(s.Environment());
    w.show();
    EXPECT_TRUE(w.pdfAvailable());

    // The top folder through "0. フォルダ", the list of everything below it.
    w.catalogue()->pickFolder = [&s] {
      return std::optional<QString>(QString::fromStdString(s.tree.string()));
    };
    w.catalogue()->ChooseFolder();
    EXPECT_EQ(w.folderCombo()->currentText().toStdString(), s.tree.string());
    w.maskCombo()->setEditText("*.*");
    w.searchBox()->clear();
    w.buildButton()->click();
    const size_t all = Paths(w).size();
    ASSERT_GT(all, 60u);

    // AND, OR and "!".
    Search(w, "corpus dwg 2018", false);
    for (const std::string& p : Paths(w))
      EXPECT_TRUE(p.find("dwg") != std::string::npos && p.find("2018") != std::string::npos) << p;
    ASSERT_FALSE(Paths(w).empty());
    Search(w, "notes.txt photo.png", true);
    EXPECT_EQ(Paths(w), (std::vector<std::string>{s.Path("notes.txt"), s.Path("photo.png")}));
    Search(w, "corpus !dxf !dwg", false);
    for (const std::string& p : Paths(w))
      EXPECT_EQ(p.find("dxf"), std::string::npos) << p;
    Search(w, "", false);
    ASSERT_EQ(Paths(w).size(), all);

    // One file of every kind on each tab: what the tab shows, never a message.
    const std::string text = s.Path("notes.txt"), lisp = s.Path("corpus/lsp/otools_settings.lsp"),
                      drawing = s.Path("corpus/dxf/dxfparser_ellipse.dxf"),
                      dwgFile = s.Path("corpus/dwg/libredwg_example_2000.dwg"),
                      pdf = s.Path("corpus/pdf/pdfminer_kampo.pdf"), picture = s.Path("photo.png"),
                      office = s.Path("corpus/office/textract_raw_text.docx"),
                      binary = s.Path("blob.bin");
    DrawingTab* drawingTab = w.drawingTab();
    drawingTab->ShowBox()->setChecked(true);
    for (int tab = 0; tab < 3; ++tab) {
      w.tabs()->setCurrentIndex(tab);
      for (const std::string& file : {text, lisp, drawing, dwgFile, pdf, picture, office, binary}) {
        ASSERT_TRUE(Select(w, file)) << file;
        EXPECT_EQ(w.statusPanel()->text().toStdString(), file);
      }
    }
    EXPECT_TRUE(s.messages.empty()) << s.messages.front().text;

    w.tabs()->setCurrentIndex(0);
    ASSERT_TRUE(Select(w, lisp));
    Shot(w, "tab-text-lisp");
    ASSERT_TRUE(Select(w, text));
    EXPECT_EQ(w.textTab()->View()->text().toStdString(), "寸法の確認\r\nline two\r\n");
    ASSERT_TRUE(Select(w, dwgFile));
    EXPECT_EQ(w.thumbnail()->image().size(), QSize(100, 100));

    // A document's text into the text view through "抽出".
    ASSERT_TRUE(Select(w, office));
    ASSERT_TRUE(w.extractButton()->isEnabled());
    w.extractButton()->click();
    EXPECT_TRUE(w.textTab()->View()->text().startsWith("I love word documents. They are lovely."))
        << w.textTab()->View()->text().left(80).toStdString();
    Shot(w, "tab-text-extracted");

    w.tabs()->setCurrentIndex(1);
    ASSERT_TRUE(Select(w, pdf));
    EXPECT_TRUE(w.pdfTab()->PageLabel()->text().startsWith("1 / "))
        << w.pdfTab()->PageLabel()->text().toStdString();
    Shot(w, "tab-pdf");
    w.tabs()->setCurrentIndex(0);
    EXPECT_EQ(w.pdfTab()->Document(), nullptr);  // leaving the tab closed it

    w.tabs()->setCurrentIndex(2);
    ASSERT_TRUE(Select(w, picture));
    EXPECT_FALSE(drawingTab->DrawingShown());
    ASSERT_TRUE(Select(w, drawing));
    ASSERT_TRUE(drawingTab->DrawingShown());

    // Zoom with the wheel over the drawing, then pan with the middle button.
    QWidget* image = drawingTab->Picture();
    const render::ViewState start = drawingTab->View().document().view;
    const QPoint mid(image->width() / 2, image->height() / 2);
    QWheelEvent up(QPointF(mid), QPointF(image->mapToGlobal(mid)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(image, &up);
    const render::ViewState zoomed = drawingTab->View().document().view;
    EXPECT_LT(zoomed.ViewWidth, start.ViewWidth);
    Mouse(image, QEvent::MouseButtonPress, mid, Qt::MiddleButton);
    Mouse(image, QEvent::MouseMove, mid + QPoint(40, 0), Qt::MiddleButton);
    Mouse(image, QEvent::MouseButtonRelease, mid + QPoint(40, 0), Qt::MiddleButton);
    EXPECT_LT(drawingTab->View().document().view.ViewCenter.x, zoomed.ViewCenter.x);
    EXPECT_EQ(drawingTab->View().document().view.ViewWidth, zoomed.ViewWidth);
    Shot(w, "tab-drawing");

    // A DWG converted by the registered stand-in, drawn on the tab.
    w.dwgConverter()->hooks().chooseProgram = [&] { return std::optional<std::string>(converter); };
    w.dwgConverter()->MenuActions()[0]->trigger();
    ASSERT_TRUE(Select(w, dwgFile));
    EXPECT_FALSE(drawingTab->DrawingShown());
    drawingTab->ConvertButton()->click();
    EXPECT_TRUE(drawingTab->DrawingShown());
    Shot(w, "tab-drawing-converted");
    EXPECT_TRUE(fs::exists(ConversionFolder(s.Environment()) + "libredwg_example_2000.dxf"));

    // A new CAD target through the dialog: a line added and chosen with OK.
    cadlink::TTargetCADForm* dialog = w.cadLink()->Dialog();
    QTimer::singleShot(0, dialog, [dialog] {
      dialog->NameBox()->setText("ZW");
      dialog->ProgIdBox()->setText("Zwcad.Application");
      dialog->AddButton()->click();
      dialog->OkButton()->click();
    });
    w.cadLink()->TargetAction()->trigger();  // modal until OK
    EXPECT_EQ(w.targetProgId(), "Zwcad.Application");
    EXPECT_EQ(w.insertButton()->text(), "ZW へ挿入");

    w.searchBox()->setText("corpus");
    w.close();
  }

  // The restart: settings, folder list and target come back; converted drawings are gone.
  EXPECT_FALSE(fs::exists(ConversionFolder(s.Environment()) + "libredwg_example_2000.dxf"));
  {
    MainWindow again(s.Environment());
    EXPECT_EQ(again.folderCombo()->currentText().toStdString(), s.tree.string());
    ASSERT_EQ(again.folderCombo()->count(), 1);
    EXPECT_EQ(again.maskCombo()->currentText(), "*.*");
    EXPECT_EQ(again.searchBox()->text(), "corpus");
    EXPECT_EQ(again.targetProgId(), "Zwcad.Application");
    EXPECT_EQ(again.windowTitle(), "Kestrel [ ZW ]");
    EXPECT_EQ(again.dwgConverter()->converterPath(), converter);
  }
  EXPECT_EQ(Checksums(s.tree), before);
  EXPECT_TRUE(s.messages.empty()) << s.messages.front().text;
}

}  // namespace
}  // namespace kestrel::app
