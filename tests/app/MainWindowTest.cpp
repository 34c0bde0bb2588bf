#include "app/MainWindow.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "app/CatalogueController.h"
#include "app/DrawingTab.h"
#include "app/KestrelApplication.h"
#include "app/ResultListModel.h"
#include "app/core/IniFile.h"
#include "preview/ImageBox.h"
#include "preview/PdfTab.h"
#include "preview/PdfView.h"
#include "preview/TextTab.h"
#include "preview/TextView.h"

namespace fs = std::filesystem;
using namespace kestrel;
using namespace kestrel::app;

namespace {

struct Fixture {
  fs::path root = fs::temp_directory_path() / ("kestrel-window-" + std::to_string(getpid()));
  std::vector<Message> messages;

  Fixture() {
    fs::remove_all(root);
    for (const char* p :
         {"tree/a/plan.dwg", "tree/a/old/plan.dwg", "tree/b/site.DWG", "tree/b/notes.txt",
          "tree/.hidden/x.dwg", "settings/dxf-converted/t.dxf", "settings/mine.dxf"}) {
      fs::create_directories((root / p).parent_path());
      std::ofstream(root / p) << "x";
    }
  }
  ~Fixture() { fs::remove_all(root); }

  AppEnvironment Environment() {
    AppEnvironment env;
    env.settingsFolder = (root / "settings").string() + "/";
    env.settingsFileName = "kestrel.ini";
    env.defaultTopFolder = "/nowhere";
    env.messages = [this](const Message& m) { messages.push_back(m); };
    env.forcePdfUnavailable = true;
    return env;
  }
  std::string Tree() const { return (root / "tree").string(); }
  std::string Settings(const char* name) const { return (root / "settings" / name).string(); }
};

std::vector<std::string> Lines(const MainWindow& w) {
  std::vector<std::string> out;
  for (int i = 0; i < w.resultModel()->Count(); ++i) {
    std::string line(w.resultModel()->Line(i));
    out.push_back(line.substr(11));  // without the date prefix
  }
  return out;
}

}  // namespace

TEST(MainWindow, FirstStartBuildSearchCancelAndShutDown) {
  Fixture f;
  {
    MainWindow w(f.Environment());
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].text, "PDFium.DLL が見つかりません.");
    EXPECT_FALSE(w.pdfAvailable());
    EXPECT_EQ(w.maskCombo()->currentText(), "*.dwg");
    EXPECT_EQ(w.folderCombo()->currentText(), "/nowhere");
    EXPECT_EQ(w.insertButton()->text(), "BricsCAD へ挿入");
    EXPECT_EQ(w.windowTitle(), "Kestrel");
    EXPECT_EQ(w.tabs()->currentIndex(), 0);
    EXPECT_TRUE(w.dateOrderAction()->isChecked());

    // Build and search: the hidden folder is not entered, the mask ignores case.
    w.folderCombo()->setEditText(QString::fromStdString(f.Tree()));
    w.buildButton()->click();
    EXPECT_EQ(Lines(w),
              (std::vector<std::string>{f.Tree() + "/a/old/plan.dwg", f.Tree() + "/a/plan.dwg",
                                        f.Tree() + "/b/site.DWG"}));
    EXPECT_EQ(w.statusPanel()->text(), " 3 / 3 検索を終了しました.");
    EXPECT_TRUE(w.buildButton()->isEnabled());
    EXPECT_TRUE(w.searchBox()->isEnabled());

    w.searchBox()->setText("plan !old");
    emit w.searchBox()->returnPressed();
    EXPECT_EQ(Lines(w), std::vector<std::string>{f.Tree() + "/a/plan.dwg"});
    EXPECT_EQ(w.statusPanel()->text(), " 1 / 3 検索を終了しました.");

    // "中止" while the build runs: it is seen when the build first lets events run.
    QTimer::singleShot(0, w.catalogue(), &CatalogueController::Cancel);
    w.buildButton()->click();
    EXPECT_EQ(w.statusPanel()->text(), " ファイルリストの作成を中止しました.");
    EXPECT_TRUE(w.catalogue()->fileList().empty());
    EXPECT_EQ(w.resultModel()->Count(), 0);
    EXPECT_TRUE(w.buildButton()->isEnabled());

    // Without a list the search says so and keeps the lines it has.
    w.searchButton()->click();
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(f.messages[1].text, "ファイルリストがありません．");
    EXPECT_TRUE(w.searchButton()->isEnabled());

    w.catalogue()->SelectOrAddFolder(QString::fromStdString(f.Tree()));
    w.catalogue()->SelectOrAddFolder("/A");
    w.catalogue()->SelectOrAddFolder("/a");  // differs in case only: a second item
    EXPECT_EQ(w.folderCombo()->count(), 3);
    w.folderCombo()->setEditText(QString::fromStdString(f.Tree()));
    w.maskCombo()->setEditText("*.txt");
    w.orBox()->setChecked(true);
    w.close();
  }

  // Shut-down saved the settings and the folder list, and removed only converted DXF files.
  IniFile ini = IniFile::Load(f.Settings("kestrel.ini"));
  EXPECT_EQ(ini.ReadString("Folder", "TopFolder", ""), f.Tree());
  EXPECT_EQ(ini.ReadString("FileMask", "Ext", ""), "*.txt");
  EXPECT_EQ(ini.ReadString("FileName", "Mask", ""), "plan !old");
  EXPECT_TRUE(ini.ReadBool("FileName", "OR", false));
  EXPECT_EQ(ini.ReadString("CAD", "Button", ""), "BricsCAD へ挿入");
  EXPECT_EQ(ini.ReadInteger("Form", "Width", 0) > 0, true);
  std::ifstream folders(f.Settings("KestrelTopFolders.txt"), std::ios::binary);
  std::stringstream ss;
  ss << folders.rdbuf();
  EXPECT_EQ(ss.str(), "\xEF\xBB\xBF/A\r\n/a\r\n" + f.Tree() + "\r\n");
  EXPECT_FALSE(fs::exists(f.Settings("dxf-converted/t.dxf")));
  EXPECT_TRUE(fs::exists(f.Settings("mine.dxf")));

  // The next start comes back with them.
  MainWindow again(f.Environment());
  EXPECT_EQ(again.folderCombo()->count(), 3);
  EXPECT_EQ(again.folderCombo()->currentText(), QString::fromStdString(f.Tree()));
  EXPECT_EQ(again.searchBox()->text(), "plan !old");
  EXPECT_TRUE(again.orBox()->isChecked());
}

