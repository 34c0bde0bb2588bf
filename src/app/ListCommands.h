// Commands on the selected result-list entry: open it with its associated application or in a
// text editor, show its folder, copy its path or folder.
#pragma once

#include <QString>

#include "base/Messages.h"

namespace kestrel::app {

// The folder of `path` without a trailing separator (a root keeps its own).
QString FolderOf(const QString& path);

// Each does nothing when `path` does not exist, and reports a failure to start through
// `messages` with the title "エラー".
void OpenWithAssociatedApp(const QString& path, const MessageSink& messages);
void OpenInTextEditor(const QString& path, const MessageSink& messages);
void ShowFolderInFileManager(const QString& path, const MessageSink& messages);

void CopyPathToClipboard(const QString& path);
void CopyFolderToClipboard(const QString& path);

// "■ バージョン情報".
void ShowVersion(const MessageSink& messages);

}  // namespace kestrel::app
