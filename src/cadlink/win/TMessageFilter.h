// The COM message filter of the user-interface thread: a busy CAD program that asks to be
// called again is called again once a second, for as long as it asks; nothing else is
// dispatched meanwhile.
#pragma once
#ifdef _WIN32

#include <objidl.h>
#include <windows.h>

namespace kestrel::cadlink {

class TMessageFilter final : public IMessageFilter {
 public:
  static constexpr DWORD kRetryAfterMs = 1000;
  static constexpr DWORD kGiveUp = DWORD(-1);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IMessageFilter
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                             LPINTERFACEINFO interfaceInfo) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount,
                                            DWORD rejectType) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

  // Makes this the calling thread's filter, keeping the one before it in FOldFilter.
  HRESULT Register();
  // Makes FOldFilter the thread's filter again (none, if there was none).
  HRESULT Revoke();

 private:
  ~TMessageFilter() = default;  // reference counted: Release deletes
  friend TMessageFilter* NewMessageFilter();

  LONG refs_ = 1;
  IMessageFilter* FOldFilter = nullptr;
  bool registered_ = false;
};

// A new filter with one reference, the caller's.
TMessageFilter* NewMessageFilter();

}  // namespace kestrel::cadlink

#endif
