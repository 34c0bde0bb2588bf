// The running CAD program as the commands see it: one narrow interface over COM automation and
// the window manager, so that the command sequence runs against a fake in tests.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace kestrel::cadlink {

// A failure of the platform or of an automation call; what() is the text the user is shown.
class CadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A window of the desktop, as the automation's HWND gives it.
using WindowHandle = std::int64_t;

// Every operation but the window ones may throw CadError. The application and document objects
// are held between Fetch and Release; Release drops whatever is held and never throws.
class CadSession {
 public:
  virtual ~CadSession() = default;

  // True when a running object is registered for `progId`; throws when the ProgID is unknown.
  virtual bool IsTargetRunning(const std::string& progId) = 0;
  // Holds the running application object of `progId`.
  virtual void Fetch(const std::string& progId) = 0;
  // The application's HWND, read anew on every call.
  virtual WindowHandle MainWindow() = 0;
  virtual bool IsMinimised(WindowHandle window) = 0;
  virtual void Restore(WindowHandle window) = 0;
  virtual void SetForeground(WindowHandle window) = 0;
  virtual WindowHandle Foreground() = 0;
  // One press of the Escape key: key down, key up.
  virtual void PressEscape() = 0;
  virtual void Pause(int milliseconds) = 0;
  // Holds the application's ActiveDocument.
  virtual void FetchActiveDocument() = 0;
  // The held document's SendCommand with `text` (UTF-8).
  virtual void SendCommand(const std::string& text) = 0;
  virtual void Release() noexcept = 0;
};

// The platform's session: COM automation on Windows; elsewhere no target is ever running.
std::unique_ptr<CadSession> MakeCadSession();

}  // namespace kestrel::cadlink
