#include "app/ListCommands.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace kestrel::app {
namespace {

void ReportFailure(const MessageSink& messages, const char* text) {
  messages({MessageKind::Error, "エラー", text});
}

}  // namespace

QString FolderOf(const QString& path) {
  const QString native = QDir::toNativeSeparators(path);
  const int sep = native.lastIndexOf(QDir::separator());
  if (sep < 0) return QString();
  // A root keeps its separator ("/", "D:\").
  if (sep == 0 || (sep == 2 && native.at(1) == ':')) return native.left(sep + 1);
  return native.left(sep);
}

void OpenWithAssociatedApp(const QString& path, const MessageSink& messages) {
  if (!QFileInfo::exists(path)) return;
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
    ReportFailure(messages, "起動に失敗しました");
  }
}

void OpenInTextEditor(const QString& path, const MessageSink& messages) {
  if (!QFileInfo::exists(path)) return;
#ifdef _WIN32
  const QStringList editors = {"notepad.exe"};
#else
  // The desktop's plain text editors, the most common first.
  const QStringList editors = {
      "gnome-text-editor", "gedit",  "kate", "kwrite", "mousepad", "xed", "pluma",
      "featherpad",        "leafpad"};
#endif
  for (const QString& editor : editors) {
    if (QStandardPaths::findExecutable(editor).isEmpty()) continue;
    if (QProcess::startDetached(editor, {path})) return;
  }
  ReportFailure(messages, "メモ帳の起動に失敗しました");
}

void ShowFolderInFileManager(const QString& path, const MessageSink& messages) {
  if (!QFileInfo::exists(path)) return;
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(FolderOf(path) + QDir::separator()))) {
    ReportFailure(messages, "エクスプローラの起動に失敗しました");
  }
}

void CopyPathToClipboard(const QString& path) {
  QGuiApplication::clipboard()->setText(path);
}

void CopyFolderToClipboard(const QString& path) {
  QGuiApplication::clipboard()->setText(FolderOf(path));
}

void ShowVersion(const MessageSink& messages) {
  messages({MessageKind::Information, {}, "Kestrel2023 Ver.2023.08.12"});
}

}  // namespace kestrel::app
