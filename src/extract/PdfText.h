// Page text of a PDF file through Qt PDF. The document is loaded from the bytes of a regular
// file (never from a path Qt would open itself) and belongs to its holder alone, so nothing
// else can close it while its pages are read.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QPdfDocument>
#include <memory>
#include <string>

namespace kestrel::extract {

class PdfPages {
 public:
  PdfPages();
  ~PdfPages();
  // False with the engine's message in `error` when the file cannot be read or opened.
  bool Load(const std::string& path, std::string* error);
  int PageCount() const;
  // The text of page `index` (0-based) as the engine gives it, with its own line ends.
  QString PageText(int index) const;

 private:
  QByteArray bytes_;
  QBuffer buffer_;
  std::unique_ptr<QPdfDocument> document_;
};

// The engine's message for a load error.
std::string PdfErrorText(QPdfDocument::Error error);

}  // namespace kestrel::extract
