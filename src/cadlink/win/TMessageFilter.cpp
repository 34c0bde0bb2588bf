#ifdef _WIN32
#include "cadlink/win/TMessageFilter.h"

namespace kestrel::cadlink {

TMessageFilter* NewMessageFilter() {
  return new TMessageFilter();
}

HRESULT STDMETHODCALLTYPE TMessageFilter::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
    *object = static_cast<IMessageFilter*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TMessageFilter::AddRef() {
  return ULONG(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE TMessageFilter::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return ULONG(left);
}

DWORD STDMETHODCALLTYPE TMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
  return SERVERCALL_ISHANDLED;
}

DWORD STDMETHODCALLTYPE TMessageFilter::RetryRejectedCall(HTASK, DWORD, DWORD rejectType) {
  // A busy program is waited for without limit; one that refused outright is not asked again.
  return rejectType == SERVERCALL_RETRYLATER ? kRetryAfterMs : kGiveUp;
}

DWORD STDMETHODCALLTYPE TMessageFilter::MessagePending(HTASK, DWORD, DWORD) {
  // Keep waiting without dispatching: the handler that made the call is still on the stack.
  return PENDINGMSG_WAITNOPROCESS;
}

HRESULT TMessageFilter::Register() {
  if (registered_) return S_OK;
  IMessageFilter* previous = nullptr;
  const HRESULT hr = CoRegisterMessageFilter(this, &previous);
  if (FAILED(hr)) return hr;
  FOldFilter = previous;  // the reference COM handed back is ours now
  registered_ = true;
  return S_OK;
}

HRESULT TMessageFilter::Revoke() {
  if (!registered_) return S_OK;
  IMessageFilter* mine = nullptr;
  const HRESULT hr = CoRegisterMessageFilter(FOldFilter, &mine);
  if (FAILED(hr)) return hr;
  if (mine) mine->Release();
  if (FOldFilter) FOldFilter->Release();  // COM keeps its own reference to it
  FOldFilter = nullptr;
  registered_ = false;
  return S_OK;
}

}  // namespace kestrel::cadlink

#endif
