// The folder list, the file-list build and the word search, on the window's controls.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/EventPump.h"
#include "base/Messages.h"
#include "catalogue/FileList.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QWidget;

namespace kestrel::app {

class ResultListModel;

struct CatalogueControls {
  QComboBox* folderCombo;  // ComboBox2
  QComboBox* maskCombo;    // ComboBox1
  QAbstractButton* folderButton;
  QAbstractButton* buildButton;
  QAbstractButton* cancelButton;
  QCheckBox* orBox;
  QLineEdit* searchEdit;  // Edit2
  QAbstractButton* searchButton;
  QAbstractButton* openButton;
  QAbstractButton* insertButton;
  QAbstractButton* lspButton;
  QListView* resultView;
  ResultListModel* resultModel;
  QLabel* statusPanel;
  QAction* dateOrderAction;
};

class CatalogueController : public QObject {
  Q_OBJECT
 public:
  CatalogueController(const CatalogueControls& controls, MessageSink messages,
                      QObject* parent = nullptr);

  // Empties the previews (thumbnail, drawing image, text view, drawing boxes, PDF view) before
  // a build or a search.
  std::function<void()> clearPreviews;
  // Asks the user for a folder; std::nullopt when cancelled.
  std::function<std::optional<QString>()> pickFolder;

  // "1. ファイルリスト作成": builds the file list, then searches it.
  void BuildFileList();
  // "2. ファイル名検索  " and Enter in the search box.
  void SearchFileList();
  // "中止".
  void Cancel();
  // "0. フォルダ".
  void ChooseFolder();
  // Selects the item equal to `path` (exact comparison), or adds it in its sorted place.
  void SelectOrAddFolder(const QString& path);
  // The folder combo box's own menu.
  void AddCurrentFolder();
  void RemoveCurrentFolder();

  const catalogue::FileList& fileList() const { return fileList_; }
  bool keepGoing() const { return keepGoing_; }
  // True while a build or a search runs (its loop lets events run meanwhile).
  bool busy() const { return buildDepth_ > 0 || searchDepth_ > 0; }

  // Inserts `text` into the combo box's items at its place in case-insensitive, locale-aware
  // order (the box keeps its items sorted), after the items equal to it.
  static int InsertSorted(QComboBox* combo, const QString& text);
  // `items` in the order that inserting them one after another with InsertSorted gives.
  static QStringList SortedLikeInsertSorted(const QStringList& items);
  // Replaces the combo box's items with `items`, in that order, in one step.
  static void SetSortedItems(QComboBox* combo, const QStringList& items);

 signals:
  // A build or search has ended and no other is running.
  void idle();

 private:
  void SetInputsEnabled(bool enabled);
  void SetStatus(const std::string& text);

  CatalogueControls c_;
  MessageSink messages_;
  catalogue::FileList fileList_;
  bool keepGoing_ = false;
  size_t skippedFolders_ = 0;  // folders the last build could not open
  int buildDepth_ = 0;
  int searchDepth_ = 0;
  uint64_t searchSerial_ = 0;  // the newest search; an older one still on the stack gives way
  EventPump pump_;
};

}  // namespace kestrel::app
