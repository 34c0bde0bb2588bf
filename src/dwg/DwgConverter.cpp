#include "dwg/DwgConverter.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "base/PathBytes.h"
#include "catalogue/StatusTexts.h"
#include "dwg/ConverterCommand.h"
#include "preview/core/PreviewRules.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrel::dwg {
namespace {

constexpr const char* kNotFound = "ファイルが見つかりません．";

bool IsFile(const std::string& pathBytes) {
  std::error_code error;
  return !pathBytes.empty() && std::filesystem::is_regular_file(NativePath(pathBytes), error);
}

QString FromBytes(const std::string& bytes) {
  return QString::fromStdString(bytes);
}

// The hourglass for as long as the converter runs, also when the wait ends by an exception.
struct WaitCursor {
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

}  // namespace

DwgConverter::DwgConverter(QWidget* owner, MessageSink messages, std::string outputFolder)
    : QObject(owner),
      owner_(owner),
      messages_(std::move(messages)),
      outputFolder_(std::move(outputFolder)) {
  registerAction_ = new QAction(QStringLiteral("ODAFileConverter を登録"), this);
  connect(registerAction_, &QAction::triggered, this, &DwgConverter::RegisterConverter);
  showAction_ = new QAction(QStringLiteral("変換中 FileConverter.exe を表示する"), this);
  showAction_->setCheckable(true);
  // Closing the window while the converter runs ends the wait; the result is looked for as
  // after any other wait.
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(app, &QGuiApplication::lastWindowClosed, this, [this] { terminating_ = true; });
  }
}

QList<QAction*> DwgConverter::MenuActions() const {
  return {registerAction_, showAction_};
}

void DwgConverter::SetSettings(const std::string& converterPath, bool showConverter) {
  converterPath_ = converterPath;
  showAction_->setChecked(showConverter);
}

bool DwgConverter::showConverter() const {
  return showAction_->isChecked();
}

void DwgConverter::Say(MessageKind kind, const std::string& text, const std::string& title) {
  if (messages_) messages_(Message{kind, title, text});
}

void DwgConverter::SetStatus(const QString& text) {
  if (hooks_.setStatus) hooks_.setStatus(text);
}

void DwgConverter::RegisterConverter() {
  std::optional<std::string> chosen;
  if (hooks_.chooseProgram) {
    chosen = hooks_.chooseProgram();
  } else {
#ifdef _WIN32
    const QString filter = QStringLiteral("*.exe (*.exe)");
#else
    // Programs here have no extension to filter by.
    const QString filter = QStringLiteral("* (*)");
#endif
    const QString file = QFileDialog::getOpenFileName(owner_, QString(), QString(), filter);
    if (!file.isEmpty()) chosen = QDir::toNativeSeparators(file).toStdString();
  }
  if (chosen && !chosen->empty()) converterPath_ = *chosen;
}

void DwgConverter::ConvertDwgToDxf() {
  if (!IsFile(converterPath_)) {
    Say(MessageKind::Information, "ODAFileConverter.exe が見つかりません．");
    return;
  }
  const std::optional<std::string> selected =
      hooks_.selectedPath ? hooks_.selectedPath() : std::nullopt;
  if (!selected) return;
  const std::string& dwg = *selected;
  if (preview::UpperExtension(dwg) != ".DWG") return;
  if (!IsFile(dwg)) {
    Say(MessageKind::Information, catalogue::DisplayText(dwg) + "\n" + kNotFound);
    return;
  }
  SetStatus(QStringLiteral("DWG->DXF 変換中... "));
  QCoreApplication::processEvents();
  if (RunConverter(converterPath_, dwg, showConverter())) {
    const std::string dxf = ExpectedDxfPath(dwg, outputFolder_);
    if (IsFile(dxf)) {
      SetStatus(QStringLiteral("DXF ファイルを表示中..."));
      if (hooks_.tickShow) hooks_.tickShow();
      QCoreApplication::processEvents();
      if (hooks_.loadDxf) hooks_.loadDxf(dxf);
    } else {
      Say(MessageKind::Information, catalogue::DisplayText(dxf) + "\n" + kNotFound);
    }
  }
  SetStatus(QString());
}

bool DwgConverter::RunConverter(const std::string& converterPath, const std::string& dwgPath,
                                bool show) {
  // The folder is Kestrel's own; a converter cannot write into a folder that is not there.
  QDir().mkpath(FromBytes(outputFolder_));
  const std::vector<std::string> arguments = ConverterArguments(dwgPath, outputFolder_);
  const bool visible = ShowsConverterWindow(show, arguments);
  QStringList list;
  for (const std::string& a : arguments)
    list.push_back(FromBytes(a));

  WaitCursor cursor;
  QProcess process;
  // Its output is not read: an unread pipe would fill and stop it.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
#ifdef _WIN32
  process.setCreateProcessArgumentsModifier([visible](QProcess::CreateProcessArguments* a) {
    a->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
    a->startupInfo->wShowWindow = visible ? SW_SHOWNORMAL : SW_HIDE;
  });
#else
  // Elsewhere a program's window opens as its desktop decides; there is nothing to ask for.
  (void)visible;
#endif
  process.start(FromBytes(converterPath), list, QIODevice::ReadOnly);
  if (!process.waitForStarted(-1)) {
    Say(MessageKind::Error, "起動に失敗しました．", "エラー");
    return false;
  }
  terminating_ = false;
  while (process.state() != QProcess::NotRunning && !terminating_) {
    QCoreApplication::processEvents();
    process.waitForFinished(10);
  }
  if (process.state() != QProcess::NotRunning) {
    // The window is closing: the converter goes with it rather than being left behind.
    process.kill();
    process.waitForFinished(1000);
  }
  return true;
}

}  // namespace kestrel::dwg
