#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/CatalogueController.h"
#include "app/DrawingTab.h"
#include "app/ListCommands.h"
#include "app/MessageBoxes.h"
#include "app/ResultListModel.h"
#include "app/TextExtraction.h"
#include "cadlink/CadLink.h"
#include "cadlink/CadSession.h"
#include "dwg/DwgConverter.h"
#include "dwg/ShowDwgPreview.h"
#include "preview/ImageBox.h"
#include "preview/PdfTab.h"
#include "preview/PdfView.h"
#include "preview/PreviewDispatch.h"
#include "preview/TextTab.h"
#include "preview/TextView.h"

namespace kestrel::app {
namespace {

constexpr const char* kAppTitle = "Kestrel";

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

template <typename W>
W* Place(W* w, int left, int top, int width, int height) {
  w->setGeometry(left, top, width, height);
  return w;
}

// Narrows a button's font until its caption fits the designed width: the Japanese faces here
// are wider than the ones the window was laid out with.
void FitCaption(QPushButton* b) {
  QFont f = QApplication::font(b);
  qreal size = f.pointSizeF();
  while (size > 6 && QFontMetrics(f).horizontalAdvance(b->text()) > b->width() - 8) {
    size -= 0.5;
    f.setPointSizeF(size);
  }
  b->setFont(f);
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QString& hint = {}) {
  auto* b = new QPushButton(caption, parent);
  if (!hint.isEmpty()) b->setToolTip(hint);
  b->setAutoDefault(false);
  return b;
}

// The left panel keeps its controls where they were designed; only the result list follows
// the panel's size.
class LeftPanel : public QWidget {
 public:
  using QWidget::QWidget;
  QWidget* resultList = nullptr;

