#include "cadlink/TargetCadForm.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

using namespace kestrel;
using namespace kestrel::cadlink;
namespace fs = std::filesystem;

TEST(TargetCadForm, EnterChangesTheLineAndOkHandsOverTheChoice) {
  const fs::path dir = fs::temp_directory_path() / ("kestrel-form-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string table = (dir / "TargetCAD_APIVersion.txt").string();
  std::ofstream(table, std::ios::binary) << "B\tb.App\r\nA\ta.App\r\n";

  TTargetCADForm form(table, nullptr);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.windowTitle(), "ターゲット CAD");
  EXPECT_EQ(form.size(), QSize(315, 307));
  std::optional<TargetCadLogic::Choice> chosen;
  form.onOk = [&](const TargetCadLogic::Choice& c) { chosen = c; };

  form.Prepare("b.App");
  form.show();
  ASSERT_EQ(form.List()->count(), 2);
  EXPECT_EQ(form.List()->currentRow(), 1);
  EXPECT_EQ(form.NameBox()->text(), "B");

  form.List()->setCurrentRow(0);
  EXPECT_EQ(form.ProgIdBox()->text(), "a.App");
  form.NameBox()->setText("Z");
  QTest::keyClick(form.NameBox(), Qt::Key_Return);
  EXPECT_TRUE(form.isVisible());  // Enter is not the default button's
  EXPECT_EQ(form.List()->item(0)->text(), "Z\ta.App");
  EXPECT_EQ(app::ReadTextTable(table).lines, (std::vector<std::string>{"Z\ta.App", "B\tb.App"}));

  form.ProgIdBox()->setText("typed.App");
  form.OkButton()->click();
  EXPECT_FALSE(form.isVisible());
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->name, "Z");
  EXPECT_EQ(chosen->targetProgId, "typed.App");
  EXPECT_EQ(chosen->captions.window, "Kestrel [ Z ]");

  // Hidden, it keeps its boxes for the next showing.
  form.Prepare("nothing.matches");
  EXPECT_EQ(form.ProgIdBox()->text(), "typed.App");
  fs::remove_all(dir);
}
