// How the cores and widgets speak to the user: every message box goes through a sink, so
// that the window shows it and a test records it instead of blocking.
#pragma once

#include <functional>
#include <string>

namespace kestrel {

enum class MessageKind {
  Plain,        // a plain message box with the text only
  Information,  // information icon, OK button
  Error,        // error icon, with a title such as "エラー"
};

struct Message {
  MessageKind kind = MessageKind::Plain;
  std::string title;  // empty: the application title
  std::string text;   // UTF-8
};

using MessageSink = std::function<void(const Message&)>;

// Progress of a long operation: position out of maximum.
using ProgressSink = std::function<void(int position, int maximum)>;

}  // namespace kestrel
