// The application object: the dark look, the font stand-ins, and the one place where an error
// escaping an event handler is shown to the user.
#pragma once

#include <QApplication>

#include "base/Messages.h"

namespace kestrel::app {

class KestrelApplication : public QApplication {
 public:
  KestrelApplication(int& argc, char** argv);

  // Shows errors that escape event handlers; empty: a message box.
  MessageSink errorSink;

  bool notify(QObject* receiver, QEvent* event) override;
};

// The application's title, "Kestrel": the caption of its message boxes.
inline constexpr const char* kApplicationTitle = "Kestrel";

// Names the application "Kestrel" (its settings folder follows the name). It gets no display
// name: the platforms append one to every window title, and the titles are exactly the
// window's captions ("Kestrel [ BricsCAD V23 ]", "[2026/12/10 05:14:40] plan.lsp").
void NameApplication();

// Fusion with a dark palette: the stand-in for the "Windows10 Dark" theme.
void ApplyDarkTheme(QApplication& app);

// Maps the Windows face names the window asks for to installed faces.
void InstallFontSubstitutes();

// Closes `window` (so that shut-down runs) when SIGINT or SIGTERM arrives.
void CloseOnTerminationSignals(QWidget* window);

}  // namespace kestrel::app
