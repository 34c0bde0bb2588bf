#include "app/KestrelApplication.h"

#include <QFont>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <QWidget>
#include <exception>

#include "app/MessageBoxes.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kestrel::app {

KestrelApplication::KestrelApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KestrelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const SilentAbort&) {
    return false;
  } catch (const std::exception& e) {
    Message m{MessageKind::Error, "", e.what()};
    if (errorSink) {
      errorSink(m);
    } else {
      QMessageBox::critical(activeWindow(), kApplicationTitle, QString::fromUtf8(e.what()));
    }
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
