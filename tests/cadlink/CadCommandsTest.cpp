#include "cadlink/CadCommands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace kestrel;
using namespace kestrel::cadlink;
namespace fs = std::filesystem;

namespace {

// Records every operation; the window answers and failures are set per test.
class FakeSession final : public CadSession {
 public:
  std::vector<std::string> log;
  bool running = true;
  bool minimised = false;
  bool foregroundRefused = false;
  std::string failAt;  // the operation that throws CadError("failed at ...")
  WindowHandle window = 0x1234;

  bool IsTargetRunning(const std::string& progId) override {
    Do("running " + progId);
    return running;
  }
  void Fetch(const std::string& progId) override { Do("fetch " + progId); }
  WindowHandle MainWindow() override {
    Do("hwnd");
    return window;
  }
  bool IsMinimised(WindowHandle w) override {
    Do("minimised?");
    return w == window && minimised;
  }
  void Restore(WindowHandle) override {
    Do("restore");
    minimised = false;
  }
  void SetForeground(WindowHandle w) override {
    Do("foreground");
    foreground = foregroundRefused ? 0x9999 : w;
  }
  WindowHandle Foreground() override {
    Do("foreground?");
    return foreground;
  }
  void PressEscape() override { Do("escape"); }
  void Pause(int ms) override { Do("pause " + std::to_string(ms)); }
  void FetchActiveDocument() override { Do("document"); }
  void SendCommand(const std::string& text) override { Do("send " + text); }
  void Release() noexcept override { log.push_back("release"); }

 private:
  void Do(const std::string& op) {
    log.push_back(op);
    if (!failAt.empty() && op.rfind(failAt, 0) == 0) throw CadError("failed at " + failAt);
  }
  WindowHandle foreground = 0x9999;
};

std::string Join(const std::vector<std::string>& v) {
  std::string out;
  for (const std::string& s : v)
    out += (out.empty() ? "" : "|") + s;
  return out;
}

struct Files {
  fs::path root = fs::temp_directory_path() / ("kestrel-cad-" + std::to_string(getpid()));
  Files() {
    fs::create_directories(root / "a b");
    for (const char* name : {"a b/plan.Dwg", "a b/site.dxf", "a b/tool.LSP", "a b/notes.txt"})
      std::ofstream(root / name) << "x";
    fs::create_directories(root / "a b/folder.dwg");
  }
  ~Files() { fs::remove_all(root); }
  std::string operator()(const char* name) const { return (root / name).string(); }
};

}  // namespace

TEST(CadCommandTexts, InsertQuotesThePathAsItStandsAndLispDoublesBackslashes) {
  EXPECT_EQ(InsertCommandText("D:\\work\\a b.dwg"),
            "ATTREQ 0\r-INSERT\r\"D:\\work\\a b.dwg\"\rS 1 R 0");
  EXPECT_EQ(LispLoadCommandText("C:\\a\\b.lsp"), "(load \"C:\\\\a\\\\b.lsp\")(princ)");
  EXPECT_EQ(LispLoadCommandText("/home/u/x y.lsp"), "(load \"/home/u/x y.lsp\")(princ)");
}

TEST(CadCommandTexts, ExtensionsAndFilesDecideWhetherThereIsACommand) {
  Files f;
  EXPECT_EQ(InsertCommandFor(f("a b/plan.Dwg")), InsertCommandText(f("a b/plan.Dwg")));
  EXPECT_TRUE(InsertCommandFor(f("a b/site.dxf")));
  EXPECT_EQ(LispLoadCommandFor(f("a b/tool.LSP")), LispLoadCommandText(f("a b/tool.LSP")));
  // The wrong kind, a file that is not there, a folder with a drawing's name.
  EXPECT_FALSE(InsertCommandFor(f("a b/tool.LSP")));
  EXPECT_FALSE(InsertCommandFor(f("a b/notes.txt")));
  EXPECT_FALSE(InsertCommandFor(f("a b/gone.dwg")));
  EXPECT_FALSE(InsertCommandFor(f("a b/folder.dwg")));
  EXPECT_FALSE(LispLoadCommandFor(f("a b/plan.Dwg")));
  EXPECT_FALSE(LispLoadCommandFor(f("a b/gone.lsp")));
}

TEST(SendToCad, SequenceForEachStateOfTheCadWindow) {
  struct Case {
    const char* name;
    bool running, minimised, foregroundRefused;
    const char* failAt;
    const char* log;
    const char* message;  // "" for none
  };
  const Case cases[] = {
      {"not running", false, false, false, "", "running P|release", ""},
      {"in front", true, false, false, "",
       "running P|fetch P|hwnd|minimised?|hwnd|foreground|foreground?|hwnd|escape|pause 5|"
       "document|send T\r|release",
       ""},
      {"minimised", true, true, false, "",
       "running P|fetch P|hwnd|minimised?|hwnd|restore|pause 500|hwnd|foreground|foreground?|"
       "hwnd|escape|pause 5|document|send T\r|release",
       ""},
      // The command still goes, without the Escape that would land in another window.
      {"foreground refused", true, false, true, "",
       "running P|fetch P|hwnd|minimised?|hwnd|foreground|foreground?|hwnd|document|send T\r|"
       "release",
       ""},
      {"no document", true, false, false, "document",
       "running P|fetch P|hwnd|minimised?|hwnd|foreground|foreground?|hwnd|escape|pause 5|"
       "document|release",
       "failed at document"},
      {"unregistered ProgID", true, false, false, "running", "running P|release",
       "failed at running"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSession s;
    s.running = c.running;
    s.minimised = c.minimised;
    s.foregroundRefused = c.foregroundRefused;
    s.failAt = c.failAt;
    std::vector<Message> messages;
    SendToCad(s, "P", "T", [&](const Message& m) { messages.push_back(m); });
    EXPECT_EQ(Join(s.log), c.log);
    if (*c.message) {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].kind, MessageKind::Error);
      EXPECT_EQ(messages[0].text, c.message);
    } else {
      EXPECT_TRUE(messages.empty());
    }
  }
}

TEST(SendToCad, CommandsStopSilentlyBeforeAskingForTheProgram) {
  Files f;
  FakeSession s;
  std::vector<Message> messages;
  auto sink = [&](const Message& m) { messages.push_back(m); };
  InsertIntoCad(std::nullopt, s, "P", sink);
  InsertIntoCad(f("a b/tool.LSP"), s, "P", sink);  // a double click on a LISP file
  LoadLispIntoCad(f("a b/plan.Dwg"), s, "P", sink);
  LoadLispIntoCad(f("a b/gone.lsp"), s, "P", sink);
  EXPECT_TRUE(s.log.empty()) << Join(s.log);
  EXPECT_TRUE(messages.empty());

  LoadLispIntoCad(f("a b/tool.LSP"), s, "P", sink);
  EXPECT_EQ(s.log[s.log.size() - 2], "send " + LispLoadCommandText(f("a b/tool.LSP")) + "\r");
}

TEST(SendToCad, ThePlatformSessionFindsNoProgramHere) {
#ifndef _WIN32
  auto session = MakeCadSession();
  EXPECT_FALSE(session->IsTargetRunning(""));
  EXPECT_FALSE(session->IsTargetRunning("BricscadApp.AcadApplication"));
  std::vector<Message> messages;
  SendToCad(*session, "", "T", [&](const Message& m) { messages.push_back(m); });
  EXPECT_TRUE(messages.empty());
#endif
}