TEST(MainWindow, TargetTableNamesTheTarget) {
  Fixture f;
  fs::create_directories(f.Settings(""));
  std::ofstream(f.Settings("TargetCAD_APIVersion.txt"), std::ios::binary)
      << "\xEF\xBB\xBF"
         "ブリックス\tBricscadApp.AcadApplication.24\r\nAuto\tAutoCAD.Application\r\n";
  MainWindow w(f.Environment());
  EXPECT_EQ(w.insertButton()->text(), "ブリックス へ挿入");
  EXPECT_EQ(w.windowTitle(), "Kestrel [ ブリックス ]");
  EXPECT_EQ(w.menuAction("ターゲット CAD")->text(), "ターゲット = ブリックス");
}

TEST(MainWindow, TitlesAreExactlyTheCaptions) {
  // The platforms append the application's display name to every window title when it has one
  // of its own ("Kestrel [ ブリックス ] — Kestrel"); without one it follows the name.
  const QString testName = QCoreApplication::applicationName();
  NameApplication();
  EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "Kestrel");
  QCoreApplication::setApplicationName("other");
  EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "other");
  QCoreApplication::setApplicationName(testName);

  Fixture f;
  fs::create_directories(f.Settings(""));
  std::ofstream(f.Settings("TargetCAD_APIVersion.txt"), std::ios::binary)
      << "BricsCAD V23\tBricscadApp.AcadApplication\r\n";
  MainWindow w(f.Environment());
  w.show();
  ASSERT_TRUE(w.windowHandle());
  EXPECT_EQ(w.windowHandle()->title().toStdString(), "Kestrel [ BricsCAD V23 ]");
}

TEST(MainWindow, ResultMenuHasEveryItemInOrder) {
  Fixture f;
  MainWindow w(f.Environment());
  QStringList captions;
  for (QAction* a : w.resultMenu()->actions())
    captions << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(captions.join("|").toStdString(),
            "ODAFileConverter を登録|変換中 FileConverter.exe を表示する|-|検索後、日付順で表示|-|"
            "■ 関連付けられたアプリで開く|-|ターゲット CAD|■ CAD へ挿入（リストをダブルクリック）|"
            "■ CAD へロード|-|■ メモ帳で開く|-|■ リストのファイル名をクリップボードにコピー|"
            "■ リストのフォルダ名をクリップボードにコピー|-|■ エクスプローラでフォルダを開く|-|"
            "■ PDF から TEXT を抽出|PDF Text 抽出に Pdfium.dll を使う|-|■ バージョン情報|-");
}

