#include "extract/Extract.h"
#include "extract/Formats.h"

namespace kestrel::extract {

void TrimTrailingLineEnds(std::string& text) {
  while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
    text.resize(text.size() - 2);
}

bool ExtractFromBytes(std::string_view bytes, std::string_view ext, const Poll& poll,
                      ExtractResult* result) {
  TextOut out;
  std::string error;
  bool ok;
  if (ext == ".docx") {
    ok = ReadOoxml(bytes, OoxmlKind::Word, out, poll, &error);
  } else if (ext == ".xlsx" || ext == ".xlsm") {
    ok = ReadOoxml(bytes, OoxmlKind::Excel, out, poll, &error);
  } else if (ext == ".pptx") {
    ok = ReadOoxml(bytes, OoxmlKind::PowerPoint, out, poll, &error);
  } else if (ext == ".sxw" || ext == ".sxc" || ext == ".sxi" || ext == ".sxd") {
    ok = ReadOpenOffice(bytes, out, poll, &error);
  } else if (ext == ".rtf") {
    ok = ReadRtf(bytes, out, poll, &error);
  } else if (ext == ".htm" || ext == ".html") {
    ok = ReadHtml(bytes, "", out);
  } else if (ext == ".mht") {
    ok = ReadMht(bytes, out, &error);
  } else if (ext == ".jtd" || ext == ".jtt") {
    ok = ReadJustSystemsDocument(bytes, out, &error);
  } else {
    return false;
  }
  result->ok = ok;
  if (ok) {
    result->text = out.Take();
    TrimTrailingLineEnds(result->text);
  } else {
    result->text.clear();
    result->message = error.empty() ? "文書を読めません" : error;
  }
  return true;
}

}  // namespace kestrel::extract
