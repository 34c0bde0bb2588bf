// The application object: the dark look, the font stand-ins, and the one place where an error
// escaping an event handler is shown to the user.
#pragma once

#include <QApplication>
#include <functional>
#include <memory>

#include "base/Messages.h"

namespace kestrel::app {

class KestrelApplication : public QApplication {
 public:
  KestrelApplication(int& argc, char** argv);

  // Shows errors that escape event handlers; empty: a message box.
  MessageSink errorSink;
  // Called when an event handler ran out of memory, before the message: the window drops what
  // the failed command held (the drawing, the previews).
  std::function<void()> onOutOfMemory;

  // What the user is told when a command ran out of memory.
  static constexpr const char* kOutOfMemoryMessage = "メモリが不足しています.";

  bool notify(QObject* receiver, QEvent* event) override;

  // The memory kept back so that reporting an out-of-memory failure has room to run.
  bool HoldsReserve() const { return reserve_ != nullptr; }

 private:
  void ReportError(const char* text) noexcept;
  void ReportOutOfMemory() noexcept;

  std::unique_ptr<char[]> reserve_;
};

// The application's title, "Kestrel": the caption of its message boxes.
inline constexpr const char* kApplicationTitle = "Kestrel";

// Names the application "Kestrel" (its settings folder follows the name). It gets no display
// name: the platforms append one to every window title, and the titles are exactly the
// window's captions ("Kestrel [ BricsCAD V23 ]", "[2026/12/10 05:14:40] plan.lsp").
void NameApplication();

// Fusion with a dark palette: the stand-in for the "Windows10 Dark" theme.
void ApplyDarkTheme(QApplication& app);

// Qt's own dialogs (the folder picker, the file dialog, message box buttons) speak the window's
// language, Japanese, whatever the desktop's locale. Returns false when Qt's Japanese texts are
// not installed (the dialogs then stay in English).
bool InstallJapaneseQtTexts(QApplication& app);

// Maps the Windows face names the window asks for to installed faces.
void InstallFontSubstitutes();

// Closes `window` (so that shut-down runs) when SIGINT or SIGTERM arrives.
void CloseOnTerminationSignals(QWidget* window);

}  // namespace kestrel::app
