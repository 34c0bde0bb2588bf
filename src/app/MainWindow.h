// The main window: the left panel with the command rows, the thumbnail and the result list;
// the three preview tabs; the progress bar and the status bar.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/core/Settings.h"
#include "base/Messages.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolButton;
class QWheelEvent;

namespace kestrel::preview {
class ImageBox;
class PdfTab;
class PreviewDispatch;
class TextTab;
}  // namespace kestrel::preview

namespace kestrel::cadlink {
class CadLink;
class CadSession;
}  // namespace kestrel::cadlink
namespace kestrel::dwg {
class DwgConverter;
}

namespace kestrel::app {

class CatalogueController;
class DrawingTab;
class TextExtraction;
class ResultListModel;

// Where the window keeps its files and how it talks to the user; tests give their own.
struct AppEnvironment {
  std::string settingsFolder;    // with a trailing separator
  std::string settingsFileName;  // "kestrel.ini"
  std::string defaultTopFolder;  // the folder box's text on a first start
  MessageSink messages;          // empty: message boxes
  bool forcePdfUnavailable = false;
  // How the CAD link reaches the CAD program; empty: the platform's COM automation.
  std::function<std::unique_ptr<cadlink::CadSession>()> cadSession;
};

// The environment of the program: settings in the user's configuration folder when the program
// is installed (its desktop entry in ../share/applications) or its folder is not writable, else
// beside the executable.
AppEnvironment DefaultEnvironment();
bool IsInstalledProgram(const QString& exeDir);

// Kestrel's own folder for DXF files converted from DWG; only its "*.dxf" files are deleted
// at shut-down.
std::string ConversionFolder(const AppEnvironment& env);

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(AppEnvironment env, QWidget* parent = nullptr);
  ~MainWindow() override;

  static constexpr int kDesignWidth = 803;
  static constexpr int kDesignHeight = 412;

  // The state the window keeps for all, and its components.
  bool pdfAvailable() const { return pdfAvailable_; }
  const std::string& targetProgId() const { return settings_.targetProgId; }
  CatalogueController* catalogue() const { return catalogue_; }
  TextExtraction* extraction() const { return extraction_; }
  cadlink::CadLink* cadLink() const { return cadLink_; }
  dwg::DwgConverter* dwgConverter() const { return dwgConverter_; }

  // Sets the three captions that name the target CAD program.
  void ApplyTargetCaptions(const std::string& name);
  // Reads the target table and names the current target from it (start-up).
  void ApplyTargetName();

  // The selected result line, if a line is selected: its text as shown, its path as the file
  // system's bytes (what every command on the selection takes) and its date-time.
  struct Selection {
    QString line;
    std::string path;
    uint32_t dosDateTime;
  };
  std::optional<Selection> SelectedLine() const;
  // The path of the selected line as the file system's bytes, if a line is selected.
  std::optional<std::string> SelectedPath() const;