 protected:
  void resizeEvent(QResizeEvent*) override {
    if (resultList) resultList->setGeometry(0, 110, width(), std::max(0, height() - 110));
  }
};

}  // namespace

bool IsInstalledProgram(const QString& exeDir) {
  return QFileInfo::exists(exeDir + "/../share/applications/kestrel.desktop");
}

AppEnvironment DefaultEnvironment() {
  AppEnvironment env;
  const QString exeDir = QCoreApplication::applicationDirPath();
  QString folder = exeDir;
  // An installed program shares its folder with every user (and root may write there), so
  // only a copy of its own, e.g. a build or an unpacked archive, keeps settings beside itself.
  if (IsInstalledProgram(exeDir) || !QFileInfo(exeDir).isWritable()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(folder);
  }
  env.settingsFolder = QDir::toNativeSeparators(folder + "/").toStdString();
  env.settingsFileName =
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString() + ".ini";
#ifdef _WIN32
  env.defaultTopFolder = "D:";
#else
  env.defaultTopFolder = QDir::homePath().toStdString();
#endif
  return env;
}

std::string ConversionFolder(const AppEnvironment& env) {
  return env.settingsFolder + "dxf-converted" + std::string(1, QDir::separator().toLatin1());
}

MainWindow::MainWindow(AppEnvironment env, QWidget* parent)
    : QMainWindow(parent), env_(std::move(env)) {
  messages_ = env_.messages ? env_.messages : MessageBoxSink(this);
  setWindowTitle(kAppTitle);
  resize(kDesignWidth, kDesignHeight);

  BuildLeftPanel();
  BuildTabs();
  BuildStatusArea();
  BuildCadLink();
  dwgConverter_ = new dwg::DwgConverter(this, messages_, ConversionFolder(env_));
  extraction_ = new TextExtraction(
      {tabs_, 0, textTab_->View(), progressBar_, extractButton_, [this] { return SelectedPath(); },
       [this] { return pdfAvailable_; }, messages_},
      this);
  // "テキスト抽出" of the PDF view's menu; the view shows the document the text comes from.
  connect(pdfTab_->ExtractAction(), &QAction::triggered, extraction_, &TextExtraction::Run);
  extraction_->pdfView = {
      [this] { return pdfTab_->View() ? pdfTab_->View()->FileName() : std::string(); },
      [this](const std::string& path) {
        if (pdfTab_->View()) pdfTab_->View()->LoadFromFile(path);
      },
      [this](int page) {
        if (!pdfTab_->View()) return;
        pdfTab_->View()->SetPageIndex(page);
        pdfTab_->View()->SelectAll();
      }};
  BuildResultMenu();
  BuildFolderMenu();

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  splitter_ = new QSplitter(Qt::Horizontal, central);
  splitter_->setHandleWidth(8);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(panel1_);
  splitter_->addWidget(tabs_);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({489, kDesignWidth - 489 - 8});
  column->addWidget(splitter_, 1);
  column->addWidget(progressBar_);
  setCentralWidget(central);

  CatalogueControls controls{comboBox2_, comboBox1_,  button1_,     button3_,     button11_,
                             checkBox4_, edit2_,      button4_,     button5_,     button6_,
                             button9_,   resultList_, resultModel_, statusPanel_, dateOrderAction_};
  catalogue_ = new CatalogueController(controls, messages_, this);
  catalogue_->clearPreviews = [this] { ClearPreviews(); };
  catalogue_->pickFolder = [this]() -> std::optional<QString> {
    QString dir = QFileDialog::getExistingDirectory(
        this, "フォルダの指定", QDir::homePath(),
        QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly | QFileDialog::DontResolveSymlinks);
    if (dir.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dir);
  };
  connect(catalogue_, &CatalogueController::idle, this, [this] {
    if (closeWhenIdle_) close();
  });

  ConnectCommands();
  StartUp();
  ConnectPreview();  // after start-up, which decides whether the PDF view exists
}

MainWindow::~MainWindow() {
  ShutDown();
}

// ---- construction -------------------------------------------------------------------------

void MainWindow::BuildLeftPanel() {
  auto* panel = new LeftPanel(this);
  panel1_ = panel;
  panel1_->setMinimumWidth(100);

  comboBox2_ = Place(new QComboBox(panel1_), 8, 7, 305, 21);
  comboBox2_->setEditable(true);
  comboBox2_->setInsertPolicy(QComboBox::NoInsert);
  comboBox2_->setToolTip("フォルダの削除、追加はマウス右クリックで");
  button1_ = Place(MakeButton(panel1_, "0. フォルダ", "対象のフォルダを追加"), 319, 6, 60, 25);

  comboBox1_ = Place(new QComboBox(panel1_), 8, 33, 202, 21);
  comboBox1_->setEditable(true);
  comboBox1_->setInsertPolicy(QComboBox::NoInsert);
  comboBox1_->setMaxVisibleItems(16);
  comboBox1_->setToolTip("ファイルリスト作成のマスク（直接入力可能）");
  comboBox1_->addItems({"*.*", "*.dwg", "*.dxf", "*.lsp", "*.pdf", "*.xls*", "*.doc*", "*.dpr",
                        "*.dproj", "*.pas", "*.c", "*.cs", "*.cpp", "*.bas", "", ""});
  button3_ = Place(MakeButton(panel1_, "1. ファイルリスト作成",
                              "取得済のファイルリストからマッチするファイルを検索"),
                   216, 35, 102, 25);
  button11_ = Place(MakeButton(panel1_, "中止"), 319, 33, 60, 49);

  checkBox4_ = Place(new QCheckBox(" OR", panel1_), 8, 59, 41, 17);
  edit2_ = Place(new QLineEdit(panel1_), 55, 57, 155, 21);
  edit2_->setFont(QFont("ＭＳ ゴシック", 9));
  edit2_->setToolTip("フォルダ名、ファイル名の検索文字列（スペース区切りの AND, OR）");
  edit2_->setPlaceholderText("スペース区切りの検索文字");
  button4_ = Place(MakeButton(panel1_, "2. ファイル名検索  "), 216, 58, 102, 25);

  button5_ =
      Place(MakeButton(panel1_, "関連付けられたアプリで開く", "拡張子に関連付けられたアプリで開く"),
            8, 82, 145, 25);
  button6_ = Place(MakeButton(panel1_, "CAD へ挿入"), 153, 82, 160, 25);
  button9_ = Place(MakeButton(panel1_, "LSP ロード"), 315, 82, 62, 25);

  for (QPushButton* b : {button1_, button3_, button11_, button4_, button5_, button6_, button9_}) {
    FitCaption(b);
  }
  image1_ = Place(new preview::ImageBox(panel1_), 383, 4, 100, 100);

  resultModel_ = new ResultListModel(this);
  resultList_ = new QListView(panel1_);
  resultList_->setModel(resultModel_);
  resultList_->setUniformItemSizes(true);
  resultList_->setFont(QFont("Tahoma", 9));
  resultList_->setSelectionMode(QAbstractItemView::SingleSelection);
  resultList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  resultList_->setContextMenuPolicy(Qt::CustomContextMenu);
  resultList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // A line too long for the list keeps its date and its file name; the folders between give way.
  resultList_->setTextElideMode(Qt::ElideMiddle);
  panel->resultList = resultList_;
}

void MainWindow::BuildTabs() {
  tabs_ = new QTabWidget(this);
  tabs_->addTab(BuildTextTab(), " TEXT");
  pdfTab_ = new preview::PdfTab(this);
  tabs_->addTab(pdfTab_, "  PDF");
  tabs_->addTab(BuildDrawingTab(), "  DXF, Image");
  // The tab bars clip rather than push the splitter: the left panel keeps its designed width.
  for (int i = 0; i < tabs_->count(); ++i)
    tabs_->widget(i)->setMinimumSize(50, 50);
  tabs_->setMinimumWidth(100);
}

QWidget* MainWindow::BuildTextTab() {
  textTab_ = new preview::TextTab(this);
  textShowBox_ = textTab_->ShowBox();
  extractButton_ = textTab_->ExtractButton();
  return textTab_;
}

QWidget* MainWindow::BuildDrawingTab() {
  drawingTab_ = new DrawingTab(messages_, this);
  return drawingTab_;
}

// The CAD link with the target dialog, created hidden for the life of the window.
void MainWindow::BuildCadLink() {
  cadlink::CadLinkHooks hooks;
  hooks.window = this;
  hooks.tablePath = TargetTablePath();
  hooks.messages = messages_;
  hooks.selectedPath = [this] { return SelectedPath(); };
  hooks.targetProgId = [this] { return settings_.targetProgId; };
  hooks.chooseTarget = [this](const cadlink::TargetCadLogic::Choice& choice) {
    settings_.targetProgId = choice.targetProgId;
    ApplyTargetCaptions(choice.name);
  };
  hooks.makeSession = env_.cadSession;
  cadLink_ = new cadlink::CadLink(std::move(hooks), this);
}

void MainWindow::BuildResultMenu() {
  resultMenu_ = new QMenu(this);
  // The window's own rows act on the selected entry and do nothing without one.
  auto row = [this](const char* caption, std::function<void(const std::string&)> command) {
    auto* a = new QAction(QString::fromUtf8(caption), resultMenu_);
    a->setData(a->text());  // the caption it was made with, for menuAction()
    connect(a, &QAction::triggered, this, [this, command] {
      if (auto path = SelectedPath()) command(*path);
    });
    return a;
  };
  auto withMessages = [this](void (*command)(const std::string&, const MessageSink&)) {
    return [this, command](const std::string& path) { command(path, messages_); };
  };
  dateOrderAction_ = new QAction("検索後、日付順で表示", resultMenu_);  // read by the search
  dateOrderAction_->setData(dateOrderAction_->text());
  dateOrderAction_->setCheckable(true);
  dateOrderAction_->setChecked(true);
  auto* version = new QAction("■ バージョン情報", resultMenu_);  // needs no selection
  version->setData(version->text());
  connect(version, &QAction::triggered, this, [this] { ShowVersion(messages_); });

  // Each subsystem's rows in the designed order; nullptr is a separator, and the menu ends
  // with one.
  const QList<QAction*> converter = dwgConverter_->MenuActions();
  const std::vector<QAction*> rows = {
      converter.value(0),
      converter.value(1),
      nullptr,
      dateOrderAction_,
      nullptr,
      row("■ 関連付けられたアプリで開く", withMessages(OpenWithAssociatedApp)),
      nullptr,
      cadLink_->TargetAction(),
      cadLink_->InsertAction(),
      cadLink_->LoadAction(),
      nullptr,
      row("■ メモ帳で開く", withMessages(OpenInTextEditor)),
      nullptr,
      row("■ リストのファイル名をクリップボードにコピー", CopyPathToClipboard),
      row("■ リストのフォルダ名をクリップボードにコピー", CopyFolderToClipboard),
      nullptr,
      row("■ エクスプローラでフォルダを開く", withMessages(ShowFolderInFileManager)),
      nullptr,
      extraction_->ExtractAction(),
      extraction_->UsesPdfiumAction(),
      nullptr,
      version,
      nullptr,
  };
  for (QAction* a : rows) {
    if (a) {
      resultMenu_->addAction(a);
    } else {
      resultMenu_->addSeparator();
    }
  }
  targetAction_ = cadLink_->TargetAction();
  usesPdfiumAction_ = extraction_->UsesPdfiumAction();
}

void MainWindow::BuildFolderMenu() {
  folderMenu_ = new QMenu(this);
  connect(folderMenu_->addAction("現フォルダ名をリストに追加する"), &QAction::triggered, this,
          [this] { catalogue_->AddCurrentFolder(); });
  folderMenu_->addSeparator();
  connect(folderMenu_->addAction("現フォルダ名をリストから削除する"), &QAction::triggered, this,
          [this] { catalogue_->RemoveCurrentFolder(); });
  comboBox2_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(comboBox2_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { folderMenu_->popup(comboBox2_->mapToGlobal(at)); });
  // The editable box's line edit has a menu of its own; ours replaces it.
  if (QLineEdit* line = comboBox2_->lineEdit()) {
    line->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(line, &QWidget::customContextMenuRequested, this,
            [this, line](const QPoint& at) { folderMenu_->popup(line->mapToGlobal(at)); });
  }
}

void MainWindow::BuildStatusArea() {
  progressBar_ = new QProgressBar(this);
  progressBar_->setFixedHeight(10);
  progressBar_->setTextVisible(false);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  statusBar()->setFixedHeight(19);
  statusBar()->setSizeGripEnabled(false);
  statusPanel_ = new QLabel(statusBar());
  statusPanel_->setFixedWidth(200);
  statusBar()->addWidget(statusPanel_);
}

QAction* MainWindow::menuAction(const QString& caption) const {
  for (QAction* a : resultMenu_->actions()) {
    if (a->data().toString() == caption) return a;
  }
  return nullptr;
}

void MainWindow::ConnectCommands() {
  connect(button1_, &QPushButton::clicked, catalogue_, &CatalogueController::ChooseFolder);
  connect(button3_, &QPushButton::clicked, catalogue_, &CatalogueController::BuildFileList);
  connect(button4_, &QPushButton::clicked, catalogue_, &CatalogueController::SearchFileList);
  connect(button11_, &QPushButton::clicked, catalogue_, &CatalogueController::Cancel);
  connect(edit2_, &QLineEdit::returnPressed, catalogue_, &CatalogueController::SearchFileList);

  textTab_->View()->SetContextMenu(resultMenu_);
  connect(resultList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    resultMenu_->popup(resultList_->viewport()->mapToGlobal(at));
  });

