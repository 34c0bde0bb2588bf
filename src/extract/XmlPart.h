// Streaming one XML part of a zip container through QXmlStreamReader: the part is never held
// whole, DTD entities are bounded by the reader's expansion limit, and the walk stops as soon
// as the text is full.
#pragma once

#include <QXmlStreamReader>
#include <functional>
#include <string>
#include <string_view>

#include "extract/TextOut.h"
#include "extract/Zip.h"

namespace kestrel::extract {

// Calls `token` after every token of part `name` with the reader positioned on it. False with
// `error` set when the part cannot be read or is not well-formed XML.
bool WalkXmlPart(ZipArchive& zip, std::string_view name,
                 const std::function<void(QXmlStreamReader&)>& token, const TextOut& out,
                 const Poll& poll, std::string* error);

// The same over XML already in memory.
bool WalkXml(std::string_view xml, const std::function<void(QXmlStreamReader&)>& token,
             const TextOut& out, std::string* error);

// Appends the reader's current text token as UTF-8.
void AppendText(TextOut& out, const QXmlStreamReader& reader);

}  // namespace kestrel::extract
