#include "cadlink/TargetCadLogic.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/TextCodec.h"

using namespace kestrel;
using namespace kestrel::cadlink;
namespace fs = std::filesystem;

namespace {

struct Table {
  fs::path dir = fs::temp_directory_path() / ("kestrel-target-" + std::to_string(getpid()));
  std::string path = (dir / "TargetCAD_APIVersion.txt").string();
  Table() {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Table() { fs::remove_all(dir); }
  void Write(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
  std::string Bytes() const {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
};

std::string Join(const std::vector<std::string>& v) {
  std::string out;
  for (const std::string& s : v)
    out += (out.empty() ? "" : "|") + s;
  return out;
}

// One command a line, as kestrel-tool target-dialog reads them; TABs in names are written "\t".
void RunScript(TargetCadLogic& logic, const std::string& target,
               const std::vector<std::string>& script) {
  for (const std::string& command : script) {
    if (command == "show") {
      logic.Show(target);
    } else if (command.rfind("click ", 0) == 0) {
      logic.Click(std::stoi(command.substr(6)));
    } else if (command.rfind("edit ", 0) == 0) {
      const size_t bar = command.find('|');
      logic.SetEdits(command.substr(5, bar - 5), command.substr(bar + 1));
    } else if (command == "add") {
      logic.Add();
    } else if (command == "delete") {
      logic.Delete();
    } else if (command == "change") {
      logic.Change();
    } else {
      FAIL() << command;
    }
  }
}

}  // namespace

TEST(TargetCadLogic, CommandSequences) {
  const std::string five =
      "E\te.App\r\nB\tb.App\r\nD\td.App\r\na\ta.App\r\nc\tc.App\r\n";  // a B c D E when sorted
  struct Case {
    const char* name;
    const char* file;  // nullptr: no table file
    const char* target;
    std::vector<std::string> script;
    const char* lines;  // the list, "|" between lines
    int selected;
    const char* edit1;
    const char* edit2;
    const char* fileAfter;  // the table's lines, "|" between; nullptr: no file
  };
  const Case cases[] = {
      {"sorted ignoring case; a longer ProgID in an earlier line is the target's",
       "ZW\tZwcad.Application\r\nbrics 24\tBricscadApp.AcadApplication.24\r\nAuto\tAutoCAD.App\r\n"
       "Brics\tBricscadApp.AcadApplication\r\n",
       "BricscadApp.AcadApplication",
       {"show"},
       "Auto\tAutoCAD.App|Brics\tBricscadApp.AcadApplication|brics 24\tBricscadApp.AcadApplication."
       "24|ZW\tZwcad.Application",
       1,
       "Brics",
       "BricscadApp.AcadApplication",
       "ZW\tZwcad.Application|brics 24\tBricscadApp.AcadApplication.24|Auto\tAutoCAD.App|"
       "Brics\tBricscadApp.AcadApplication"},
      {"no table: nothing selected, the boxes keep their text; add makes the file",
       nullptr,
       "x.App",
       {"edit kept|k.App", "show", "add"},
       "kept\tk.App",
       0,
       "kept",
       "k.App",
       "kept\tk.App"},
      {"an added line lands in its sorted place and is selected",
       "a\ta.App\r\nc\tc.App\r\n",
       "none",
       {"show", "edit B|b.App", "add"},
       "a\ta.App|B\tb.App|c\tc.App",
       1,
       "B",
       "b.App",
       "a\ta.App|B\tb.App|c\tc.App"},
      {"the same line twice; empty fields are taken",
       nullptr,
       "none",
       {"edit N|P", "add", "edit N|P", "add", "edit |", "add"},
       "\t|N\tP|N\tP",
       0,
       "",
       "",
       "\t|N\tP|N\tP"},
      {"adding a twin in other letters selects the first equal line",
       "ab\tX.App\r\n",
       "none",
       {"show", "edit AB|x.app", "add"},
       "ab\tX.App|AB\tx.app",
       0,
       "ab",
       "X.App",
       "ab\tX.App|AB\tx.app"},
      {"deleting the fourth of five selects the third",
       five.c_str(),
       "none",
       {"show", "click 3", "delete"},
       "a\ta.App|B\tb.App|c\tc.App|E\te.App",
       2,
       "c",
       "c.App",
       "a\ta.App|B\tb.App|c\tc.App|E\te.App"},
      {"deleting the last selects the new last",
       five.c_str(),
       "none",
       {"show", "click 4", "delete"},
       "a\ta.App|B\tb.App|c\tc.App|D\td.App",
       3,
       "D",
       "d.App",
       "a\ta.App|B\tb.App|c\tc.App|D\td.App"},
      {"deleting the first selects the one that moved up",
       five.c_str(),
       "none",
       {"show", "click 0", "delete"},
       "B\tb.App|c\tc.App|D\td.App|E\te.App",
       0,
       "B",
       "b.App",
       "B\tb.App|c\tc.App|D\td.App|E\te.App"},
      {"deleting the only line empties the boxes",
       "a\ta.App\r\n",
       "a.App",
       {"show", "delete"},
       "",
       -1,
       "",
       "",
       ""},
      {"delete and change without a selection do nothing and write nothing",
       "b\tb.App\r\na\ta.App\r\n",
       "none",
       {"show", "edit x|y", "delete", "change"},
       "a\ta.App|b\tb.App",
       -1,
       "x",
       "y",
       "b\tb.App|a\ta.App"},
      {"a changed line stays where it stands; the next showing sorts it",
       "a\ta.App\r\nb\tb.App\r\nc\tc.App\r\n",
       "none",
       {"show", "click 0", "edit z|z.App", "change"},
       "z\tz.App|b\tb.App|c\tc.App",
       0,
       "z",
       "z.App",
       "z\tz.App|b\tb.App|c\tc.App"},
      {"showing again reads the file and sorts it",
       "a\ta.App\r\nb\tb.App\r\n",
       "b.App",
       {"show", "click 0", "edit z|z.App", "change", "show"},
       "b\tb.App|z\tz.App",
       0,
       "b",
       "b.App",
       "z\tz.App|b\tb.App"},
      {"a line without a TAB goes whole into the ProgID box",
       "lonely\r\n",
       "none",
       {"show", "edit x|y", "click 0"},
       "lonely",
       0,
       "",
       "lonely",
       "lonely"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Table t;
    if (c.file) t.Write(c.file);
    std::vector<Message> messages;
    TargetCadLogic logic(t.path, [&](const Message& m) { messages.push_back(m); });
    RunScript(logic, c.target, c.script);
    EXPECT_EQ(Join(logic.Lines()), c.lines);
    EXPECT_EQ(logic.Selected(), c.selected);
    EXPECT_EQ(logic.Edit1(), c.edit1);
    EXPECT_EQ(logic.Edit2(), c.edit2);
    const app::TextTable after = app::ReadTextTable(t.path);
    if (c.fileAfter) {
      EXPECT_TRUE(after.existed);
      EXPECT_EQ(Join(after.lines), c.fileAfter);
    } else {
      EXPECT_FALSE(after.existed);
    }
    EXPECT_TRUE(messages.empty());
  }
}

TEST(TargetCadLogic, OkTakesTheBoxesAsTheyStand) {
  Table t;
  TargetCadLogic logic(t.path, nullptr);
  logic.SetEdits("", "");
  TargetCadLogic::Choice empty = logic.Ok("Kestrel");
  EXPECT_EQ(empty.targetProgId, "");
  EXPECT_EQ(empty.captions.menuItem, "ターゲット = ");
  EXPECT_EQ(empty.captions.insertButton, " へ挿入");
  EXPECT_EQ(empty.captions.window, "Kestrel [  ]");
  logic.SetEdits("Typed", "In.No.Line");
  EXPECT_EQ(logic.Ok("Kestrel").targetProgId, "In.No.Line");
  EXPECT_FALSE(fs::exists(t.path));  // OK writes nothing
}

TEST(TargetCadLogic, TableKeepsItsEncoding) {
  Table t;
  // Code page 932 without a mark stays so; a new file is UTF-8 with a mark.
  t.Write(Utf8ToAnsiUnambiguous("ブリックス\tBricscadApp.AcadApplication\r\n").value());
  TargetCadLogic logic(t.path, nullptr);
  logic.Show("BricscadApp.AcadApplication");
  EXPECT_EQ(logic.Edit1(), "ブリックス");
  logic.SetEdits("オート", "AutoCAD.Application");
  logic.Add();
  EXPECT_EQ(t.Bytes(), Utf8ToAnsiUnambiguous("オート\tAutoCAD.Application\r\n"
                                             "ブリックス\tBricscadApp.AcadApplication\r\n")
                           .value());

  Table fresh;
  TargetCadLogic created(fresh.path, nullptr);
  created.SetEdits("A", "a.App");
  created.Add();
  created.SetEdits("B", "b.App");
  created.Add();
  EXPECT_EQ(fresh.Bytes(),
            "\xEF\xBB\xBF"
            "A\ta.App\r\nB\tb.App\r\n");
}

TEST(TargetCadLogic, AFailedWriteIsReportedAndTheListKeepsTheChange) {
  Table t;
  std::vector<Message> messages;
  const std::string path = (t.dir / "missing" / "TargetCAD_APIVersion.txt").string();
  TargetCadLogic logic(path, [&](const Message& m) { messages.push_back(m); });
  logic.SetEdits("A", "a.App");
  logic.Add();
  EXPECT_EQ(Join(logic.Lines()), "A\ta.App");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].kind, MessageKind::Error);
  EXPECT_NE(messages[0].text.find(path), std::string::npos) << messages[0].text;
  EXPECT_NE(messages[0].text.find("No such file or directory"), std::string::npos)
      << messages[0].text;
}