  connect(button5_, &QPushButton::clicked, this, [this] {
    if (auto path = SelectedPath()) OpenWithAssociatedApp(*path, messages_);
  });
  cadLink_->Connect(button6_, button9_, resultList_);

  dwg::DwgConverter::Hooks& dwg = dwgConverter_->hooks();
  dwg.selectedPath = [this] { return SelectedPath(); };
  dwg.setStatus = [this](const QString& text) { drawingTab_->StatusBox()->setText(text); };
  dwg.tickShow = [this] { drawingTab_->ShowBox()->setChecked(true); };
  dwg.loadDxf = [this](const std::string& dxf) {
    drawingTab_->LoadDxfPreview(dxf, drawingTab_->Picture(), progressBar_);
  };
  connect(drawingTab_, &DrawingTab::ConvertRequested, dwgConverter_,
          &dwg::DwgConverter::ConvertDwgToDxf);
}

void MainWindow::ConnectPreview() {
  preview::PreviewWidgets w;
  w.window = this;
  w.list = resultList_;
  w.dateTimeRole = ResultListModel::DateTimeRole;
  w.pathRole = ResultListModel::PathRole;
  w.statusPanel = statusPanel_;
  w.thumbnail = image1_;
  w.tabPicture = drawingTab_->Picture();
  w.fileNameBox = drawingTab_->NameBox();
  w.measureBox = drawingTab_->StatusBox();
  w.pageLabel = pdfTab_->PageLabel();
  w.textView = textTab_->View();
  w.progress = progressBar_;
  w.tabs = tabs_;
  w.textShow = textShowBox_;
  w.pdfShow = pdfTab_->ShowBox();
  w.drawingShow = drawingTab_->ShowBox();
  w.extractButton = extractButton_;
  w.convertButton = drawingTab_->ConvertButton();
  w.insertButton = button6_;
  w.lspLoadButton = button9_;
  drawingTab_->SetWindow({[this] { return SelectedLine().has_value(); },
                          [this, tab = w.drawingTab] { return tabs_->currentIndex() == tab; },
                          [this] { preview_->BlankPicture(image1_); }});
  qApp->installEventFilter(this);
  preview::PreviewHooks hooks;
  hooks.pdfAvailable = pdfAvailable_;
  hooks.showPdf = [this](const std::string& path) { return pdfTab_->Show(path); };
  hooks.closePdf = [this] { pdfTab_->Close(); };
  hooks.hidePdf = [this] { pdfTab_->Hide(); };
  hooks.clearDrawing = [this] { drawingTab_->Clear(); };
  hooks.showDwgPreview = [](const std::string& path, preview::ImageBox* target) {
    if (dwg::ShowDwgPreview(path, target) == dwg::DwgPictureResult::Abort) throw SilentAbort{};
  };
  hooks.loadDxfPreview = [this](const std::string& path, preview::ImageBox* target,
                                QProgressBar* progress) {
    drawingTab_->LoadDxfPreview(path, target, progress);
  };
  // A silent abort (an unreadable DWG preview) only ends the preview, so it ends here, wherever
  // the preview was started from; every other error reaches KestrelApplication::notify, the
  // error boundary with its error box.
  hooks.runHandler = [](const std::function<void()>& handler) {
    try {
      handler();
    } catch (const SilentAbort&) {
    }
  };
  preview_ = std::make_unique<preview::PreviewDispatch>(w, std::move(hooks));
  preview_->ConnectTriggers();
}

