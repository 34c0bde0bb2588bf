#include "app/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include "app/KestrelApplication.h"

namespace kestrel::app {

MessageSink MessageBoxSink(QWidget* parent) {
  QPointer<QWidget> owner(parent);
  return [owner](const Message& m) {
    QString title = m.title.empty() ? kApplicationTitle : QString::fromStdString(m.title);
    QMessageBox::Icon icon = m.kind == MessageKind::Error         ? QMessageBox::Critical
                             : m.kind == MessageKind::Information ? QMessageBox::Information
                                                                  : QMessageBox::NoIcon;
    QMessageBox box(icon, title, QString::fromStdString(m.text), QMessageBox::Ok, owner.data());
    box.exec();
  };
}

}  // namespace kestrel::app
