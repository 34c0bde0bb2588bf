// Commands on the selected result-list entry: open it with its associated application or in a
// text editor, show its folder, copy its path or folder. Each takes the entry's path as the file
// system's bytes (base/PathBytes.h), which need not be UTF-8.
#pragma once

#include <QString>
#include <QUrl>
#include <string>
#include <string_view>

#include "base/Messages.h"

namespace kestrel::app {

// The folder of `path` without a trailing separator (a root keeps its own).
std::string FolderOf(std::string_view path);

// The file URL of `path`, percent-encoded from its bytes, so that a name that is not UTF-8
// reaches the desktop as it is. A relative path is taken from the current folder.
QUrl LocalFileUrl(std::string_view path);

// `path` as text, for the clipboard: bytes that are not UTF-8 become U+FFFD.
QString PathText(std::string_view path);

// Each does nothing when `path` does not exist, and reports a failure to start through
// `messages` with the title "エラー".
void OpenWithAssociatedApp(const std::string& path, const MessageSink& messages);
void OpenInTextEditor(const std::string& path, const MessageSink& messages);
void ShowFolderInFileManager(const std::string& path, const MessageSink& messages);

void CopyPathToClipboard(const std::string& path);
void CopyFolderToClipboard(const std::string& path);

// "■ バージョン情報".
void ShowVersion(const MessageSink& messages);

}  // namespace kestrel::app
