// Converting the selected DWG to DXF through an outside converter program, and drawing the
// result: the "DWG -> DXF" command, the popup-menu rows that register the converter and choose
// whether its window shows, and the two settings behind them.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "base/Messages.h"

class QAction;
class QWidget;

namespace kestrel::dwg {

class DwgConverter : public QObject {
  Q_OBJECT
 public:
  // What the converter needs of the window; every hook may be left empty.
  struct Hooks {
    // The selected result line's path (the file system's bytes).
    std::function<std::optional<std::string>()> selectedPath;
    // The drawing tab's status box.
    std::function<void(const QString&)> setStatus;
    // Ticks the drawing tab's " 表示" box (which previews the selection again when it was not
    // ticked).
    std::function<void()> tickShow;
    // Draws the DXF at `path` (bytes) in the drawing tab's picture.
    std::function<void(const std::string& path)> loadDxf;
    // Asks the user for the converter program; empty: the file dialog.
    std::function<std::optional<std::string>()> chooseProgram;
  };

  // `outputFolder`: where the converted DXF files go (created when missing).
  DwgConverter(QWidget* owner, MessageSink messages, std::string outputFolder);

  Hooks& hooks() { return hooks_; }

  // "ODAFileConverter を登録" and "変換中 FileConverter.exe を表示する", in that order.
  QList<QAction*> MenuActions() const;

  // The settings: the converter's full path (UTF-8) and whether its window shows.
  void SetSettings(const std::string& converterPath, bool showConverter);
  const std::string& converterPath() const { return converterPath_; }
  bool showConverter() const;

  // The "DWG -> DXF" button.
  void ConvertDwgToDxf();
  // Asks for the converter program and keeps its path.
  void RegisterConverter();
  // Runs the converter on `dwgPath` and waits for it while events run; false when it could not
  // be started. `show` (or a folder that is a drive root) opens its window on Windows; a
  // program's window elsewhere opens as its desktop decides.
  bool RunConverter(const std::string& converterPath, const std::string& dwgPath, bool show);

 private:
  void Say(MessageKind kind, const std::string& text, const std::string& title = {});
  void SetStatus(const QString& text);

  QWidget* owner_;
  MessageSink messages_;
  std::string outputFolder_;
  std::string converterPath_;
  QAction* registerAction_ = nullptr;
  QAction* showAction_ = nullptr;
  Hooks hooks_;
  bool terminating_ = false;
};

}  // namespace kestrel::dwg