// Names that are not UTF-8 or hold a line break: listed on one line each, shown in their display
// form, and every command on the selection takes the real bytes.
TEST(MainWindow, NamesThatAreNotUtf8OrHoldControlsAreListedAndPreviewed) {
  Fixture f;
  const fs::path names = f.root / "names";
  fs::create_directories(names);
  const std::string cafe = (names / "caf\xe9.txt").native();
  const std::string twoLines = (names / "a\nb.txt").native();
  const std::string drawing = (names / "x\xf0.dxf").native();
  std::ofstream(cafe, std::ios::binary) << "caf\xc3\xa9 au lait\n";
  std::ofstream(twoLines, std::ios::binary) << "two lines\n";
  std::ofstream(drawing, std::ios::binary)
      << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n0\n0\nENDSEC\n0\nEOF\n";
  const QString shown = QString::fromStdString(names.native());

  MainWindow w(f.Environment());
  w.show();
  w.folderCombo()->setEditText(shown);
  w.maskCombo()->setEditText("*.txt");
  w.searchBox()->clear();
  w.buildButton()->click();
  ASSERT_EQ(Lines(w), (std::vector<std::string>{twoLines, cafe}));
  const QString line0 = w.resultModel()->index(0).data(Qt::DisplayRole).toString();
  EXPECT_TRUE(line0.endsWith("/a" + QString(QChar(0x240A)) + "b.txt")) << line0.toStdString();
  EXPECT_FALSE(line0.contains('\n'));

  w.resultList()->setCurrentIndex(w.resultModel()->index(1));
  EXPECT_EQ(w.textTab()->View()->text().toStdString(), "caf\xc3\xa9 au lait\n");
  EXPECT_EQ(w.statusPanel()->text(), shown + "/caf" + QChar(0xFFFD) + ".txt");
  EXPECT_TRUE(w.windowTitle().endsWith(QString("] caf") + QChar(0xFFFD) + ".txt"));
  EXPECT_EQ(w.SelectedPath(), cafe);
  w.menuAction("■ リストのファイル名をクリップボードにコピー")->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), shown + "/caf" + QChar(0xFFFD) + ".txt");

  w.resultList()->setCurrentIndex(w.resultModel()->index(0));
  EXPECT_EQ(w.textTab()->View()->text().toStdString(), "two lines\n");
  EXPECT_EQ(w.SelectedPath(), twoLines);

  // The drawing on its tab, loaded from its bytes.
  w.maskCombo()->setEditText("*.dxf");
  w.buildButton()->click();
  ASSERT_EQ(Lines(w), std::vector<std::string>{drawing});
  w.tabs()->setCurrentIndex(2);
  w.drawingTab()->ShowBox()->setChecked(true);
  w.resultList()->setCurrentIndex(w.resultModel()->index(0));
  const QImage& tab = w.drawingTab()->Picture()->image();
  EXPECT_EQ(tab.pixel(tab.width() / 2, tab.height() / 2), qRgb(255, 255, 255));
  EXPECT_EQ(w.drawingTab()->NameBox()->text(), QString("x") + QChar(0xFFFD) + ".dxf");
  w.close();
}

TEST(MainWindow, PdfTabShowsTheSelectionTurnsPagesByWheelAndClosesWhereItShould) {
  Fixture f;
  {
    QPdfWriter writer(QString::fromStdString((f.root / "tree" / "doc.pdf").string()));
    QPainter p(&writer);
    for (int page = 0; page < 3; ++page) {
      if (page > 0) writer.newPage();
      p.drawText(100, 100, QStringLiteral("頁 %1").arg(page + 1));
    }
  }
  AppEnvironment env = f.Environment();
  env.forcePdfUnavailable = false;
  MainWindow w(env);
  ASSERT_TRUE(w.pdfAvailable());
  w.resize(1000, 700);
  w.show();
  preview::PdfTab* tab = w.pdfTab();
  preview::PdfView* view = tab->View();
  w.folderCombo()->setEditText(QString::fromStdString(f.Tree()));
  w.maskCombo()->setEditText("*.pdf");
  w.buildButton()->click();
  ASSERT_EQ(w.resultModel()->Count(), 1);

  // Chosen on the TEXT tab the PDF stays closed; the change to the PDF tab loads it.
  w.resultList()->setCurrentIndex(w.resultModel()->index(0, 0));
  EXPECT_EQ(view->PageCount(), 0);
  w.tabs()->setCurrentWidget(tab);
  EXPECT_EQ(view->PageCount(), 3);
  EXPECT_EQ(tab->PageLabel()->text(), "1 / 3");

  // A wheel notch over the page in fit mode: the view leaves it unhandled, so the system's event
  // goes on to the window, which turns the page. (An event sent here does not travel to the
  // parents by itself: it is given to both in turn.)
  QWidget* viewport = view->viewport();
  const QPoint at(viewport->width() / 2, viewport->height() / 2);
  const QPointF global(viewport->mapToGlobal(at));
  QWheelEvent overView(QPointF(at), global, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &overView);
  EXPECT_FALSE(overView.isAccepted());
  QWheelEvent overWindow(QPointF(w.mapFromGlobal(global.toPoint())), global, QPoint(),
                         QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &overWindow);
  EXPECT_EQ(view->PageIndex(), 1);
  EXPECT_EQ(tab->PageLabel()->text(), "2 / 3");

  // Leaving the tab, unticking " 表示" and a new build each close the document.
  w.tabs()->setCurrentIndex(0);
  EXPECT_EQ(view->PageCount(), 0);
  w.tabs()->setCurrentWidget(tab);
  EXPECT_EQ(view->PageCount(), 3);
  tab->ShowBox()->setChecked(false);
  EXPECT_EQ(view->PageCount(), 0);
  tab->ShowBox()->setChecked(true);
  EXPECT_EQ(view->PageCount(), 3);
  w.buildButton()->click();
  EXPECT_EQ(view->PageCount(), 0);
  w.close();
}

