#include "app/KestrelApplication.h"

#include <QFont>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>
#include <cstring>
#include <exception>
#include <new>

#include "app/MessageBoxes.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kestrel::app {

namespace {

// Enough for the message box and what the window does before it, once the failed command's
// memory is gone too.
constexpr size_t kReserveBytes = size_t(4) << 20;

std::unique_ptr<char[]> TakeReserve() noexcept {
  std::unique_ptr<char[]> reserve(new (std::nothrow) char[kReserveBytes]);
  // Touched, so that the pages are really the program's and come free when it is released.
  if (reserve) std::memset(reserve.get(), 0, kReserveBytes);
  return reserve;
}

}  // namespace

KestrelApplication::KestrelApplication(int& argc, char** argv)
    : QApplication(argc, argv), reserve_(TakeReserve()) {}

void KestrelApplication::ReportError(const char* text) noexcept {
  // Nothing may escape into Qt from here: a report that fails is dropped.
  try {
    if (errorSink) {
      errorSink(Message{MessageKind::Error, "", text});
    } else {
      QMessageBox::critical(activeWindow(), kApplicationTitle, QString::fromUtf8(text));
    }
  } catch (...) {
  }
}

void KestrelApplication::ReportOutOfMemory() noexcept {
  reserve_.reset();
  try {
    if (onOutOfMemory) onOutOfMemory();
  } catch (...) {
  }
  ReportError(kOutOfMemoryMessage);
  if (!reserve_) reserve_ = TakeReserve();
}

bool KestrelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const SilentAbort&) {
    return false;
  } catch (const std::bad_alloc&) {
    // Reporting allocates: the memory kept back makes room for it first.
    ReportOutOfMemory();
    return false;
  } catch (const std::exception& e) {
    ReportError(e.what());
    return false;
  }
}

void NameApplication() {
  QCoreApplication::setApplicationName(kApplicationTitle);
}

void ApplyDarkTheme(QApplication& app) {
  QStyle* fusion = QStyleFactory::create("Fusion");
  if (!fusion) return;  // the platform's look stays
  app.setStyle(fusion);
  QPalette p;
  const QColor window(43, 43, 43), base(25, 25, 25), text(230, 230, 230), disabled(120, 120, 120);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, QColor(53, 53, 53));
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::BrightText, Qt::red);
  p.setColor(QPalette::Link, QColor(80, 160, 255));
  p.setColor(QPalette::Highlight, QColor(0, 120, 215));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::PlaceholderText, QColor(128, 128, 128));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, disabled);
  }
  app.setPalette(p);
}

bool InstallJapaneseQtTexts(QApplication& app) {
  auto* texts = new QTranslator(&app);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  // "qt_ja" gathers the catalogues of every Qt module; "qtbase_ja" is the part the widgets use.
  if (!texts->load("qt_ja", folder) && !texts->load("qtbase_ja", folder)) {
    delete texts;
    return false;
  }
  QCoreApplication::installTranslator(texts);
  return true;
}

void InstallFontSubstitutes() {
  QFont::insertSubstitutions("Tahoma", {"DejaVu Sans", "IPAGothic", "Noto Sans CJK JP"});
  QFont::insertSubstitutions("ＭＳ ゴシック", {"IPAGothic", "Noto Sans Mono CJK JP"});
  QFont::insertSubstitutions("Consolas", {"DejaVu Sans Mono", "IPAGothic"});
  QApplication::setFont(QFont("Tahoma", 8));
}

#ifndef _WIN32
namespace {
int signalPipe[2] = {-1, -1};
void OnSignal(int) {
  char c = 1;
  [[maybe_unused]] ssize_t n = write(signalPipe[1], &c, 1);
}
}  // namespace

void CloseOnTerminationSignals(QWidget* window) {
  if (signalPipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
  QPointer<QWidget> target(window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
    char c;
    [[maybe_unused]] ssize_t n = read(signalPipe[0], &c, 1);
    if (target) target->close();
  });
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}
#else
void CloseOnTerminationSignals(QWidget*) {}
#endif

}  // namespace kestrel::app
