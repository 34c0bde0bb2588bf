// A stand-in for a running CAD program: an automation object with HWND, ActiveDocument and
// SendCommand, registered in the running-object table under a test ProgID, served from its own
// single-threaded apartment with a window of its own, so that every call from the test's
// thread crosses apartments as a call into another program does.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace kestrel::test {

inline constexpr const wchar_t* kFakeProgId = L"Kestrel.FakeCad";

class FakeCadServer {
 public:
  // Registers the ProgID for the current user; the object runs only after Start.
  FakeCadServer();
  ~FakeCadServer();

  bool Start();  // the apartment, the window and the running object; false on failure
  void Stop();

  // The texts SendCommand received, in order.
  std::vector<std::wstring> Received();
  void ClearReceived();
  HWND Window() const { return window_; }
  // True when the user's own classes were not enough for the ProgID lookup.
  bool MachineWide() const { return machineWide_; }
  void Minimise();
  bool IsMinimised() const { return IsIconic(window_) != FALSE; }

  // How the next calls are answered.
  std::atomic<bool> hasDocument{true};
  std::atomic<int> retryLaterCalls{0};   // so many incoming calls are answered "retry later"
  std::atomic<bool> rejectCalls{false};  // every incoming call is rejected outright
  std::atomic<int> rejectedSoFar{0};

  // Called on the server's thread.
  void Record(const wchar_t* text);
  DWORD AnswerIncoming();

 private:
  static DWORD WINAPI Serve(void* self);
  void Run();

  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HANDLE ready_ = nullptr;
  bool started_ = false;
  bool machineWide_ = false;
  HWND window_ = nullptr;
  SRWLOCK lock_ = SRWLOCK_INIT;  // the win32 thread model has no std::mutex
  std::vector<std::wstring> received_;
};

}  // namespace kestrel::test
