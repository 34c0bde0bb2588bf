// Office Open XML: Word paragraphs and tables, every Excel sheet in workbook order, PowerPoint
// slides in presentation order.
#include <QXmlStreamReader>
#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "extract/Formats.h"
#include "extract/XmlPart.h"

namespace kestrel::extract {
namespace {

using Reader = QXmlStreamReader;

bool Is(const Reader& r, QStringView localName) {
  return r.name() == localName;
}

std::string Attr(const Reader& r, QStringView localName) {
  for (const QXmlStreamAttribute& a : r.attributes()) {
    if (a.name() == localName) return a.value().toString().toStdString();
  }
  return {};
}

// The r:id of an element (a slide's list entry has a plain id too).
std::string RelationshipId(const Reader& r) {
  for (const QXmlStreamAttribute& a : r.attributes()) {
    if (a.name() == u"id" && !a.namespaceUri().isEmpty()) return a.value().toString().toStdString();
  }
  return {};
}

// Markup-compatibility fallbacks repeat the text of their choice (a text box and its VML
// picture); only the choice is read.
struct SkipFallback {
  int depth = 0;
  // True while the reader is inside a skipped subtree.
  bool Skips(const Reader& r) {
    if (r.isStartElement()) {
      if (depth > 0 || Is(r, u"Fallback")) ++depth;
    } else if (r.isEndElement() && depth > 0) {
      --depth;
      return true;
    }
    return depth > 0;
  }
};

// The part folder of a part name: "xl/workbook.xml" gives "xl/".
std::string FolderOf(std::string_view part) {
  const size_t slash = part.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

// Relationship ids of a part to the part names they point at.
std::map<std::string, std::string> ReadRelationships(ZipArchive& zip, std::string_view part,
                                                     const TextOut& out, const Poll& poll) {
  const std::string folder = FolderOf(part);
  const std::string relsName =
      folder + "_rels/" + std::string(part.substr(folder.size())) + ".rels";
  std::map<std::string, std::string> rels;
  std::string ignored;
  WalkXmlPart(
      zip, relsName,
      [&](Reader& r) {
        if (r.isStartElement() && Is(r, u"Relationship") && Attr(r, u"TargetMode") != "External")
          rels[Attr(r, u"Id")] = ResolvePartName(folder, Attr(r, u"Target"));
      },
      out, poll, &ignored);
  return rels;
}

// The parts that `listPart` names through relationship ids, in the list's order: sheets of a
// workbook, slides of a presentation.
std::vector<std::string> ListedParts(ZipArchive& zip, std::string_view listPart,
                                     QStringView element, const TextOut& out, const Poll& poll,
                                     std::string* error) {
  const std::map<std::string, std::string> rels = ReadRelationships(zip, listPart, out, poll);
  std::vector<std::string> parts;
  const bool ok = WalkXmlPart(
      zip, listPart,
      [&](Reader& r) {
        if (!r.isStartElement() || !Is(r, element)) return;
        auto it = rels.find(RelationshipId(r));
        if (it != rels.end()) parts.push_back(it->second);
      },
      out, poll, error);
  if (!ok) parts.clear();
  return parts;
}

// Paragraph text of Word and DrawingML: text runs, tabs and breaks; table cells of one row on
// one line, separated by TABs.
class ParagraphText {
 public:
  explicit ParagraphText(TextOut& out) : out_(out) {}

  void Token(Reader& r) {
    if (fallback_.Skips(r)) return;
    if (r.isCharacters()) {
      if (inText_) {
        if (spaceInCell_) out_.Append(' ');
        spaceInCell_ = false;
        AppendText(out_, r);
      }
    } else if (r.isStartElement()) {
      const QStringView n = r.name();
      if (n == u"t") {
        inText_ = true;
      } else if (n == u"tabs" || n == u"tabLst") {
        ++tabStops_;  // tab stop definitions, not tabs
      } else if (n == u"tab") {
        if (tabStops_ == 0) out_.Append('\t');
      } else if (n == u"br" || n == u"cr") {
        out_.NewLine();
      } else if (n == u"tc") {
        if (cellEnded_) out_.Append('\t');  // between the cells of a row, not after the last
        cellEnded_ = false;
        ++cellDepth_;
        spaceInCell_ = false;
      }
    } else if (r.isEndElement()) {
      const QStringView n = r.name();
      if (n == u"t") {
        inText_ = false;
      } else if (n == u"tabs" || n == u"tabLst") {
        if (tabStops_ > 0) --tabStops_;
      } else if (n == u"p") {
        if (cellDepth_ > 0) {
          spaceInCell_ = true;  // paragraphs of a cell run on with a blank
        } else {
          out_.NewLine();
        }
      } else if (n == u"tc") {
        if (cellDepth_ > 0) --cellDepth_;
        cellEnded_ = true;
        spaceInCell_ = false;
      } else if (n == u"tr") {
        cellEnded_ = false;
        out_.NewLine();
      }
    }
  }

 private:
  TextOut& out_;
  SkipFallback fallback_;
  bool inText_ = false;
  bool spaceInCell_ = false;
  bool cellEnded_ = false;
  int cellDepth_ = 0;
  int tabStops_ = 0;
};

bool ReadDocx(ZipArchive& zip, TextOut& out, const Poll& poll, std::string* error) {
  ParagraphText text(out);
  return WalkXmlPart(
      zip, "word/document.xml", [&](Reader& r) { text.Token(r); }, out, poll, error);
}

bool ReadPptx(ZipArchive& zip, TextOut& out, const Poll& poll, std::string* error) {
  const std::vector<std::string> slides =
      ListedParts(zip, "ppt/presentation.xml", u"sldId", out, poll, error);
  if (slides.empty()) return error->empty();
  bool first = true;
  for (const std::string& slide : slides) {
    if (out.Full()) break;
    if (!first) out.NewLine();  // a blank line between slides
    first = false;
    ParagraphText text(out);
    std::string ignored;  // a missing or broken slide leaves the others
    WalkXmlPart(
        zip, slide, [&](Reader& r) { text.Token(r); }, out, poll, &ignored);
    out.EndLine();
  }
  return true;
}

// A cell's number as Excel shows it in the general format, near enough: 15 significant digits.
std::string FormatNumber(const std::string& v) {
  double d = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
  if (ec != std::errc() || end != v.data() + v.size()) return v;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

// The column of a cell reference such as "AB12", 0-based; -1 when there is none.
int ColumnOf(const std::string& ref) {
  int col = 0;
  size_t i = 0;
  for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i) {
    col = col * 26 + (ref[i] - 'A' + 1);
    if (col > 16384) return -1;
  }
  return i == 0 ? -1 : col - 1;
}

// Shared strings: each item's text runs, without the phonetic guides (furigana) of Japanese.
std::vector<std::string> ReadSharedStrings(ZipArchive& zip, TextOut& out, const Poll& poll) {
  std::vector<std::string> strings;
  // The strings count against the text's limit, as they would when every one is shown.
  TextOut item(kMaxTextBytes);
  bool inItem = false, inText = false;
  int phonetic = 0;
  size_t total = 0;
  std::string ignored;
  WalkXmlPart(
      zip, "xl/sharedStrings.xml",
      [&](Reader& r) {
        if (r.isStartElement()) {
          if (Is(r, u"si")) {
            inItem = true;
            item = TextOut(kMaxTextBytes);
          } else if (Is(r, u"rPh")) {
            ++phonetic;
          } else if (Is(r, u"t")) {
            inText = true;
          }
        } else if (r.isEndElement()) {
          if (Is(r, u"si")) {
            inItem = false;
            total += item.Text().size();
            if (total > kMaxTextBytes) return;
            strings.push_back(item.Take());
          } else if (Is(r, u"rPh")) {
            if (phonetic > 0) --phonetic;
          } else if (Is(r, u"t")) {
            inText = false;
          }
        } else if (r.isCharacters() && inItem && inText && phonetic == 0) {
          AppendText(item, r);
        }
      },
      out, poll, &ignored);
  return strings;
}

class SheetText {
 public:
  SheetText(TextOut& out, const std::vector<std::string>& shared) : out_(out), shared_(shared) {}

  void Token(Reader& r) {
    if (r.isStartElement()) {
      const QStringView n = r.name();
      if (n == u"row") {
        column_ = 0;
        rowHasCells_ = false;
      } else if (n == u"c") {
        type_ = Attr(r, u"t");
        cellColumn_ = ColumnOf(Attr(r, u"r"));
        value_.clear();
        inValue_ = inInline_ = false;
      } else if (n == u"v") {
        inValue_ = true;
      } else if (n == u"is") {
        inInline_ = true;
      } else if (n == u"rPh") {
        ++phonetic_;
      } else if (n == u"t" && inInline_) {
        inValue_ = true;
      }
    } else if (r.isEndElement()) {
      const QStringView n = r.name();
      if (n == u"v" || n == u"t") {
        inValue_ = false;
      } else if (n == u"rPh") {
        if (phonetic_ > 0) --phonetic_;
      } else if (n == u"is") {
        inInline_ = false;
      } else if (n == u"c") {
        EndCell();
      } else if (n == u"row") {
        if (rowHasCells_) out_.NewLine();
      }
    } else if (r.isCharacters() && inValue_ && phonetic_ == 0) {
      value_ += r.text().toString().toStdString();
    }
  }

 private:
  void EndCell() {
    std::string shown;
    if (type_ == "s") {
      size_t index = 0;
      const auto [p, ec] = std::from_chars(value_.data(), value_.data() + value_.size(), index);
      if (ec == std::errc() && index < shared_.size()) shown = shared_[index];
    } else if (type_ == "b") {
      shown = value_ == "1" ? "TRUE" : "FALSE";
    } else if (type_ == "inlineStr" || type_ == "str" || type_ == "e") {
      shown = value_;
    } else {
      shown = FormatNumber(value_);
    }
    if (shown.empty()) return;
    // Empty cells before this one keep the columns in line.
    const int target = cellColumn_ >= 0 ? cellColumn_ : column_;
    if (rowHasCells_) out_.Append('\t');
    for (int c = column_ + (rowHasCells_ ? 1 : 0); c < target; ++c)
      out_.Append('\t');
    out_.Append(shown);
    column_ = std::max(target, column_);
    rowHasCells_ = true;
  }

  TextOut& out_;
  const std::vector<std::string>& shared_;
  std::string type_, value_;
  int column_ = 0, cellColumn_ = -1, phonetic_ = 0;
  bool rowHasCells_ = false, inValue_ = false, inInline_ = false;
};

bool ReadXlsx(ZipArchive& zip, TextOut& out, const Poll& poll, std::string* error) {
  const std::vector<std::string> sheets =
      ListedParts(zip, "xl/workbook.xml", u"sheet", out, poll, error);
  if (sheets.empty()) return error->empty();
  const std::vector<std::string> shared = ReadSharedStrings(zip, out, poll);
  bool first = true;
  for (const std::string& sheet : sheets) {
    if (out.Full()) break;
    if (!first) out.NewLine();  // a blank line between sheets
    first = false;
    SheetText text(out, shared);
    std::string ignored;  // a chart sheet or a broken sheet leaves the others
    WalkXmlPart(
        zip, sheet, [&](Reader& r) { text.Token(r); }, out, poll, &ignored);
    out.EndLine();
  }
  return true;
}

}  // namespace

bool ReadOoxml(std::string_view bytes, OoxmlKind kind, TextOut& out, const Poll& poll,
               std::string* error) {
  ZipArchive zip(bytes, error);
  if (!zip.IsOpen()) return false;
  error->clear();
  switch (kind) {
    case OoxmlKind::Word:
      return ReadDocx(zip, out, poll, error);
    case OoxmlKind::Excel:
      return ReadXlsx(zip, out, poll, error);
    case OoxmlKind::PowerPoint:
      return ReadPptx(zip, out, poll, error);
  }
  return false;
}

}  // namespace kestrel::extract
