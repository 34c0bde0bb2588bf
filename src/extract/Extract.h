// Kestrel's document-to-text extractor: one entry point, a path in, the document's text out.
// It reads Office Open XML, OpenOffice 1.x, RTF, HTML and web archives itself, PDF through
// Qt PDF, legacy Office files through Debian's converters, and Ichitaro files approximately.
#pragma once

#include <string>
#include <string_view>

#include "extract/TextOut.h"

namespace kestrel::extract {

struct ExtractResult {
  bool ok = false;
  std::string text;     // UTF-8, lines separated by CR LF
  std::string message;  // why not, when !ok: a few words for the user
};

// The text of the document at `path` (the file system's bytes), chosen by its extension.
// `poll` is called now and then during long work.
ExtractResult ExtractDocumentText(const std::string& path, const Poll& poll = {});

// The readers that work on the document's bytes alone, for an extension in lower case with
// its dot (".docx", ".rtf", ...); false for one that needs the file itself (PDF, legacy).
bool ExtractFromBytes(std::string_view bytes, std::string_view lowerExt, const Poll& poll,
                      ExtractResult* result);

// Drops the line ends (and so the empty lines) at the end of an extracted text.
void TrimTrailingLineEnds(std::string& text);

}  // namespace kestrel::extract