// ---- selection ----------------------------------------------------------------------------

std::optional<MainWindow::Selection> MainWindow::SelectedLine() const {
  const QModelIndex index = resultList_->currentIndex();
  if (!index.isValid() || !resultList_->selectionModel()->isSelected(index)) return std::nullopt;
  return Selection{index.data(Qt::DisplayRole).toString(),
                   std::string(resultModel_->Path(index.row())),
                   resultModel_->DateTime(index.row())};
}

std::optional<std::string> MainWindow::SelectedPath() const {
  auto selection = SelectedLine();
  if (!selection) return std::nullopt;
  return std::move(selection->path);
}

void MainWindow::ClearPreviews() {
  if (pdfAvailable_) pdfTab_->Close();
  textTab_->View()->Clear();
  image1_->clear();
  drawingTab_->ClearBoxes();
}

void MainWindow::DropAfterOutOfMemory() {
  if (drawingTab_) drawingTab_->Release();
  ClearPreviews();
}

// ---- start-up and shut-down ---------------------------------------------------------------

std::string MainWindow::SettingsPath() const {
  return env_.settingsFolder + env_.settingsFileName;
}
std::string MainWindow::FolderListPath() const {
  return env_.settingsFolder + kFolderListFile;
}
std::string MainWindow::TargetTablePath() const {
  return env_.settingsFolder + kTargetTableFile;
}

