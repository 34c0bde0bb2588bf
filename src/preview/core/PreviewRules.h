// What the preview makes of a file from its name alone: the extension, the highlighter, the
// picture types, the command buttons that apply, and the window title.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::preview {

enum class Highlighter { None, Pascal, Cpp, VisualBasic, CSharp, AutoLisp };

// The part of the file name from its last "." on, dot included, ASCII upper-cased; empty when
// the name has no dot.
std::string UpperExtension(std::string_view path);

// The file name without its folder.
std::string FileNameOf(std::string_view path);

// The text view's highlighter for an upper-cased extension. Tests are on substrings, in order,
// so ".CSV" gets C# and ".VBS" Visual Basic.
Highlighter ChooseHighlighter(std::string_view upperExt);

// ".BMP", ".PNG", ".ICO", ".JPG", ".JPEG", ".WMF", ".EMF".
bool IsPictureExtension(std::string_view upperExt);

// Whether document text extraction reads files with this extension (any letter case).
bool IsExtractableExtension(std::string_view ext);

// "[yyyy/mm/dd hh:nn:ss] " from an MS-DOS packed local date and time (date in the high 16 bits).
std::string FormatDosDateTime(uint32_t dosDateTime);

// The window title for a selected file: its date and time, then its name without folder.
std::string PreviewTitle(uint32_t dosDateTime, std::string_view path);

}  // namespace kestrel::preview
