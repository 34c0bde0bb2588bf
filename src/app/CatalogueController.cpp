#include "app/CatalogueController.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <algorithm>
#include <numeric>
#include <vector>

#include "app/ResultListModel.h"
#include "catalogue/FilterFileList.h"
#include "catalogue/ScanFolder.h"
#include "catalogue/StatusTexts.h"

namespace kestrel::app {
namespace {

// Keeps the hourglass up for the life of a command.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

CatalogueController::CatalogueController(const CatalogueControls& controls, MessageSink messages,
                                         QObject* parent)
    : QObject(parent), c_(controls), messages_(std::move(messages)) {}

void CatalogueController::SetStatus(const std::string& text) {
  c_.statusPanel->setText(QString::fromStdString(text));
}

void CatalogueController::SetInputsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{
           c_.maskCombo, c_.folderButton, c_.buildButton, c_.searchButton, c_.openButton,
           c_.insertButton, c_.lspButton, c_.folderCombo, c_.searchEdit, c_.orBox}) {
    w->setEnabled(enabled);
  }
}

void CatalogueController::BuildFileList() {
  ++buildDepth_;
  keepGoing_ = true;
  size_t found = 0;

  c_.resultModel->Clear();
  if (clearPreviews) clearPreviews();

  const std::string folder =
      catalogue::FolderWithSeparator(c_.folderCombo->currentText().toStdString());
  SetStatus(catalogue::kBuildingStatus);
  {
    WaitCursor wait;
    pump_.PumpNow();
    SetInputsEnabled(false);
    fileList_.Clear();

    // The scan fills a list of its own: "中止" empties the window's list while the scan runs,
    // and the finished list replaces it in one step, sorted once.
    catalogue::FileList scanned;
    const std::string mask = c_.maskCombo->currentText().toStdString();
    size_t skipped = 0;
    catalogue::ScanFolder(
        folder, mask, scanned, found,
        [&](size_t n) {
          if (n % 100 == 0) SetStatus(catalogue::CountStatus(n));
          pump_.Pump();
          return keepGoing_;
        },
        &skipped);

    if (keepGoing_) {
      scanned.SortAndRemoveDuplicates();
      fileList_.Swap(scanned);
      skippedFolders_ = skipped;
      SetStatus(catalogue::BuildFinishedStatus(found, skipped));
      pump_.PumpNow();
      SearchFileList();
    }
    SetInputsEnabled(true);
  }
  pump_.PumpNow();
  if (--buildDepth_ == 0 && !busy()) emit idle();
}

void CatalogueController::SearchFileList() {
  ++searchDepth_;
  const uint64_t serial = ++searchSerial_;
  c_.searchButton->setEnabled(false);
  if (clearPreviews) clearPreviews();
  pump_.PumpNow();

  auto finish = [&] {
    // Only the newest search gives the button back; an older one on the stack just ends.
    if (serial == searchSerial_) c_.searchButton->setEnabled(true);
    pump_.PumpNow();
    if (--searchDepth_ == 0 && !busy()) emit idle();
  };

  if (fileList_.empty()) {
    messages_({MessageKind::Plain, {}, catalogue::kNoFileListMessage});
    finish();
    return;
  }

  SetStatus(catalogue::kSearchingStatus);
  std::vector<uint32_t> hits;
  bool superseded = false;
  {
    WaitCursor wait;
    pump_.PumpNow();
    const catalogue::SearchQuery query =
        catalogue::MakeSearchQuery(c_.searchEdit->text().toStdString(), c_.orBox->isChecked());
    const bool dateOrder = c_.dateOrderAction->isChecked();
    c_.resultModel->Clear();
    c_.resultView->setUpdatesEnabled(false);

    const size_t total = fileList_.size();
    const uint64_t generation = fileList_.Generation();
    size_t shownHits = SIZE_MAX;
    catalogue::FilterFileList(fileList_, query, hits, [&](size_t n) {
      if (n % 100 == 0 && n != shownHits) {
        SetStatus(catalogue::SearchStatus(n, total, false));
        shownHits = n;
      }
      pump_.Pump();
      // A build replaced the list, or a newer search started, while events ran: the list under
      // this loop is gone or its results are no longer wanted.
      superseded = fileList_.Generation() != generation || serial != searchSerial_;
      return keepGoing_ && !superseded;
    });

    c_.resultView->setUpdatesEnabled(true);
    if (!superseded) {
      if (dateOrder) catalogue::SortHitsByDate(fileList_, hits);
      c_.resultModel->SetHits(fileList_, hits);
      if (keepGoing_) {
        SetStatus(catalogue::SearchStatus(hits.size(), total, true) +
                  catalogue::SkippedFoldersNote(skippedFolders_));
      } else {
        SetStatus(catalogue::kCancelledStatus);
        fileList_.Clear();
      }
    }
  }
  finish();
}