void MainWindow::StartUp() {
  // The target until the settings name another: it is the default of their "Target" key.
  settings_.targetProgId = kDefaultProgId;

  // Without a PDF engine the program runs on; every PDF command is then skipped.
  pdfAvailable_ = !env_.forcePdfUnavailable && pdfTab_->CreateView();
  if (!pdfAvailable_) messages_({MessageKind::Plain, {}, "PDFium.DLL が見つかりません."});

  image1_->clear();

  // The folder box's items, kept for writing back in the encoding they were read in.
  folderTable_ = ReadTextTable(FolderListPath());
  QStringList folders;
  folders.reserve(static_cast<qsizetype>(folderTable_.lines.size()));
  for (const std::string& folder : folderTable_.lines)
    folders.push_back(Q(folder));
  CatalogueController::SetSortedItems(comboBox2_, folders);

  // The settings; a first start centres the window on the screen.
  Settings defaults;
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    defaults.left = (screen->geometry().width() - frameGeometry().width()) / 2;
    defaults.top = (screen->geometry().height() - frameGeometry().height()) / 2;
  }
  defaults.topFolder = env_.defaultTopFolder;
  defaults.targetProgId = settings_.targetProgId;
  settings_ = ReadSettings(IniFile::Load(SettingsPath()), defaults);
  // A position on no screen (a monitor since removed, a damaged or hand-edited file) is the
  // centred one: far-off values would also overflow the window's geometry.
  if (!QGuiApplication::screenAt(QPoint(settings_.left, settings_.top))) {
    settings_.left = defaults.left;
    settings_.top = defaults.top;
  }
  move(settings_.left, settings_.top);
  button6_->setText(Q(settings_.insertButtonCaption));
  FitCaption(button6_);
  comboBox2_->setCurrentIndex(-1);
  comboBox2_->setEditText(Q(settings_.topFolder));
  comboBox1_->setCurrentIndex(-1);
  comboBox1_->setEditText(Q(settings_.fileMask));
  dwgConverter_->SetSettings(settings_.converterPath, settings_.showConverter);
  edit2_->setText(Q(settings_.searchWords));
  checkBox4_->setChecked(settings_.searchOr);
  usesPdfiumAction_->setChecked(settings_.usesPdfium);

  // The drawing view keeps its zoom factor and colour mode, the text view its marks and tab
  // width; both start empty, the text view colouring AutoLISP until a file says otherwise.
  textTab_->View()->Clear();
  drawingTab_->Picture()->clear();
  textTab_->View()->SetHighlighter(preview::TextHighlighter::AutoLisp);
  tabs_->setCurrentIndex(0);

  ApplyTargetName();
  // Calls into the CAD program that it rejects while busy are retried for the window's life.
  cadLink_->RegisterMessageFilter();
}

