// The CAD program reached through COM: its application object from the running-object table,
// called late-bound by member name, and its main window through the window manager.
#pragma once
#ifdef _WIN32

#include <oaidl.h>
#include <windows.h>

#include "cadlink/CadSession.h"

namespace kestrel::cadlink {

class ComCadSession final : public CadSession {
 public:
  ComCadSession() = default;
  ComCadSession(const ComCadSession&) = delete;
  ComCadSession& operator=(const ComCadSession&) = delete;
  ~ComCadSession() override { Release(); }

  bool IsTargetRunning(const std::string& progId) override;
  void Fetch(const std::string& progId) override;
  WindowHandle MainWindow() override;
  bool IsMinimised(WindowHandle window) override;
  void Restore(WindowHandle window) override;
  void SetForeground(WindowHandle window) override;
  WindowHandle Foreground() override;
  void PressEscape() override;
  void Pause(int milliseconds) override;
  void FetchActiveDocument() override;
  void SendCommand(const std::string& text) override;
  void Release() noexcept override;

 private:
  IDispatch* application_ = nullptr;
  IDispatch* document_ = nullptr;
};

}  // namespace kestrel::cadlink

#endif