void CatalogueController::Cancel() {
  keepGoing_ = false;
  pump_.PumpNow();
  SetStatus(catalogue::kCancelledStatus);
  fileList_.Clear();
}

namespace {

QCollator FolderCollator() {
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

}  // namespace

int CatalogueController::InsertSorted(QComboBox* combo, const QString& text) {
  // After the last item that does not sort after `text`, so equal items keep their order.
  const QCollator collator = FolderCollator();
  int lo = 0, hi = combo->count();
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (collator.compare(combo->itemText(mid), text) <= 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  combo->insertItem(lo, text);
  return lo;
}

QStringList CatalogueController::SortedLikeInsertSorted(const QStringList& items) {
  const QCollator collator = FolderCollator();
  std::vector<qsizetype> order(static_cast<size_t>(items.size()));
  std::iota(order.begin(), order.end(), qsizetype(0));
  std::vector<QCollatorSortKey> keys;
  keys.reserve(order.size());
  for (const QString& item : items)
    keys.push_back(collator.sortKey(item));
  std::stable_sort(order.begin(), order.end(),
                   [&](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
  // The keys of some collators (the C locale's are its bytes, case and all) disagree with
  // compare(), whose order the box keeps: one pass over the neighbours tells.
  for (size_t i = 1; i < order.size(); ++i) {
    const int c = collator.compare(items[order[i - 1]], items[order[i]]);
    if (c > 0 || (c == 0 && order[i - 1] > order[i])) {
      std::iota(order.begin(), order.end(), qsizetype(0));
      std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return collator.compare(items[a], items[b]) < 0;
      });
      break;
    }
  }
  QStringList sorted;
  sorted.reserve(items.size());
  for (qsizetype i : order)
    sorted.push_back(items[i]);
  return sorted;
}

void CatalogueController::SetSortedItems(QComboBox* combo, const QStringList& items) {
  combo->clear();
  combo->addItems(SortedLikeInsertSorted(items));
}

void CatalogueController::SelectOrAddFolder(const QString& path) {
  int found = c_.folderCombo->findText(path, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (found < 0) found = InsertSorted(c_.folderCombo, path);
  c_.folderCombo->setCurrentIndex(found);
  c_.folderCombo->setEditText(path);
}

void CatalogueController::ChooseFolder() {
  if (!pickFolder) return;
  if (std::optional<QString> path = pickFolder()) SelectOrAddFolder(*path);
}

void CatalogueController::AddCurrentFolder() {
  SelectOrAddFolder(c_.folderCombo->currentText());
}

void CatalogueController::RemoveCurrentFolder() {
  const QString text = c_.folderCombo->currentText();
  int at = c_.folderCombo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at < 0) return;
  c_.folderCombo->removeItem(at);
  if (at < c_.folderCombo->count()) {
    c_.folderCombo->setCurrentIndex(at);
  } else {
    c_.folderCombo->setCurrentIndex(-1);
  }
}

}  // namespace kestrel::app
