#include "extract/PdfText.h"

#include <QCoreApplication>
#include <QPdfSelection>

#include "base/PathBytes.h"
#include "base/RegularFile.h"

namespace kestrel::extract {
namespace {

constexpr uint64_t kMostPdfBytes = uint64_t(1) << 30;

}  // namespace

std::string PdfErrorText(QPdfDocument::Error error) {
  switch (error) {
    case QPdfDocument::Error::None:
      return {};
    case QPdfDocument::Error::FileNotFound:
      return "PDF ファイルが見つかりません";
    case QPdfDocument::Error::InvalidFileFormat:
      return "PDF 形式ではないか、壊れています";
    case QPdfDocument::Error::IncorrectPassword:
      return "パスワードで保護された PDF です";
    case QPdfDocument::Error::UnsupportedSecurityScheme:
      return "対応していない PDF の暗号化です";
    case QPdfDocument::Error::DataNotYetAvailable:
      return "PDF を読み終えていません";
    default:
      return "PDF を開けません";
  }
}

PdfPages::PdfPages() = default;
PdfPages::~PdfPages() {
  if (document_) document_->close();
}

bool PdfPages::Load(const std::string& path, std::string* error) {
  std::optional<std::string> bytes = ReadRegularFile(NativePath(path), kMostPdfBytes);
  if (!bytes) {
    *error = "ファイルを開けません";
    return false;
  }
  bytes_ = QByteArray::fromStdString(*bytes);
  bytes->clear();
  buffer_.setData(bytes_);
  buffer_.open(QIODevice::ReadOnly);
  document_ = std::make_unique<QPdfDocument>();
  document_->load(&buffer_);
  // A device that holds all its bytes loads at once; the wait covers an engine that reports
  // through its status instead.
  for (int i = 0; i < 100 && document_->status() == QPdfDocument::Status::Loading; ++i)
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
  if (document_->status() != QPdfDocument::Status::Ready) {
    const QPdfDocument::Error e = document_->error();
    *error = PdfErrorText(e == QPdfDocument::Error::None ? QPdfDocument::Error::Unknown : e);
    document_.reset();
    return false;
  }
  return true;
}

int PdfPages::PageCount() const {
  return document_ ? document_->pageCount() : 0;
}

QString PdfPages::PageText(int index) const {
  if (!document_ || index < 0 || index >= document_->pageCount()) return {};
  return document_->getAllText(index).text();
}

}  // namespace kestrel::extract
