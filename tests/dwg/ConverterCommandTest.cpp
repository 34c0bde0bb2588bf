// The converter's seven arguments and where its result is looked for.
#include <gtest/gtest.h>

#include "dwg/ConverterCommand.h"

namespace kestrel::dwg {
namespace {

using Args = std::vector<std::string>;

TEST(ConverterCommand, SevenArgumentsInTheirOrder) {
  struct Row {
    const char* dwg;
    const char* out;
    PathStyle style;
    Args args;
    const char* dxf;
  } rows[] = {
      {"D:\\dwg\\plan.dwg",
       "C:\\tools",
       PathStyle::Windows,
       {"D:\\dwg", "C:\\tools", "ACAD2000", "DXF", "0", "0", "plan.dwg"},
       "C:\\tools\\plan.dxf"},
      {"D:\\dwg\\plan.dwg",
       "C:\\tools\\",
       PathStyle::Windows,
       {"D:\\dwg", "C:\\tools", "ACAD2000", "DXF", "0", "0", "plan.dwg"},
       "C:\\tools\\plan.dxf"},
      // A drive root keeps its backslash.
      {"C:\\plan.dwg",
       "C:\\",
       PathStyle::Windows,
       {"C:\\", "C:\\", "ACAD2000", "DXF", "0", "0", "plan.dwg"},
       "C:\\plan.dxf"},
      // Only the last extension goes, and it becomes lower-case ".dxf".
      {"D:\\a b\\PLAN.v2.DWG",
       "C:\\k",
       PathStyle::Windows,
       {"D:\\a b", "C:\\k", "ACAD2000", "DXF", "0", "0", "PLAN.v2.DWG"},
       "C:\\k\\PLAN.v2.dxf"},
      {"/home/u/dwg/plan.dwg",
       "/home/u/.config/Kestrel/dxf-converted/",
       PathStyle::Posix,
       {"/home/u/dwg", "/home/u/.config/Kestrel/dxf-converted", "ACAD2000", "DXF", "0", "0",
        "plan.dwg"},
       "/home/u/.config/Kestrel/dxf-converted/plan.dxf"},
      {"/PLAN.DWG",
       "/tmp/k",
       PathStyle::Posix,
       {"/", "/tmp/k", "ACAD2000", "DXF", "0", "0", "PLAN.DWG"},
       "/tmp/k/PLAN.dxf"},
      // A backslash is part of a POSIX name.
      {"/d/a\\b.dwg",
       "/o",
       PathStyle::Posix,
       {"/d", "/o", "ACAD2000", "DXF", "0", "0", "a\\b.dwg"},
       "/o/a\\b.dxf"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ConverterArguments(r.dwg, r.out, r.style), r.args) << r.dwg;
    EXPECT_EQ(ExpectedDxfPath(r.dwg, r.out, r.style), r.dxf) << r.dwg;
  }
}

TEST(ConverterCommand, ParameterTextAndWindow) {
  const Args args = ConverterArguments("D:\\dwg\\plan.dwg", "C:\\tools", PathStyle::Windows);
  EXPECT_EQ(ConverterParameterText(args),
            "\"D:\\dwg\" \"C:\\tools\" \"ACAD2000\" \"DXF\" \"0\" \"0\" \"plan.dwg\"");
  EXPECT_FALSE(ShowsConverterWindow(false, args));
  EXPECT_TRUE(ShowsConverterWindow(true, args));
  // A DWG in a drive root, or output to one: shown whatever the check mark says.
  EXPECT_TRUE(ShowsConverterWindow(
      false, ConverterArguments("C:\\plan.dwg", "C:\\tools", PathStyle::Windows)));
  EXPECT_TRUE(ShowsConverterWindow(
      false, ConverterArguments("D:\\dwg\\plan.dwg", "E:\\", PathStyle::Windows)));
}

}  // namespace
}  // namespace kestrel::dwg
