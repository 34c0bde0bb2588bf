// Kestrel: the file list and preview window.
#include <QIcon>

#include "app/KestrelApplication.h"
#include "app/MainWindow.h"
#include "base/HugePages.h"

int main(int argc, char** argv) {
  kestrel::RestartWithHugePageMalloc(argv);
  kestrel::app::KestrelApplication app(argc, argv);
  kestrel::app::ApplyDarkTheme(app);
  kestrel::app::InstallFontSubstitutes();
  kestrel::app::InstallJapaneseQtTexts(app);
  kestrel::app::NameApplication();
  app.setWindowIcon(QIcon(":/icons/kestrel.svg"));

  kestrel::app::MainWindow window(kestrel::app::DefaultEnvironment());
  app.onOutOfMemory = [&window] { window.DropAfterOutOfMemory(); };
  kestrel::app::CloseOnTerminationSignals(&window);
  window.show();
  const int status = app.exec();
  app.onOutOfMemory = nullptr;  // the window goes first
  return status;
}
