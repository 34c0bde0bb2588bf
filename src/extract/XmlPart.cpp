#include "extract/XmlPart.h"

#include <QByteArray>

namespace kestrel::extract {
namespace {

// Entities of a DTD may expand to at most this many characters in all ("billion laughs").
constexpr int kEntityExpansionLimit = 4096;

// Reads what the reader has; false when the document is broken (not merely unfinished).
bool Drain(QXmlStreamReader& reader, const std::function<void(QXmlStreamReader&)>& token,
           const TextOut& out) {
  // atEnd() is also true while the reader waits for more data, so the loop asks readNext(),
  // which goes on after addData().
  while (!out.Full() && !reader.isEndDocument()) {
    reader.readNext();
    if (reader.hasError()) return reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    token(reader);
  }
  return true;
}

void SetUp(QXmlStreamReader& reader) {
  reader.setNamespaceProcessing(true);
  reader.setEntityExpansionLimit(kEntityExpansionLimit);
}

}  // namespace

bool WalkXmlPart(ZipArchive& zip, std::string_view name,
                 const std::function<void(QXmlStreamReader&)>& token, const TextOut& out,
                 const Poll& poll, std::string* error) {
  QXmlStreamReader reader;
  SetUp(reader);
  bool broken = false;
  const bool read = zip.Stream(
      name,
      [&](std::string_view piece) {
        reader.addData(QByteArray(piece.data(), qsizetype(piece.size())));
        if (!Drain(reader, token, out)) {
          broken = true;
          return false;
        }
        if (poll) poll();
        return !out.Full() && !reader.isEndDocument();
      },
      error);
  if (!read) return false;
  if (broken || (reader.hasError() && !out.Full() &&
                 reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)) {
    if (error) *error = "文書の XML が壊れています";
    return false;
  }
  // A part that ends inside an element is truncated; what it gave so far is kept.
  return true;
}

bool WalkXml(std::string_view xml, const std::function<void(QXmlStreamReader&)>& token,
             const TextOut& out, std::string* error) {
  QXmlStreamReader reader;
  SetUp(reader);
  reader.addData(QByteArray(xml.data(), qsizetype(xml.size())));
  if (!Drain(reader, token, out) ||
      (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError)) {
    if (error) *error = "文書の XML が壊れています";
    return false;
  }
  return true;
}

void AppendText(TextOut& out, const QXmlStreamReader& reader) {
  const QStringView text = reader.text();
  QByteArray utf8 = text.toUtf8();
  out.Append(std::string_view(utf8.constData(), size_t(utf8.size())));
}

}  // namespace kestrel::extract
