// The result list's lines: "[yy/mm/dd] " + full path, each with the file's packed date-time.
// The lines live in one pool, so a million of them fill the list in well under a second. Each
// line keeps its path as the file system's bytes; the text shown is made from them only for
// showing (DisplayText), and every command on an entry takes its path from PathRole or Path().
#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/FileList.h"

namespace kestrel::app {

class ResultListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  static constexpr int DateTimeRole = Qt::UserRole + 1;
  static constexpr int PathRole = Qt::UserRole + 2;  // QByteArray: the path's bytes

  using QAbstractListModel::QAbstractListModel;

  // Replaces the lines by those of `hits` (indices into `list`), in the order given.
  void SetHits(const catalogue::FileList& list, const std::vector<uint32_t>& hits);
  void Clear();

  int Count() const { return static_cast<int>(dates_.size()); }
  // The line's bytes: the date prefix and the path as the file system has it.
  std::string_view Line(int row) const;
  std::string_view Path(int row) const;
  uint32_t DateTime(int row) const { return dates_[static_cast<size_t>(row)]; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::string pool_;
  std::vector<uint64_t> offsets_;  // Count() + 1 entries once filled
  std::vector<uint32_t> dates_;
};

}  // namespace kestrel::app
