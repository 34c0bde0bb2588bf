// The readers of each document format, over the document's bytes. Each appends to `out` and
// returns false with a short message in `error` when the document cannot be read; what it
// appended before the failure is dropped by the caller.
#pragma once

#include <string>
#include <string_view>

#include "extract/TextOut.h"

namespace kestrel::extract {

enum class OoxmlKind { Word, Excel, PowerPoint };
bool ReadOoxml(std::string_view bytes, OoxmlKind kind, TextOut& out, const Poll& poll,
               std::string* error);

// OpenOffice 1.x writer, calc, impress and draw files: the text of content.xml.
bool ReadOpenOffice(std::string_view bytes, TextOut& out, const Poll& poll, std::string* error);

// An HTML page. `charset` is what a MIME header said ("" when nothing did); a byte-order mark
// wins over it, and it wins over the page's own meta tag.
bool ReadHtml(std::string_view bytes, std::string_view charset, TextOut& out);

// A web archive (MHT): the first HTML part, or else the first text part, of a MIME message.
bool ReadMht(std::string_view bytes, TextOut& out, std::string* error);

// Rich Text Format.
bool ReadRtf(std::string_view bytes, TextOut& out, const Poll& poll, std::string* error);

// Ichitaro documents (.jtd, .jtt): text found in the compound file; approximate.
bool ReadJustSystemsDocument(std::string_view bytes, TextOut& out, std::string* error);

// Decodes `bytes` in the named character set (a MIME or code page name); std::nullopt when the
// name is not known. Invalid bytes become U+FFFD.
bool DecodeCharset(std::string_view bytes, std::string_view charset, std::string* utf8);

}  // namespace kestrel::extract