namespace {

// The lines of an INI file that the settings do not own, in order, as bytes.
std::vector<std::string> ForeignLines(const std::string& ini) {
  static const std::set<std::pair<std::string, std::string>> owned = {
      {"form", "width"},    {"form", "height"},  {"form", "left"},
      {"form", "top"},      {"cad", "button"},   {"folder", "topfolder"},
      {"filemask", "ext"},  {"oda", "fullname"}, {"oda", "dispflag"},
      {"filename", "mask"}, {"filename", "or"},  {"pdftotext", "usespdfium"},
      {"target", "progid"}};
  auto lower = [](std::string s) {
    for (char& c : s)
      c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  auto trim = [](std::string s) {
    s.erase(0, s.find_first_not_of(" \t"));
    s.erase(s.find_last_not_of(" \t") + 1);
    return s;
  };
  std::vector<std::string> lines;
  std::string section;
  std::istringstream in(ini);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = trim(line);
    if (t.starts_with("[") && t.find(']') != std::string::npos) {
      section = lower(trim(t.substr(1, t.find(']') - 1)));
    } else if (const size_t eq = t.find('=');
               eq != std::string::npos && !t.starts_with(";") &&
               owned.count({section, lower(trim(t.substr(0, eq)))})) {
      continue;
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

// Settings files a user or a damaged disk can leave: bytes that are no encoding, numbers out of
// range, negative sizes, a position on no screen, a million lines. The window starts on a screen,
// and at shut-down every line the settings do not own is still there.
TEST(MainWindow, GarbageSettingsStartOnAScreenAndKeepEveryForeignLine) {
  std::string million = "; a large file\r\n[Other]\r\n";
  for (int i = 0; i < 1'000'000; ++i)
    million += "key" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
  million += "[Form]\r\nLeft=2147483647\r\nTop=-2147483648\r\n";
  const struct {
    const char* name;
    std::string ini;
  } cases[] = {
      {"invalid UTF-8",
       "[Form]\r\nLeft=\x82\xff\r\n[CAD]\r\nButton=\x82\r\n[Folder]\r\nTopFolder=\xff\xfe/\x90\r\n"
       "; \xC0\xAF junk\r\n[\xE9t\xE9]\r\nk\xE9=v\xE9\r\n\xF8\x88\x80\x80\x80\r\n"},
      {"numbers out of range",
       "[Form]\r\nLeft=99999999999999999999\r\nTop=2147483647\r\nWidth=-2147483648\r\n"
       "Height=99999999999\r\n[ODA]\r\ndispFlag=1e308\r\n[FileName]\r\nOR=-99999999999\r\n"},
      {"negative sizes", "[Form]\r\nWidth=-803\r\nHeight=-412\r\nLeft=-5000\r\nTop=-5000\r\n"},
      {"minimised on Windows", "[Form]\r\nLeft=-32000\r\nTop=-32000\r\n[Other]\r\nx=1"},
      {"on a monitor since removed", "[Form]\nLeft=5000\nTop=4000\n"},
      {"a million lines", million},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    fs::create_directories(f.Settings(""));
    std::ofstream(f.Settings("kestrel.ini"), std::ios::binary) << c.ini;
    {
      MainWindow w(f.Environment());
      w.show();
      QCoreApplication::processEvents();
      const QPoint at = w.frameGeometry().topLeft();
      EXPECT_TRUE(QGuiApplication::screenAt(at)) << at.x() << ", " << at.y();
      w.close();
    }
    std::ifstream in(f.Settings("kestrel.ini"), std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    const std::vector<std::string> before = ForeignLines(c.ini),
                                   after = ForeignLines(written.str());
    // Sections the settings add come after the file's own lines.
    ASSERT_GE(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()))
        << written.str().substr(0, 2000);
    const IniFile ini = IniFile::Load(f.Settings("kestrel.ini"));
    EXPECT_GT(ini.ReadInteger("Form", "Width", 0), 0);
  }
}
