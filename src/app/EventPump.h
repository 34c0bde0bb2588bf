// Lets queued window events run inside a long loop, at most about every 15 ms, so that "中止"
// and the window stay live without the loop spending its time in the event loop.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace kestrel::app {

class EventPump {
 public:
  EventPump() { timer_.start(); }
  void Pump() {
    if (timer_.elapsed() < 15) return;
    PumpNow();
  }
  void PumpNow() {
    QCoreApplication::processEvents();
    timer_.restart();
  }

 private:
  QElapsedTimer timer_;
};

}  // namespace kestrel::app
