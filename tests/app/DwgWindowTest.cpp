// The window's share of the DWG preview and conversion: the preview hook ends the dispatch by a
// silent abort for an unreadable preview, and the converter's settings come and go with the
// settings file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <filesystem>
#include <fstream>

#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/core/IniFile.h"
#include "dwg/DwgConverter.h"
#include "preview/ImageBox.h"
#include "preview/PreviewDispatch.h"

namespace fs = std::filesystem;
using namespace kestrel;
using namespace kestrel::app;

namespace {

struct DwgWindowFixture {
  fs::path root = fs::temp_directory_path() / ("kestrel-dwgwin-" + std::to_string(getpid()));
  std::vector<Message> messages;
  DwgWindowFixture() { fs::create_directories(root / "settings"); }
  ~DwgWindowFixture() { fs::remove_all(root); }
  AppEnvironment Environment() {
    AppEnvironment env;
    env.settingsFolder = (root / "settings").string() + "/";
    env.settingsFileName = "kestrel.ini";
    env.defaultTopFolder = "/nowhere";
    env.messages = [this](const Message& m) { messages.push_back(m); };
    env.forcePdfUnavailable = true;
    return env;
  }
};

TEST(DwgWindow, UnreadablePreviewIsASilentAbortAndLeavesBlack) {
  DwgWindowFixture f;
  std::ofstream(f.root / "bad.dwg", std::ios::binary) << "AC1015";
  MainWindow w(f.Environment());
  auto& show = w.preview()->hooks().showDwgPreview;
  ASSERT_TRUE(show);
  w.thumbnail()->setImage(QImage(100, 100, QImage::Format_RGB32));
  EXPECT_THROW(show((f.root / "bad.dwg").string(), w.thumbnail()), SilentAbort);
  EXPECT_TRUE(w.thumbnail()->image().isNull());
  show(std::string(KESTREL_CORPUS_DIR) + "/dwg/libredwg_example_2000.dwg", w.thumbnail());
  EXPECT_EQ(w.thumbnail()->image().size(), QSize(100, 100));
  show("", w.thumbnail());
  EXPECT_TRUE(w.thumbnail()->image().isNull());
  for (const Message& m : f.messages)
    EXPECT_EQ(m.text, "PDFium.DLL が見つかりません.");  // the only message: the PDF engine
}

TEST(DwgWindow, ConverterSettingsComeBackFromTheSettingsFile) {
  DwgWindowFixture f;
  {
    std::ofstream(f.root / "settings" / "kestrel.ini")
        << "[ODA]\nFullName=/opt/oda/ODAFileConverter\ndispFlag=1\n";
    MainWindow w(f.Environment());
    EXPECT_EQ(w.dwgConverter()->converterPath(), "/opt/oda/ODAFileConverter");
    EXPECT_TRUE(w.dwgConverter()->showConverter());
    w.dwgConverter()->hooks().chooseProgram = [] {
      return std::optional<std::string>("/usr/local/bin/converter");
    };
    w.dwgConverter()->MenuActions()[0]->trigger();
    w.dwgConverter()->MenuActions()[1]->trigger();
  }
  const IniFile ini = IniFile::Load((f.root / "settings" / "kestrel.ini").string());
  EXPECT_EQ(ini.ReadString("ODA", "FullName", ""), "/usr/local/bin/converter");
  EXPECT_FALSE(ini.ReadBool("ODA", "dispFlag", true));
}

}  // namespace