  // The window's widgets and components, for the tests and scripts that drive it.
  QListView* resultList() const { return resultList_; }
  ResultListModel* resultModel() const { return resultModel_; }
  preview::ImageBox* thumbnail() const { return image1_; }
  QLabel* statusPanel() const { return statusPanel_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QTabWidget* tabs() const { return tabs_; }
  preview::TextTab* textTab() const { return textTab_; }
  preview::PdfTab* pdfTab() const { return pdfTab_; }
  DrawingTab* drawingTab() const { return drawingTab_; }
  // The preview of the selected entry; its hooks reach the PDF view, the DWG preview and the
  // DXF loader.
  preview::PreviewDispatch* preview() const { return preview_.get(); }
  QCheckBox* textShowBox() const { return textShowBox_; }
  QPushButton* extractButton() const { return extractButton_; }
  QPushButton* openButton() const { return button5_; }
  QPushButton* insertButton() const { return button6_; }
  QPushButton* lspButton() const { return button9_; }
  QMenu* resultMenu() const { return resultMenu_; }
  QComboBox* folderCombo() const { return comboBox2_; }
  QComboBox* maskCombo() const { return comboBox1_; }
  QLineEdit* searchBox() const { return edit2_; }
  QCheckBox* orBox() const { return checkBox4_; }
  QPushButton* buildButton() const { return button3_; }
  QPushButton* searchButton() const { return button4_; }
  QPushButton* cancelButton() const { return button11_; }
  QAction* dateOrderAction() const { return dateOrderAction_; }

  // A row of the result list's popup menu by the caption it was made with (a row whose caption
  // changes, the target's, keeps its first one), for tests and scripts.
  QAction* menuAction(const QString& caption) const;

  // Blanks the two pictures, the text view, the drawing boxes and the PDF view: what a new
  // build or search starts with.
  void ClearPreviews();
  // Drops the drawing model and the previews: what a command that ran out of memory leaves.
  void DropAfterOutOfMemory();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // The window's wheel: over the drawing tab's page it zooms the drawing, over the PDF tab it
  // goes to the PDF tab's handler; anything else goes on as usual.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The PDF tab's branch of the window's wheel, after the PDF view's own handling.
  void wheelEvent(QWheelEvent* event) override;

 private:
  // Construction, in named steps.
  void BuildLeftPanel();
  void BuildTabs();
  QWidget* BuildTextTab();
  QWidget* BuildDrawingTab();
  void BuildCadLink();
  void BuildResultMenu();
  void BuildFolderMenu();
  void BuildStatusArea();
  void ConnectCommands();
  void ConnectPreview();

  // Start-up and shut-down.
  void StartUp();
  void ShutDown();
  void PlaceOnMonitor();

  std::string SettingsPath() const;
  std::string FolderListPath() const;
  std::string TargetTablePath() const;

  AppEnvironment env_;
  MessageSink messages_;
  Settings settings_;
  TextTable folderTable_;  // as read, so that it is written back in the same encoding
  bool pdfAvailable_ = false;
  bool placed_ = false;
  bool shutDownDone_ = false;
  bool closeWhenIdle_ = false;

  QSplitter* splitter_ = nullptr;
  QWidget* panel1_ = nullptr;
  QComboBox* comboBox2_ = nullptr;
  QPushButton* button1_ = nullptr;
  QComboBox* comboBox1_ = nullptr;
  QPushButton* button3_ = nullptr;
  QPushButton* button11_ = nullptr;
  QCheckBox* checkBox4_ = nullptr;
  QLineEdit* edit2_ = nullptr;
  QPushButton* button4_ = nullptr;
  QPushButton* button5_ = nullptr;
  QPushButton* button6_ = nullptr;
  QPushButton* button9_ = nullptr;
  preview::ImageBox* image1_ = nullptr;
  QListView* resultList_ = nullptr;
  ResultListModel* resultModel_ = nullptr;

  QTabWidget* tabs_ = nullptr;
  preview::TextTab* textTab_ = nullptr;
  QCheckBox* textShowBox_ = nullptr;
  QPushButton* extractButton_ = nullptr;
  preview::PdfTab* pdfTab_ = nullptr;
  DrawingTab* drawingTab_ = nullptr;

  QProgressBar* progressBar_ = nullptr;
  QLabel* statusPanel_ = nullptr;

  QMenu* resultMenu_ = nullptr;
  QMenu* folderMenu_ = nullptr;
  QAction* dateOrderAction_ = nullptr;
  QAction* targetAction_ = nullptr;
  QAction* usesPdfiumAction_ = nullptr;

  CatalogueController* catalogue_ = nullptr;
  cadlink::CadLink* cadLink_ = nullptr;
  std::unique_ptr<preview::PreviewDispatch> preview_;
  dwg::DwgConverter* dwgConverter_ = nullptr;
  TextExtraction* extraction_ = nullptr;
};

}  // namespace kestrel::app
