#include "app/ListCommands.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "base/PathBytes.h"
#include "base/TextCodec.h"

namespace kestrel::app {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

void ReportFailure(const MessageSink& messages, const char* text) {
  messages({MessageKind::Error, "エラー", text});
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(NativePath(path), ec);
}

}  // namespace

std::string FolderOf(std::string_view path) {
  std::string native(path);
#ifdef _WIN32
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
#endif
  const size_t sep = native.rfind(kSeparator);
  if (sep == std::string::npos) return std::string();
  // A root keeps its separator ("/", "D:\").
  if (sep == 0 || (sep == 2 && native[1] == ':')) return native.substr(0, sep + 1);
  return native.substr(0, sep);
}

QUrl LocalFileUrl(std::string_view path) {
#ifdef _WIN32
  return QUrl::fromLocalFile(PathText(path));
#else
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(NativePath(path), ec);
  const std::string& bytes = ec ? std::string(path) : absolute.native();
  const QByteArray encoded =
      QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toPercentEncoding("/");
  return QUrl::fromEncoded("file://" + encoded, QUrl::StrictMode);
#endif
}

QString PathText(std::string_view path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

void OpenWithAssociatedApp(const std::string& path, const MessageSink& messages) {
  if (!Exists(path)) return;
  if (!QDesktopServices::openUrl(LocalFileUrl(path))) {
    ReportFailure(messages, "起動に失敗しました");
  }
}

void OpenInTextEditor(const std::string& path, const MessageSink& messages) {
  if (!Exists(path)) return;
#ifdef _WIN32
  const QStringList editors = {"notepad.exe"};
  const QString argument = PathText(path);
#else
  // The desktop's plain text editors, the most common first.
  const QStringList editors = {
      "gnome-text-editor", "gedit",  "kate", "kwrite", "mousepad", "xed", "pluma",
      "featherpad",        "leafpad"};
  // Arguments go to the program as UTF-8: a name that is not UTF-8 goes as its file URL, which
  // these editors open as well.
  const QString argument =
      IsValidUtf8(path) ? PathText(path) : LocalFileUrl(path).toString(QUrl::FullyEncoded);
#endif
  for (const QString& editor : editors) {
    if (QStandardPaths::findExecutable(editor).isEmpty()) continue;
    if (QProcess::startDetached(editor, {argument})) return;
  }
  ReportFailure(messages, "メモ帳の起動に失敗しました");
}

void ShowFolderInFileManager(const std::string& path, const MessageSink& messages) {
  if (!Exists(path)) return;
  std::string folder = FolderOf(path);
  if (folder.empty() || folder.back() != kSeparator) folder.push_back(kSeparator);
  if (!QDesktopServices::openUrl(LocalFileUrl(folder))) {
    ReportFailure(messages, "エクスプローラの起動に失敗しました");
  }
}

void CopyPathToClipboard(const std::string& path) {
  QGuiApplication::clipboard()->setText(PathText(path));
}

void CopyFolderToClipboard(const std::string& path) {
  QGuiApplication::clipboard()->setText(PathText(FolderOf(path)));
}

void ShowVersion(const MessageSink& messages) {
  messages({MessageKind::Information, {}, "Kestrel2023 Ver.2023.08.12"});
}

}  // namespace kestrel::app
