#include "extract/ExtractCommand.h"

#include <filesystem>
#include <stdexcept>

#include "base/PathBytes.h"
#include "extract/Extract.h"
#include "extract/PdfText.h"
#include "preview/core/PreviewRules.h"

namespace kestrel::extract {
namespace {

// Lines added between two looks at the event queue: small enough that the window stays live,
// large enough that adding does not cost a call per line.
constexpr size_t kLinesPerStep = 1024;

// Ends the update however the command leaves, unless it was ended in order already.
struct UpdateGuard {
  ExtractTarget& target;
  bool ended = false;
  void End() {
    ended = true;
    target.EndUpdate();
  }
  ~UpdateGuard() {
    if (!ended) target.EndUpdate();
  }
};

void RunPdfEngine(const ExtractRequest& request, ExtractTarget& target) {
  target.Clear();
  if (!request.pdfAvailable) return;
  target.BeginUpdate();
  UpdateGuard guard{target};
  // The view shows the document the text comes from, as when it was read from the view.
  if (request.pdfView.load && request.pdfView.openFileName &&
      request.pdfView.openFileName() != request.path)
    request.pdfView.load(request.path);
  PdfPages pdf;
  std::string error;
  if (!pdf.Load(request.path, &error)) throw std::runtime_error(error);
  const int pages = pdf.PageCount();
  target.SetProgress(0, pages);
  for (int i = 0; i < pages; ++i) {
    target.SetProgress(i + 1, pages);
    target.Pump();
    if (!target.StillWanted()) {
      target.SetProgress(0, pages);
      return;
    }
    if (request.pdfView.showPage && request.pdfView.openFileName &&
        request.pdfView.openFileName() == request.path)
      request.pdfView.showPage(i);
    const QByteArray text = pdf.PageText(i).toUtf8();
    target.AddLines(SplitExtractedLines(std::string_view(text.constData(), size_t(text.size()))));
  }
  target.SetProgress(0, pages);
  target.Pump();
}

void RunLibrary(const ExtractRequest& request, const std::string& upperExt, ExtractTarget& target) {
  if (!preview::IsExtractableExtension(upperExt)) {
    target.Message({MessageKind::Plain, {}, "対応していないファイル形式です"});
    return;
  }
  target.Clear();
  target.BeginUpdate();
  UpdateGuard guard{target};
  const ExtractResult result = ExtractDocumentText(request.path, [&] { target.Pump(); });
  if (!target.StillWanted()) return;
  if (!result.ok) throw std::runtime_error(result.message);
  const std::vector<std::string_view> lines = SplitExtractedLines(result.text);
  const int count = int(lines.size());
  target.SetProgress(0, count);
  std::vector<std::string_view> step;
  for (size_t i = 0; i < lines.size(); i += kLinesPerStep) {
    step.assign(lines.begin() + ptrdiff_t(i),
                lines.begin() + ptrdiff_t(std::min(lines.size(), i + kLinesPerStep)));
    target.AddLines(step);
    target.SetProgress(int(i + step.size()), count);
    target.Pump();
    if (!target.StillWanted()) break;
  }
  guard.End();
  target.SetProgress(0, count);
  target.Pump();
}

}  // namespace

std::vector<std::string_view> SplitExtractedLines(std::string_view text) {
  std::vector<std::string_view> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (;;) {
    const size_t cr = text.find('\r', start);
    if (cr == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, cr - start));
    start = cr + 1;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

void RunExtractCommand(const ExtractRequest& request, ExtractTarget& target) {
  std::error_code ec;
  if (!std::filesystem::exists(NativePath(request.path), ec)) return;
  const std::string ext = preview::UpperExtension(request.path);
  if (request.usePdfEngine && ext == ".PDF") {
    RunPdfEngine(request, target);
  } else {
    RunLibrary(request, ext, target);
  }
}

}  // namespace kestrel::extract
