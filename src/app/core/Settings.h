// The settings Kestrel keeps in its INI file, and the two plain-text tables beside it: the
// folder list and the CAD target table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/IniFile.h"
#include "base/TextCodec.h"

namespace kestrel::app {

inline constexpr const char* kDefaultProgId = "BricscadApp.AcadApplication";
inline constexpr const char* kFolderListFile = "KestrelTopFolders.txt";
inline constexpr const char* kTargetTableFile = "TargetCAD_APIVersion.txt";

struct Settings {
  int left = 0;  // "Form": read; the window only uses them to choose its monitor
  int top = 0;
  int width = 0;  // "Form": written, never read
  int height = 0;
  std::string insertButtonCaption = "BricsCAD へ挿入";  // "CAD"/"Button"
  std::string topFolder;                                // "Folder"/"TopFolder"
  std::string fileMask = "*.dwg";                       // "FileMask"/"Ext"
  bool showConverter = false;                           // "ODA"/"dispFlag"
  std::string converterPath;                            // "ODA"/"FullName"
  std::string searchWords;                              // "FileName"/"Mask"
  bool searchOr = false;                                // "FileName"/"OR"
  bool usesPdfium = false;                              // "PdfToText"/"usesPdfium"
  std::string targetProgId = kDefaultProgId;            // "Target"/"ProgID"
};

// Reads every key in start-up order; a missing key keeps the value `defaults` holds (there the
// caller puts the centred position and the default top folder).
Settings ReadSettings(const IniFile& ini, const Settings& defaults);
// Writes every key in shut-down order.
void WriteSettings(IniFile& ini, const Settings& settings);

// A plain-text table: one entry per line, read with byte-order-mark detection (without a mark:
// UTF-8 when it is valid UTF-8 and not plain ASCII, else the ANSI code page) and written back in
// the encoding it was read in.
struct TextTable {
  std::vector<std::string> lines;  // UTF-8
  bool existed = false;
  TextEncoding encoding = TextEncoding::Ansi;
  bool bom = false;
};
TextTable ReadTextTable(const std::string& path);
// The table in `bytes`, as ReadTextTable reads a file's content (`existed` set).
TextTable ParseTextTable(std::string_view bytes);
// Writes `lines` in `as`'s encoding; a character that the ANSI code page cannot hold (or whose
// bytes there would read back as UTF-8), or a file that did not exist, makes it UTF-8 with a
// byte-order mark (so nothing is lost). An empty list gives an empty file.
bool WriteTextTable(const std::string& path, const std::vector<std::string>& lines,
                    const TextTable& as);
// The bytes WriteTextTable writes.
std::string TextTableBytes(const std::vector<std::string>& lines, const TextTable& as);

// The display name of the target whose line in the table contains TAB + `progId`: everything
// before that occurrence, from the first such line.
std::optional<std::string> FindTargetDisplayName(const std::vector<std::string>& tableLines,
                                                 const std::string& progId);

// The three captions that name the current target.
struct TargetCaptions {
  std::string menuItem;      // "ターゲット = " + name
  std::string insertButton;  // name + " へ挿入"
  std::string window;        // "Kestrel [ " + name + " ]"
};
TargetCaptions CaptionsForTarget(const std::string& name, const std::string& appTitle);

// Deletes the "*.dxf" files (any letter case) of `folder`: plain files only, failures ignored.
// Only a real folder of the user's own is cleaned; nothing is deleted when `folder` is a link,
// nor through a link inside it. Returns the number deleted.
int DeleteDxfFiles(const std::string& folder);

}  // namespace kestrel::app
