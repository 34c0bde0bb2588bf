// The command line of the DWG-to-DXF converter. It is started with seven arguments, in this
// order:
//   1. the folder of the DWG file        (no trailing separator, except for a root)
//   2. the output folder                 (the same form)
//   3. the output version: "ACAD2000"
//   4. the output file type: "DXF"
//   5. recurse into subfolders: "0"
//   6. audit each file: "0"
//   7. the input file filter: the DWG's file name with its extension, without folder
// and writes <output folder>/<the DWG's name>.dxf.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrel::dwg {

enum class PathStyle {
  Windows,  // "\" or "/" separate, "C:\" is a root
  Posix,    // "/" separates, "/" is the root
#ifdef _WIN32
  Native = Windows,
#else
  Native = Posix,
#endif
};

// The folder part of `path` without a trailing separator; a root keeps its separator.
std::string FolderOf(std::string_view path, PathStyle style = PathStyle::Native);
// The name after the last separator.
std::string NameOf(std::string_view path, PathStyle style = PathStyle::Native);

// The seven arguments for converting `dwgPath` into `outputFolder` (with or without a trailing
// separator).
std::vector<std::string> ConverterArguments(std::string_view dwgPath, std::string_view outputFolder,
                                            PathStyle style = PathStyle::Native);

// The arguments as one parameter text: each in double quotes, one space between them.
std::string ConverterParameterText(const std::vector<std::string>& arguments);

// Where the converter leaves its result: the output folder and the DWG's name with its
// extension replaced by ".dxf" ("PLAN.DWG" gives "PLAN.dxf").
std::string ExpectedDxfPath(std::string_view dwgPath, std::string_view outputFolder,
                            PathStyle style = PathStyle::Native);

// Whether the converter's window is shown: when asked for, and always when either folder is a
// drive root ("C:\"), where the converter does not work hidden.
bool ShowsConverterWindow(bool show, const std::vector<std::string>& arguments);

}  // namespace kestrel::dwg