void MainWindow::ApplyTargetName() {
  TextTable table = ReadTextTable(TargetTablePath());
  if (!table.existed) return;
  if (auto name = FindTargetDisplayName(table.lines, settings_.targetProgId)) {
    ApplyTargetCaptions(*name);
  }
}

void MainWindow::ApplyTargetCaptions(const std::string& name) {
  TargetCaptions captions = CaptionsForTarget(name, kAppTitle);
  targetAction_->setText(Q(captions.menuItem));
  button6_->setText(Q(captions.insertButton));
  FitCaption(button6_);
  setWindowTitle(Q(captions.window));
}

void MainWindow::PlaceOnMonitor() {
  // The stored position only chooses the monitor: the window opens at its designed size,
  // centred on that monitor's work area.
  QScreen* screen = QGuiApplication::screenAt(QPoint(settings_.left, settings_.top));
  if (!screen) screen = this->screen();
  if (!screen) return;
  const QRect work = screen->availableGeometry();
  const QRect frame = frameGeometry();
  int left = work.left() + (work.width() - frame.width()) / 2;
  int top = work.top() + (work.height() - frame.height()) / 2;
  move(std::max(left, work.left()), std::max(top, work.top()));
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!placed_) {
    placed_ = true;
    // The splitter shares out its width only once it is laid out.
    splitter_->setSizes({489, std::max(0, splitter_->width() - 489 - splitter_->handleWidth())});
    PlaceOnMonitor();
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return QMainWindow::eventFilter(watched, event);
  auto* wheel = static_cast<QWheelEvent*>(event);
  // The control under the pointer decides, once: the event then climbs to the parents of the
  // widget it was sent to, and each of them passes through here again.
  QWidget* under = QApplication::widgetAt(wheel->globalPosition().toPoint());
  if (!under || watched != under || under->window() != this) return false;
  // Over the PDF tab the view has the event first; the window's branch follows in wheelEvent,
  // where the event arrives when the view leaves it.
  if (tabs_->currentWidget() == pdfTab_) return false;
  return drawingTab_->Wheel(under, wheel);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (catalogue_->busy()) {
    // A build or search is on the stack below this event: stop it, and close when it has
    // unwound, so that shut-down never runs under a running loop.
    closeWhenIdle_ = true;
    catalogue_->Cancel();
    event->ignore();
    return;
  }
  ShutDown();
  event->accept();
}

