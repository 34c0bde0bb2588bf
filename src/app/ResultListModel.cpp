#include "app/ResultListModel.h"

#include <QSize>

#include "catalogue/DosDateTime.h"
#include "catalogue/StatusTexts.h"

namespace kestrel::app {
namespace {

// Every line begins with the date, "[yy/mm/dd] ".
const size_t kDateLength = catalogue::FormatResultDate(0).size();

}  // namespace

void ResultListModel::SetHits(const catalogue::FileList& list, const std::vector<uint32_t>& hits) {
  beginResetModel();
  pool_.clear();
  offsets_.clear();
  dates_.clear();
  size_t bytes = 0;
  for (uint32_t i : hits)
    bytes += list.Path(i).size() + 11;
  pool_.reserve(bytes);
  offsets_.reserve(hits.size() + 1);
  dates_.reserve(hits.size());
  for (uint32_t i : hits) {
    offsets_.push_back(pool_.size());
    pool_ += catalogue::FormatResultDate(list.DateTime(i));
    pool_ += list.Path(i);
    dates_.push_back(list.DateTime(i));
  }
  offsets_.push_back(pool_.size());
  endResetModel();
}

void ResultListModel::Clear() {
  beginResetModel();
  pool_.clear();
  offsets_.clear();
  dates_.clear();
  endResetModel();
}

std::string_view ResultListModel::Line(int row) const {
  auto r = static_cast<size_t>(row);
  return std::string_view(pool_).substr(offsets_[r], offsets_[r + 1] - offsets_[r]);
}

std::string_view ResultListModel::Path(int row) const {
  return Line(row).substr(kDateLength);
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:  // the whole line where the list shows it shortened
      return QString::fromStdString(catalogue::DisplayText(Line(index.row())));
    case DateTimeRole:
      return DateTime(index.row());
    case PathRole: {
      const std::string_view path = Path(index.row());
      return QByteArray(path.data(), static_cast<qsizetype>(path.size()));
    }
    case Qt::SizeHintRole:
      return QSize(0, 14);
    default:
      return {};
  }
}

}  // namespace kestrel::app
