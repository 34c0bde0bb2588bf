// The "DWG -> DXF" command end to end, with stand-in converters, and its messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <filesystem>
#include <fstream>

#include "dwg/DwgConverter.h"

namespace fs = std::filesystem;

namespace kestrel::dwg {
namespace {

struct Fixture {
  fs::path root = fs::temp_directory_path() / ("kestrel-convert-" + std::to_string(getpid()));
  fs::path out = root / "converted";
  std::vector<Message> messages;
  std::vector<std::string> status;
  std::vector<std::string> loaded;
  int ticks = 0;
  std::optional<std::string> selected;
  DwgConverter converter{nullptr, [this](const Message& m) { messages.push_back(m); },
                         out.string() + "/"};

  Fixture() {
    fs::remove_all(root);
    fs::create_directories(root / "drawings");
    std::ofstream(root / "drawings" / "PLAN.DWG") << "AC1015";
    auto& h = converter.hooks();
    h.selectedPath = [this] { return selected; };
    h.setStatus = [this](const QString& s) { status.push_back(s.toStdString()); };
    h.tickShow = [this] { ++ticks; };
    h.loadDxf = [this](const std::string& path) { loaded.push_back(path); };
  }
  ~Fixture() { fs::remove_all(root); }
  std::string Dwg() const { return (root / "drawings" / "PLAN.DWG").string(); }
  static std::string Script(const char* name) {
    return std::string(KESTREL_DWG_FIXTURES) + "/" + name;
  }
};

TEST(DwgConverter, ConvertsDrawsAndReportsEachStep) {
  Fixture f;
  f.converter.SetSettings(Fixture::Script("converter-writes-dxf.sh"), false);
  f.selected = f.Dwg();
  f.converter.ConvertDwgToDxf();
  EXPECT_TRUE(f.messages.empty());
  const std::string dxf = (f.out / "PLAN.dxf").string();
  EXPECT_EQ(f.loaded, std::vector<std::string>{dxf});
  EXPECT_EQ(f.ticks, 1);
  EXPECT_EQ(f.status,
            (std::vector<std::string>{"DWG->DXF 変換中... ", "DXF ファイルを表示中...", ""}));
  std::ifstream args(f.out / "arguments.txt");
  std::string all((std::istreambuf_iterator<char>(args)), {});
  EXPECT_EQ(all, (f.root / "drawings").string() + "\n" + f.out.string() +
                     "\nACAD2000\nDXF\n0\n0\nPLAN.DWG\n");
}

TEST(DwgConverter, MessagesOfEveryFailure) {
  const std::string notFound = "ファイルが見つかりません．";
  {
    // No converter registered, or it is gone.
    Fixture f;
    f.selected = f.Dwg();
    f.converter.ConvertDwgToDxf();
    f.converter.SetSettings((f.root / "gone").string(), true);
    f.converter.ConvertDwgToDxf();
    ASSERT_EQ(f.messages.size(), 2u);
    for (const Message& m : f.messages) {
      EXPECT_EQ(m.kind, MessageKind::Information);
      EXPECT_EQ(m.text, "ODAFileConverter.exe が見つかりません．");
    }
    EXPECT_TRUE(f.status.empty());
  }
  {
    // No selection, not a DWG: nothing at all. A DWG that is gone: its path.
    Fixture f;
    f.converter.SetSettings(Fixture::Script("converter-writes-dxf.sh"), false);
    f.converter.ConvertDwgToDxf();
    f.selected = (f.root / "drawings" / "plan.dxf").string();
    f.converter.ConvertDwgToDxf();
    EXPECT_TRUE(f.messages.empty());
    f.selected = (f.root / "drawings" / "gone.dwg").string();
    f.converter.ConvertDwgToDxf();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].text, *f.selected + "\n" + notFound);
    EXPECT_TRUE(f.loaded.empty());
  }
  {
    // The converter ends without a result: the expected path.
    Fixture f;
    f.converter.SetSettings(Fixture::Script("converter-writes-nothing.sh"), false);
    f.selected = f.Dwg();
    f.converter.ConvertDwgToDxf();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].kind, MessageKind::Information);
    EXPECT_EQ(f.messages[0].text, (f.out / "PLAN.dxf").string() + "\n" + notFound);
    EXPECT_EQ(f.status, (std::vector<std::string>{"DWG->DXF 変換中... ", ""}));
    EXPECT_EQ(f.ticks, 0);
  }
  {
    // A converter that cannot be started (not executable).
    Fixture f;
    const fs::path plain = f.root / "not-a-program";
    std::ofstream(plain) << "text";
    fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write);
    f.converter.SetSettings(plain.string(), false);
    f.selected = f.Dwg();
    f.converter.ConvertDwgToDxf();
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(f.messages[0].title, "エラー");
    EXPECT_EQ(f.messages[0].text, "起動に失敗しました．");
    EXPECT_EQ(f.status, (std::vector<std::string>{"DWG->DXF 変換中... ", ""}));
  }
}

TEST(DwgConverter, MenuRowsAndRegistration) {
  Fixture f;
  const QList<QAction*> rows = f.converter.MenuActions();
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0]->text().toStdString(), "ODAFileConverter を登録");
  EXPECT_FALSE(rows[0]->isCheckable());
  EXPECT_EQ(rows[1]->text().toStdString(), "変換中 FileConverter.exe を表示する");
  EXPECT_TRUE(rows[1]->isCheckable());
  f.converter.SetSettings("/opt/a", true);
  EXPECT_TRUE(rows[1]->isChecked());
  rows[1]->trigger();
  EXPECT_FALSE(f.converter.showConverter());

  std::optional<std::string> answer;
  f.converter.hooks().chooseProgram = [&] { return answer; };
  rows[0]->trigger();  // cancelled
  EXPECT_EQ(f.converter.converterPath(), "/opt/a");
  answer = "/opt/oda/ODAFileConverter";
  rows[0]->trigger();
  EXPECT_EQ(f.converter.converterPath(), "/opt/oda/ODAFileConverter");
}

}  // namespace
}  // namespace kestrel::dwg
