#include "cadlink/CadSession.h"

#ifdef _WIN32
#include "cadlink/win/ComCadSession.h"
#endif

namespace kestrel::cadlink {

#ifndef _WIN32
namespace {

// Without COM there is no running-object table: no target is ever running, so both commands
// end before any other operation, as when no CAD program runs.
class NoCadSession final : public CadSession {
 public:
  bool IsTargetRunning(const std::string&) override { return false; }
  void Fetch(const std::string&) override { throw CadError("no CAD program"); }
  WindowHandle MainWindow() override { return 0; }
  bool IsMinimised(WindowHandle) override { return false; }
  void Restore(WindowHandle) override {}
  void SetForeground(WindowHandle) override {}
  WindowHandle Foreground() override { return 0; }
  void PressEscape() override {}
  void Pause(int) override {}
  void FetchActiveDocument() override { throw CadError("no CAD program"); }
  void SendCommand(const std::string&) override { throw CadError("no CAD program"); }
  void Release() noexcept override {}
};

}  // namespace
#endif

std::unique_ptr<CadSession> MakeCadSession() {
#ifdef _WIN32
  return std::make_unique<ComCadSession>();
#else
  return std::make_unique<NoCadSession>();
#endif
}

}  // namespace kestrel::cadlink
