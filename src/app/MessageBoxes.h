// The window's side of the message interface: message boxes for a MessageSink.
#pragma once

#include <QWidget>

#include "base/Messages.h"

namespace kestrel::app {

MessageSink MessageBoxSink(QWidget* parent);

// Thrown to end an event handler without a message (the application's silent abort).
struct SilentAbort {};

}  // namespace kestrel::app
