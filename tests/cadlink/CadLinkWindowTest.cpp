// The CAD link in the main window: the rows of the popup menu, the buttons, the double click
// and the target dialog, with the CAD program replaced by a recorder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/MainWindow.h"
#include "app/ResultListModel.h"
#include "cadlink/CadLink.h"
#include "cadlink/TargetCadForm.h"

namespace fs = std::filesystem;
using namespace kestrel;
using namespace kestrel::app;

namespace {

// A CAD program that is always running, in front, with a document; it keeps what it is sent.
struct Sent {
  std::vector<std::string> texts;
  std::vector<std::string> progIds;
};

class RecordingSession final : public cadlink::CadSession {
 public:
  explicit RecordingSession(Sent& sent) : sent_(sent) {}
  bool IsTargetRunning(const std::string& progId) override {
    sent_.progIds.push_back(progId);
    return true;
  }
  void Fetch(const std::string&) override {}
  cadlink::WindowHandle MainWindow() override { return 1; }
  bool IsMinimised(cadlink::WindowHandle) override { return false; }
  void Restore(cadlink::WindowHandle) override {}
  void SetForeground(cadlink::WindowHandle) override {}
  cadlink::WindowHandle Foreground() override { return 1; }
  void PressEscape() override {}
  void Pause(int) override {}
  void FetchActiveDocument() override {}
  void SendCommand(const std::string& text) override { sent_.texts.push_back(text); }
  void Release() noexcept override {}

 private:
  Sent& sent_;
};

struct Fixture {
  fs::path root = fs::temp_directory_path() / ("kestrel-cadlink-" + std::to_string(getpid()));
  std::vector<Message> messages;
  Sent sent;
  Fixture() {
    fs::remove_all(root);
    fs::create_directories(root / "tree");
    fs::create_directories(root / "settings");
    // A drawing without a stored picture: its preview is the cross, and the commands go on.
    std::ofstream(root / "tree/a plan.dwg", std::ios::binary) << "AC1015" << std::string(64, '\0');
    std::ofstream(root / "tree/tool.lsp") << "(princ)";
  }
  ~Fixture() { fs::remove_all(root); }
  AppEnvironment Environment() {
    AppEnvironment env;
    env.settingsFolder = (root / "settings").string() + "/";
    env.settingsFileName = "kestrel.ini";
    env.defaultTopFolder = (root / "tree").string();
    env.messages = [this](const Message& m) { messages.push_back(m); };
    env.forcePdfUnavailable = true;
    env.cadSession = [this] { return std::make_unique<RecordingSession>(sent); };
    return env;
  }
  std::string Path(const char* name) const { return (root / name).string(); }
};

void Select(MainWindow& w, const std::string& path) {
  for (int i = 0; i < w.resultModel()->Count(); ++i) {
    if (w.resultModel()->Path(i) == path) {
      w.resultList()->setCurrentIndex(w.resultModel()->index(i));
      return;
    }
  }
  FAIL() << path;
}

}  // namespace

TEST(CadLinkWindow, ButtonsRowsAndDoubleClickSendTheSelectedFile) {
  Fixture f;
  MainWindow w(f.Environment());
  w.folderCombo()->setEditText(QString::fromStdString(f.Path("tree")));
  w.maskCombo()->setEditText("*.*");
  w.searchBox()->clear();
  w.buildButton()->click();
  ASSERT_EQ(w.resultModel()->Count(), 2);
  f.messages.clear();  // the missing PDF engine's at start-up

  const std::string dwg = f.Path("tree/a plan.dwg"), lsp = f.Path("tree/tool.lsp");
  const std::string insert = "ATTREQ 0\r-INSERT\r\"" + dwg + "\"\rS 1 R 0\r";
  const std::string load = "(load \"" + lsp + "\")(princ)\r";
  Select(w, dwg);
  w.insertButton()->click();
  emit w.resultList()->doubleClicked(w.resultList()->currentIndex());
  w.cadLink()->InsertAction()->trigger();
  w.cadLink()->LoadAction()->trigger();  // not a LISP file: nothing
  Select(w, lsp);
  emit w.resultList()->doubleClicked(w.resultList()->currentIndex());  // nothing
  w.lspButton()->click();
  w.cadLink()->LoadAction()->trigger();
  EXPECT_EQ(f.sent.texts, (std::vector<std::string>{insert, insert, insert, load, load}));
  EXPECT_EQ(f.sent.progIds.front(), "BricscadApp.AcadApplication");
  EXPECT_TRUE(f.messages.empty());

  // The rows stand where they were designed, between the two separators.
  const QList<QAction*> rows = w.resultMenu()->actions();
  const qsizetype at = rows.indexOf(w.cadLink()->TargetAction());
  ASSERT_GT(at, 0);
  EXPECT_TRUE(rows[at - 1]->isSeparator());
  EXPECT_EQ(rows[at + 1], w.cadLink()->InsertAction());
  EXPECT_EQ(rows[at + 2], w.cadLink()->LoadAction());
  EXPECT_TRUE(rows[at + 3]->isSeparator());
}

TEST(CadLinkWindow, OkInTheDialogNamesTheNewTarget) {
  Fixture f;
  std::ofstream(f.Path("settings/TargetCAD_APIVersion.txt"), std::ios::binary)
      << "Brics\tBricscadApp.AcadApplication\r\nZW\tZwcad.Application\r\n";
  {
    MainWindow w(f.Environment());
    cadlink::TTargetCADForm* dialog = w.cadLink()->Dialog();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(w.windowTitle(), "Kestrel [ Brics ]");
    QTimer::singleShot(0, dialog, [dialog] {
      dialog->List()->setCurrentRow(1);
      dialog->OkButton()->click();
    });
    w.cadLink()->TargetAction()->trigger();  // modal until OK
    EXPECT_EQ(w.targetProgId(), "Zwcad.Application");
    EXPECT_EQ(w.windowTitle(), "Kestrel [ ZW ]");
    EXPECT_EQ(w.insertButton()->text(), "ZW へ挿入");
    EXPECT_EQ(w.cadLink()->TargetAction()->text(), "ターゲット = ZW");

    w.resultList()->setFocus();
    w.close();
  }
  // The new target reaches the settings at shut-down and names the window at the next start.
  MainWindow again(f.Environment());
  EXPECT_EQ(again.targetProgId(), "Zwcad.Application");
  EXPECT_EQ(again.windowTitle(), "Kestrel [ ZW ]");
}
