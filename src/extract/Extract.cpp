#include "extract/Extract.h"

#include "base/PathBytes.h"
#include "base/RegularFile.h"
#include "base/TextCodec.h"
#include "extract/Converters.h"
#include "extract/PdfText.h"

namespace kestrel::extract {
namespace {

// Documents larger than this are not read: their text would not fit the view anyway.
constexpr uint64_t kMostDocumentBytes = uint64_t(1) << 30;

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  for (char& c : ext)
    c = AsciiLower(c);
  return ext;
}

// The page text with bare LF and CR made CR LF, so that each engine line is one view line.
void AppendPageText(const QString& page, TextOut& out) {
  const QByteArray utf8 = page.toUtf8();
  const std::string_view t(utf8.constData(), size_t(utf8.size()));
  size_t start = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' || t[i] == '\n') {
      out.Append(t.substr(start, i - start));
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
      out.NewLine();
      start = i + 1;
    }
  }
  out.Append(t.substr(start));
  out.EndLine();
}

ExtractResult Failed(std::string message) {
  ExtractResult r;
  r.message = std::move(message);
  return r;
}

}  // namespace

ExtractResult ExtractDocumentText(const std::string& path, const Poll& poll) {
  const std::string ext = LowerExtension(path);
  if (ext == ".pdf") {
    PdfPages pdf;
    std::string error;
    if (!pdf.Load(path, &error)) return Failed(error);
    TextOut out;
    for (int i = 0; i < pdf.PageCount() && !out.Full(); ++i) {
      AppendPageText(pdf.PageText(i), out);
      if (poll) poll();
    }
    ExtractResult r{true, out.Take(), {}};
    TrimTrailingLineEnds(r.text);
    return r;
  }
  if (ext == ".doc" || ext == ".xls" || ext == ".ppt") {
    TextOut out;
    std::string error;
    if (!ReadLegacyOffice(path, ext, out, poll, &error)) return Failed(error);
    ExtractResult r{true, out.Take(), {}};
    TrimTrailingLineEnds(r.text);
    return r;
  }
  std::optional<std::string> bytes = ReadRegularFile(NativePath(path), kMostDocumentBytes);
  if (!bytes) return Failed("ファイルを開けません");
  ExtractResult result;
  if (!ExtractFromBytes(*bytes, ext, poll, &result))
    return Failed("対応していないファイル形式です");
  return result;
}

}  // namespace kestrel::extract
