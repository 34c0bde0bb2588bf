#include "app/core/Settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "common/SpecialFiles.h"

namespace fs = std::filesystem;
using namespace kestrel;
using namespace kestrel::app;

namespace {

class TempDir {
 public:
  TempDir() : path_(fs::temp_directory_path() / ("kestrel-app-" + std::to_string(getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Folder() const { return path_.string() + "/"; }

 private:
  fs::path path_;
};

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(Settings, FirstStartGivesTheDefaults) {
  Settings defaults;
  defaults.left = 100;
  defaults.top = 50;
  defaults.topFolder = "/home/u";
  Settings s = ReadSettings(IniFile(), defaults);
  EXPECT_EQ(s.left, 100);
  EXPECT_EQ(s.top, 50);
  EXPECT_EQ(s.fileMask, "*.dwg");
  EXPECT_EQ(s.topFolder, "/home/u");
  EXPECT_EQ(s.insertButtonCaption, "BricsCAD へ挿入");
  EXPECT_EQ(s.targetProgId, "BricscadApp.AcadApplication");
  EXPECT_FALSE(s.searchOr);
}

TEST(Settings, RoundTripInShutDownOrderKeepingForeignLines) {
  TempDir dir;
  const std::string path = dir.File("kestrel.ini");
  Spit(path, "; kept\r\n[Other]\r\nx = 1\r\n[Form]\r\nLeft=7\r\n");
  IniFile ini = IniFile::Load(path);
  Settings s;
  s.left = -20;
  s.top = 30;
  s.width = 819;
  s.height = 451;
  s.insertButtonCaption = "AutoCAD へ挿入";
  s.topFolder = "/データ/図面";
  s.fileMask = "*.dxf";
  s.searchWords = "plan !old";
  s.searchOr = true;
  s.showConverter = true;
  s.targetProgId = "AutoCAD.Application";
  WriteSettings(ini, s);
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ(Slurp(path),
            "; kept\r\n[Other]\r\nx = 1\r\n[Form]\r\nLeft=-20\r\nWidth=819\r\nHeight=451\r\n"
            "Top=30\r\n[CAD]\r\nButton=AutoCAD へ挿入\r\n[Folder]\r\nTopFolder=/データ/図面\r\n"
            "[FileMask]\r\nExt=*.dxf\r\n[ODA]\r\nFullName=\r\ndispFlag=1\r\n[FileName]\r\n"
            "Mask=plan !old\r\nOR=1\r\n[PdfToText]\r\nusesPdfium=0\r\n[Target]\r\n"
            "ProgID=AutoCAD.Application\r\n");
  Settings back = ReadSettings(IniFile::Load(path), Settings());
  EXPECT_EQ(back.left, -20);
  EXPECT_EQ(back.topFolder, s.topFolder);
  EXPECT_EQ(back.searchWords, s.searchWords);
  EXPECT_TRUE(back.searchOr);
  EXPECT_TRUE(back.showConverter);
  EXPECT_EQ(back.targetProgId, s.targetProgId);
}

TEST(Settings, IntegersAndBooleansReadLikeTheProfileServices) {
  IniFile ini = IniFile::Parse("[form]\nleft = 12abc\nTop=abc\n[FileName]\nOR=5\n");
  EXPECT_EQ(ini.ReadInteger("Form", "Left", 0), 12);  // names ignore case, leading digits count
  EXPECT_EQ(ini.ReadInteger("Form", "Top", 99), 99);  // not a number: the default
  EXPECT_TRUE(ini.ReadBool("FileName", "OR", false));
  // Files written by older versions are in the ANSI code page.
  EXPECT_EQ(IniFile::Parse("[CAD]\nButton=\x93\xfa\n").ReadString("CAD", "Button", ""), "日");
}

// The bytes of a UTF-16LE text with its mark.
std::string Utf16Le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out += char(c & 0xFF);
    out += char(c >> 8);
  }
  return out;
}

TEST(IniFile, RoundTripsChangeOnlyTheLinesWhoseValuesChange) {
  struct Value {
    const char* section;
    const char* key;
    std::string value;
  };
  struct Case {
    const char* what;
    std::string before;
    std::vector<Value> reads;   // what `before` holds
    std::vector<Value> writes;  // in this order
    std::string after;          // byte for byte
  } cases[] = {
      {"UTF-8 with one Latin-1 comment, same values",
       "; Caf\xE9 notes\r\n[CAD]\r\nButton=BricsCAD "
       "へ挿入\r\n[Folder]\r\nTopFolder=/home/u/図面\r\n",
       {{"CAD", "Button", "BricsCAD へ挿入"}, {"Folder", "TopFolder", "/home/u/図面"}},
       {{"CAD", "Button", "BricsCAD へ挿入"}, {"Folder", "TopFolder", "/home/u/図面"}},
       "; Caf\xE9 notes\r\n[CAD]\r\nButton=BricsCAD "
       "へ挿入\r\n[Folder]\r\nTopFolder=/home/u/図面\r\n"},
      {"UTF-8 with one Latin-1 comment, changed and new values",
       "; Caf\xE9 notes\r\n[CAD]\r\nButton=BricsCAD "
       "へ挿入\r\n[Folder]\r\nTopFolder=/home/u/図面\r\n",
       {},
       {{"CAD", "Button", "AutoCAD へ挿入"},
        {"Folder", "TopFolder", "/home/u/設計"},
        {"FileName", "Mask", "平面図"}},
       "; Caf\xE9 notes\r\n[CAD]\r\nButton=AutoCAD へ挿入\r\n[Folder]\r\nTopFolder=/home/u/設計\r\n"
       "[FileName]\r\nMask=平面図\r\n"},
      {"code page 932, same values",
       "[CAD]\r\nButton=BricsCAD \x82\xD6\x91}\x93\xFC\r\n; \x90}\x96\xCA\r\n[Folder]\r\n"
       "TopFolder=D:\\\x90}\x96\xCA\r\n",
       {{"CAD", "Button", "BricsCAD へ挿入"}, {"Folder", "TopFolder", "D:\\図面"}},
       {{"CAD", "Button", "BricsCAD へ挿入"}, {"Folder", "TopFolder", "D:\\図面"}},
       "[CAD]\r\nButton=BricsCAD \x82\xD6\x91}\x93\xFC\r\n; \x90}\x96\xCA\r\n[Folder]\r\n"
       "TopFolder=D:\\\x90}\x96\xCA\r\n"},
      {"code page 932, changed and new values; one it cannot hold",
       "[CAD]\r\nButton=BricsCAD \x82\xD6\x91}\x93\xFC\r\n; \x90}\x96\xCA\r\n[Folder]\r\n"
       "TopFolder=D:\\\x90}\x96\xCA\r\n",
       {},
       {{"CAD", "Button", "AutoCAD へ挿入"},
        {"FileName", "Mask", "設計"},
        {"Folder", "TopFolder", "D:\\☃"}},
       "[CAD]\r\nButton=AutoCAD \x82\xD6\x91}\x93\xFC\r\n; \x90}\x96\xCA\r\n[Folder]\r\n"
       "TopFolder=D:\\☃\r\n[FileName]\r\nMask=\x90\xDD\x8Cv\r\n"},
      // In code page 932 "ﾃｽ" is C3 BD, which would read back as the UTF-8 of "ý".
      {"code page 932, a value whose code page 932 bytes are valid UTF-8",
       "[FileName]\r\nMask=\x90\xDD\x8Cv\r\n",
       {{"FileName", "Mask", "設計"}},
       {{"FileName", "Mask", "ﾃｽ"}},
       "[FileName]\r\nMask=ﾃｽ\r\n"},
      {"UTF-8 with a mark",
       "\xEF\xBB\xBF[CAD]\r\nButton=BricsCAD へ挿入\r\n; \x90}\x96\xCA\r\n",
       {{"CAD", "Button", "BricsCAD へ挿入"}},
       {{"CAD", "Button", "BricsCAD へ挿入"}, {"Folder", "TopFolder", "/図面"}},
       "\xEF\xBB\xBF[CAD]\r\nButton=BricsCAD へ挿入\r\n; \x90}\x96\xCA\r\n[Folder]\r\n"
       "TopFolder=/図面\r\n"},
      {"UTF-16 with a mark",
       Utf16Le(u"[CAD]\r\nButton=日\r\n; x\r\n"),
       {{"CAD", "Button", "日"}},
       {{"CAD", "Button", "日"}, {"Form", "Left", "3"}},
       Utf16Le(u"[CAD]\r\nButton=日\r\n; x\r\n[Form]\r\nLeft=3\r\n")},
      {"LF line ends, odd and blank lines",
       "[form]\n  left = 7  \nnonsense\n\n[Other]\nx = 1\n",
       {{"Form", "Left", "7"}},
       {{"Form", "Left", "7"}, {"Form", "Top", "30"}, {"Folder", "TopFolder", "/home/u/図面"}},
       "[form]\n  left = 7  \nTop=30\nnonsense\n\n[Other]\nx = 1\n[Folder]\n"
       "TopFolder=/home/u/図面\n"},
      {"CRLF, the last line without a line end",
       "[Form]\r\nLeft=7",
       {{"Form", "Left", "7"}},
       {{"Form", "Top", "30"}},
       "[Form]\r\nLeft=7\r\nTop=30\r\n"},
      {"values the reading would trim or unquote",
       "",
       {},
       {{"FileName", "Mask", " plan "}, {"FileMask", "Ext", "\"*.dxf\""}},
       "[FileName]\r\nMask=\" plan \"\r\n[FileMask]\r\nExt=\"\"*.dxf\"\"\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IniFile ini = IniFile::Parse(c.before);
    for (const Value& v : c.reads)
      EXPECT_EQ(ini.ReadString(v.section, v.key, "(none)"), v.value) << v.key;
    for (const Value& v : c.writes)
      ini.Write(v.section, v.key, v.value);
    EXPECT_EQ(ini.Text(), c.after);
    IniFile back = IniFile::Parse(ini.Text());
    for (const Value& v : c.writes)
      EXPECT_EQ(back.ReadString(v.section, v.key, "(none)"), v.value) << v.key;
  }

  // A line break in a value cannot start a line of its own.
  IniFile ini;
  ini.Write("FileName", "Mask", "a\r\n[Target]\nProgID=Other.Application");
  EXPECT_FALSE(IniFile::Parse(ini.Text()).Read("Target", "ProgID"));
}

TEST(IniFile, AnyFileWrittenBackWithItsOwnValuesIsUnchanged) {
  // Files made of the pieces hand-edited INI files are made of, in every mixture.
  const char* pieces[] = {"[Form]",
                          "[cad]",
                          " [ Folder ] ",
                          "Left=7",
                          "left = 8 ",
                          "Button=",
                          "TopFolder=/home/u/図面",
                          "Mask=\x90}\x96\xCA",
                          "; Caf\xE9",
                          "=x",
                          "Ext=\"*.dwg\"",
                          "OR='1",
                          "\t",
                          "ﾃｽ",
                          "\xC3\xBD",
                          "\xFF",
                          "\r\n",
                          "\n",
                          "\r",
                          "\r\n",
                          "\n"};
  std::mt19937 rng(11);
  for (int file = 0; file < 500; ++file) {
    std::string bytes;
    for (int n = rng() % 30; n > 0; --n)
      bytes += pieces[rng() % std::size(pieces)];
    IniFile ini = IniFile::Parse(bytes);
    ASSERT_EQ(ini.Text(), bytes);
    for (const char* section : {"Form", "CAD", "Folder", "FileName", "FileMask"}) {
      for (const char* key : {"Left", "Button", "TopFolder", "Mask", "Ext", "OR", ""}) {
        if (auto v = ini.Read(section, key)) ini.Write(section, key, *v);
      }
    }
    ASSERT_EQ(ini.Text(), bytes);
  }
}

TEST(Settings, TheSameSettingsLeaveAHandEditedFileAsItWas) {
  // Written by hand: a Latin-1 comment, LF line ends, Japanese values in UTF-8.
  const std::string before =
      "; R\xE9glages\n[Form]\nWidth=819\nHeight=451\nLeft=10\nTop=20\n[CAD]\n"
      "Button=BricsCAD へ挿入\n[Folder]\nTopFolder=/home/u/図面\n[FileMask]\nExt=*.dwg\n"
      "[ODA]\nFullName=/opt/oda/ODAFileConverter\ndispFlag=0\n[FileName]\nMask=平面図 !旧\n"
      "OR=1\n[PdfToText]\nusesPdfium=0\n[Target]\nProgID=BricscadApp.AcadApplication\n";
  IniFile ini = IniFile::Parse(before);
  Settings s = ReadSettings(ini, Settings());
  EXPECT_EQ(s.insertButtonCaption, "BricsCAD へ挿入");
  EXPECT_EQ(s.topFolder, "/home/u/図面");
  EXPECT_EQ(s.searchWords, "平面図 !旧");
  s.width = 819;  // the window's size, which is not read back
  s.height = 451;
  WriteSettings(ini, s);
  EXPECT_EQ(ini.Text(), before);
}

TEST(TargetTable, FirstLineContainingTabAndProgIdNamesTheTarget) {
  const std::vector<std::string> lines = {"Old\tBricscadApp.AcadApplication.24",
                                          "Bricks\tBricscadApp.AcadApplication",
                                          "AutoCAD\tAutoCAD.Application"};
  EXPECT_EQ(FindTargetDisplayName(lines, "BricscadApp.AcadApplication"), "Old");
  EXPECT_EQ(FindTargetDisplayName(lines, "AutoCAD.Application"), "AutoCAD");
  EXPECT_FALSE(FindTargetDisplayName(lines, "Other.Application"));
  EXPECT_FALSE(FindTargetDisplayName({"AutoCAD.Application"}, "AutoCAD.Application"));
  TargetCaptions c = CaptionsForTarget("AutoCAD", "Kestrel");
  EXPECT_EQ(c.menuItem, "ターゲット = AutoCAD");
  EXPECT_EQ(c.insertButton, "AutoCAD へ挿入");
  EXPECT_EQ(c.window, "Kestrel [ AutoCAD ]");
}

TEST(TextTable, WrittenBackInTheEncodingItWasRead) {
  TempDir dir;
  const std::string path = dir.File("KestrelTopFolders.txt");
  // A realistic Japanese path in code page 932: not valid UTF-8, as such texts practically never
  // are.
  const std::string cp932 =
      "D:\\\x90}\x96\xCA\\\x95\xBD\x90\xAC"
      "30\x94N\x93x\\\x90V\x92z\x8DH\x8E\x96";
  ASSERT_FALSE(IsValidUtf8(cp932));
  struct Case {
    std::string bytes;      // as found
    std::string firstLine;  // as read
    std::string added;      // a line added before writing back, if any
    std::string written;
  } cases[] = {
      {"\x93\xfa\r\nb\r\n", "日", "", "\x93\xfa\r\nb\r\n"},  // no mark: code page 932
      {cp932 + "\r\n", "D:\\図面\\平成30年度\\新築工事", "", cp932 + "\r\n"},
      {cp932 + "\r\n", "D:\\図面\\平成30年度\\新築工事", "設計", cp932 + "\r\n\x90\xDD\x8Cv\r\n"},
      // No mark but valid UTF-8: UTF-8, and back without a mark.
      {"/home/u/図面あ\r\n/srv/cad\r\n", "/home/u/図面あ", "", "/home/u/図面あ\r\n/srv/cad\r\n"},
      {"/home/u/図面あ\n", "/home/u/図面あ", "☃", "/home/u/図面あ\r\n☃\r\n"},
      // Plain ASCII is taken for the ANSI code page.
      {"/home/u/a\r\n", "/home/u/a", "", "/home/u/a\r\n"},
      {"/home/u/a\r\n", "/home/u/a", "図面", "/home/u/a\r\n\x90}\x96\xCA\r\n"},
      {"\xEF\xBB\xBF日\nb\n", "日", "", "\xEF\xBB\xBF日\r\nb\r\n"},
      // Bytes the mark's encoding does not allow read as U+FFFD (fuzzing found them passed on).
      {"\xEF\xBB\xBF/a\xF4\x90\x80\xF8\r\n", "/a\uFFFD\uFFFD\uFFFD\uFFFD", "",
       "\xEF\xBB\xBF/a\uFFFD\uFFFD\uFFFD\uFFFD\r\n"},
      {std::string("\xFF\xFE\xE5\x65\r\0", 6), "日", "",
       std::string("\xFF\xFE\xE5\x65\r\0\n\0", 8)},
      // A character code page 932 cannot hold: UTF-8 with a mark rather than a lost character;
      // so too for "ﾃｽ", whose code page 932 bytes C3 BD would read back as the UTF-8 of "ý".
      {"\x93\xfa\r\n", "日", "☃", "\xEF\xBB\xBF日\r\n☃\r\n"},
      {"/home/u/a\r\n", "/home/u/a", "ﾃｽ", "\xEF\xBB\xBF/home/u/a\r\nﾃｽ\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    Spit(path, c.bytes);
    TextTable t = ReadTextTable(path);
    ASSERT_FALSE(t.lines.empty());
    EXPECT_EQ(t.lines[0], c.firstLine);
    std::vector<std::string> lines = t.lines;
    if (!c.added.empty()) lines.push_back(c.added);
    ASSERT_TRUE(WriteTextTable(path, lines, t));
    EXPECT_EQ(Slurp(path), c.written);
    EXPECT_EQ(ReadTextTable(path).lines, lines);
  }
  // A new file is UTF-8 with a mark; an empty list gives an empty file.
  fs::remove(path);
  TextTable none = ReadTextTable(path);
  EXPECT_FALSE(none.existed);
  ASSERT_TRUE(WriteTextTable(path, {"/home/u"}, none));
  EXPECT_EQ(Slurp(path), "\xEF\xBB\xBF/home/u\r\n");
  ASSERT_TRUE(WriteTextTable(path, {}, ReadTextTable(path)));
  EXPECT_EQ(Slurp(path), "");
}

TEST(Cleanup, DeletesOnlyPlainDxfFilesOfTheFolder) {
  TempDir dir;
  Spit(dir.File("a.dxf"), "x");
  Spit(dir.File("B.DXF"), "x");
  Spit(dir.File("keep.dwg"), "x");
  fs::create_directory(dir.File("folder.dxf"));
  fs::create_symlink(dir.File("keep.dwg"), dir.File("link.dxf"));
  EXPECT_EQ(DeleteDxfFiles(dir.Folder()), 2);
  EXPECT_FALSE(fs::exists(dir.File("a.dxf")));
  EXPECT_FALSE(fs::exists(dir.File("B.DXF")));
  EXPECT_TRUE(fs::exists(dir.File("keep.dwg")));
  EXPECT_TRUE(fs::exists(dir.File("folder.dxf")));
  EXPECT_TRUE(fs::is_symlink(dir.File("link.dxf")));
  EXPECT_EQ(DeleteDxfFiles(dir.Folder() + "missing/"), 0);
}

TEST(Cleanup, NeverDeletesThroughALink) {
  TempDir dir;
  fs::create_directories(dir.File("user"));
  Spit(dir.File("user/a.dxf"), "the user's");
  Spit(dir.File("user/plan.dxf"), "the user's");

  // The conversion folder replaced by a link to the user's folder, as given with and without
  // its trailing separator.
  fs::create_directory_symlink(dir.File("user"), dir.File("linked"));
  EXPECT_EQ(DeleteDxfFiles(dir.File("linked") + "/"), 0);
  EXPECT_EQ(DeleteDxfFiles(dir.File("linked")), 0);
  EXPECT_TRUE(fs::exists(dir.File("user/a.dxf")));

  // A link named like a converted file, inside the real folder, beside real ones.
  fs::create_directories(dir.File("converted"));
  fs::create_symlink(dir.File("user/plan.dxf"), dir.File("converted/x.dxf"));
  Spit(dir.File("converted/t.dxf"), "x");
  Spit(dir.File("converted/U.Dxf"), "x");
  EXPECT_EQ(DeleteDxfFiles(dir.File("converted") + "/"), 2);
  EXPECT_EQ(Slurp(dir.File("user/plan.dxf")), "the user's");
  EXPECT_TRUE(fs::is_symlink(dir.File("converted/x.dxf")));
  EXPECT_FALSE(fs::exists(dir.File("converted/t.dxf")));
  EXPECT_FALSE(fs::exists(dir.File("converted/U.Dxf")));

  // A folder of another user's is not Kestrel's (only root can make one here).
  if (geteuid() == 0) {
    fs::create_directories(dir.File("foreign"));
    Spit(dir.File("foreign/f.dxf"), "x");
    ASSERT_EQ(chown(dir.File("foreign").c_str(), 65534, 65534), 0);
    EXPECT_EQ(DeleteDxfFiles(dir.File("foreign") + "/"), 0);
    EXPECT_TRUE(fs::exists(dir.File("foreign/f.dxf")));
  }
}

// A FIFO, a socket, a device or a folder where a settings file or table should be: start-up
// neither waits on it nor reads it without end, and shut-down writes nothing into it.
TEST(Settings, SpecialFilesInTheirPlaceAreNeitherWaitedOnNorWritten) {
  const kestrel::test::SpecialFiles special(".ini");
  for (const kestrel::test::SpecialFile& file : special.Files()) {
    SCOPED_TRACE(file.kind);
    const auto done = kestrel::test::SpecialFiles::Read(file, [](const std::string& path) {
      IniFile ini = IniFile::Load(path);
      const TextTable table = ReadTextTable(path);
      ini.Write("Form", "Left", "1");
      return std::string(table.existed ? "table read " : "") +
             (ini.Text() == "[Form]\r\nLeft=1\r\n" ? "" : "ini read ") +
             (ini.Save(path) ? "ini written " : "") +
             (WriteTextTable(path, {"/home/u"}, table) ? "table written" : "");
    });
    EXPECT_EQ(done, "") << "(nothing: it did not return within a second)";
  }
}
