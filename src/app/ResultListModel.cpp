#include "app/ResultListModel.h"

#include <QSize>

#include "catalogue/DosDateTime.h"

namespace kestrel::app {

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

int ResultListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  switch (role) {
    case Qt::DisplayRole: {
      std::string_view line = Line(index.row());
      return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    case DateTimeRole:
      return DateTime(index.row());
    case Qt::SizeHintRole:
      return QSize(0, 14);
    default:
      return {};
  }
}

}  // namespace kestrel::app
