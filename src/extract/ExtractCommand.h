// The extraction command from the selected file's path on: the PDF engine's page text when
// the user chose it for PDF files, else the extractor; the text split into lines and added
// to the text view inside one update, with progress and events let through. The window and
// kestrel-tool drive it through their own targets.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Messages.h"

namespace kestrel::extract {

// Cut at every CR, a LF right after a CR dropped: CR LF line ends give one line per text line.
// An empty text gives no lines; a text ending in CR LF gives a last, empty line.
std::vector<std::string_view> SplitExtractedLines(std::string_view text);

// What the command fills and tells.
class ExtractTarget {
 public:
  virtual ~ExtractTarget() = default;
  virtual void Clear() = 0;
  virtual void BeginUpdate() = 0;
  // Adds lines in order, as many add-line calls would.
  virtual void AddLines(const std::vector<std::string_view>& lines) = 0;
  virtual void EndUpdate() = 0;
  virtual void SetProgress(int position, int maximum) = 0;
  // Lets queued events run (the window throttles it).
  virtual void Pump() = 0;
  virtual void Message(const kestrel::Message& message) = 0;
  // False once the extraction should stop adding: the view was replaced or went away while
  // events ran.
  virtual bool StillWanted() { return true; }
};

// The PDF view's part, when there is one: the file its document came from, and a load of a
// file into it. Both may be left empty. The text is always read from a document of the
// command's own, so a view closed while events run is never read.
struct PdfViewLink {
  std::function<std::string()> openFileName;
  std::function<void(const std::string& path)> load;
  std::function<void(int page)> showPage;  // go to the page and select all its text
};

struct ExtractRequest {
  std::string path;           // the file system's bytes
  bool usePdfEngine = false;  // "PDF Text 抽出に Pdfium.dll を使う"
  bool pdfAvailable = true;
  PdfViewLink pdfView;
};

// Runs the command for the file at `request.path`: nothing when no file is there. A failure
// to read the document ends the update and throws std::runtime_error with a short message,
// for the window's error box.
void RunExtractCommand(const ExtractRequest& request, ExtractTarget& target);

}  // namespace kestrel::extract