void MainWindow::wheelEvent(QWheelEvent* event) {
  // What no control took; the PDF branch runs after the PDF view's own handling.
  if (tabs_->currentWidget() == pdfTab_) {
    pdfTab_->WindowWheel(event->globalPosition().toPoint(), event->angleDelta().y(),
                         event->modifiers());
  }
  QMainWindow::wheelEvent(event);
}

void MainWindow::ShutDown() {
  if (shutDownDone_) return;
  shutDownDone_ = true;

  // The folder list is written always, in the box's sorted order: an empty box leaves an
  // empty file.
  std::vector<std::string> folders;
  for (int i = 0; i < comboBox2_->count(); ++i)
    folders.push_back(comboBox2_->itemText(i).toStdString());
  WriteTextTable(FolderListPath(), folders, folderTable_);

  // The settings file is read again so that every line the program does not own stays.
  const QRect frame = frameGeometry();
  settings_.width = frame.width();
  settings_.height = frame.height();
  settings_.left = frame.left();
  settings_.top = frame.top();
  settings_.insertButtonCaption = button6_->text().toStdString();
  settings_.topFolder = comboBox2_->currentText().toStdString();
  settings_.fileMask = comboBox1_->currentText().toStdString();
  settings_.showConverter = dwgConverter_->showConverter();
  settings_.converterPath = dwgConverter_->converterPath();
  settings_.searchWords = edit2_->text().toStdString();
  settings_.searchOr = checkBox4_->isChecked();
  settings_.usesPdfium = usesPdfiumAction_->isChecked();
  IniFile ini = IniFile::Load(SettingsPath());
  WriteSettings(ini, settings_);
  ini.Save(SettingsPath());

  // Converted drawings live only as long as the program; the user's own DXF files are never in
  // this folder.
  DeleteDxfFiles(ConversionFolder(env_));
  cadLink_->RevokeMessageFilter();
}

}  // namespace kestrel::app
