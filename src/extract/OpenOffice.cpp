// OpenOffice 1.x documents (sxw, sxc, sxi, sxd): paragraphs, headings, table rows with their
// cells on one line, text boxes of drawings and slides. Speaker notes are left out.
#include <QXmlStreamReader>

#include "extract/Formats.h"

#include <algorithm>
#include "extract/XmlPart.h"

namespace kestrel::extract {
namespace {

// Empty cells are written only when a filled one follows on the row, so that a repeat count
// of a thousand empty columns costs nothing.
constexpr int kMostPendingCells = 1024;

int IntAttribute(const QXmlStreamReader& r, QStringView localName) {
  for (const QXmlStreamAttribute& a : r.attributes()) {
    if (a.name() == localName) return a.value().toInt();
  }
  return 0;
}

class ContentText {
 public:
  explicit ContentText(TextOut& out) : out_(out) {}

  void Token(QXmlStreamReader& r) {
    if (skip_ > 0) {
      if (r.isStartElement()) ++skip_;
      if (r.isEndElement()) --skip_;
      return;
    }
    if (r.isStartElement()) {
      const QStringView n = r.name();
      if (n == u"notes" || n == u"annotation" || n == u"tracked-changes") {
        skip_ = 1;
      } else if (n == u"table-cell" || n == u"covered-table-cell") {
        ++cellDepth_;
        cellHasText_ = false;
        repeat_ = IntAttribute(r, u"number-columns-repeated");
      } else if (n == u"tab-stop" || n == u"tab") {
        Put("\t");
      } else if (n == u"line-break") {
        out_.NewLine();
      } else if (n == u"s") {
        // A run of spaces; the count is capped so that a large one cannot swell the text.
        const int count = std::clamp(IntAttribute(r, u"c"), 1, 64);
        Put(std::string(size_t(count), ' '));
      }
    } else if (r.isEndElement()) {
      const QStringView n = r.name();
      if (n == u"p" || n == u"h") {
        if (cellDepth_ > 0) {
          paragraphInCell_ = true;
        } else {
          out_.NewLine();
        }
      } else if (n == u"table-cell" || n == u"covered-table-cell") {
        if (cellDepth_ > 0) --cellDepth_;
        const int cells = std::clamp(repeat_, 1, kMostPendingCells);
        pendingCells_ = std::min(pendingCells_ + cells, kMostPendingCells);
        if (cellHasText_) pendingCells_ = std::min(pendingCells_, cells);
        paragraphInCell_ = false;
      } else if (n == u"table-row") {
        if (rowHasText_) out_.NewLine();
        rowHasText_ = false;
        pendingCells_ = 0;
      }
    } else if (r.isCharacters() && !r.isWhitespace()) {
      QByteArray utf8 = r.text().toUtf8();
      Put(std::string_view(utf8.constData(), size_t(utf8.size())));
    } else if (r.isCharacters()) {
      QByteArray utf8 = r.text().toUtf8();
      if (!out_.AtLineStart()) Put(std::string_view(utf8.constData(), size_t(utf8.size())));
    }
  }

 private:
  void Put(std::string_view text) {
    if (cellDepth_ > 0) {
      if (!cellHasText_) {
        // The cells before this one on the row: a TAB after each that has ended.
        if (rowHasText_ || pendingCells_ > 0) {
          for (int i = 0; i < pendingCells_; ++i)
            out_.Append('\t');
        }
        pendingCells_ = 0;
        cellHasText_ = true;
        rowHasText_ = true;
      } else if (paragraphInCell_) {
        out_.Append(' ');
      }
      paragraphInCell_ = false;
    }
    out_.Append(text);
  }

  TextOut& out_;
  int skip_ = 0;
  int cellDepth_ = 0;
  int repeat_ = 1;
  int pendingCells_ = 0;
  bool cellHasText_ = false;
  bool rowHasText_ = false;
  bool paragraphInCell_ = false;
};

}  // namespace

bool ReadOpenOffice(std::string_view bytes, TextOut& out, const Poll& poll, std::string* error) {
  ZipArchive zip(bytes, error);
  if (!zip.IsOpen()) return false;
  ContentText text(out);
  return WalkXmlPart(
      zip, "content.xml", [&](QXmlStreamReader& r) { text.Token(r); }, out, poll, error);
}

}  // namespace kestrel::extract
