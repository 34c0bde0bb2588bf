#include "cadlink/MessageFilter.h"

#ifdef _WIN32
#include "cadlink/win/TMessageFilter.h"
#endif

namespace kestrel::cadlink {

#ifdef _WIN32

void MessageFilterRegistration::Register() {
  if (filter_) return;
  // The filter belongs to a single-threaded apartment; the toolkit has usually made the
  // thread one already (S_FALSE), and each successful call is balanced at Revoke.
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  comInitialised_ = SUCCEEDED(init);
  TMessageFilter* filter = NewMessageFilter();
  if (FAILED(filter->Register())) {
    filter->Release();
    if (comInitialised_) CoUninitialize();
    comInitialised_ = false;
    return;
  }
  filter_ = filter;
}

void MessageFilterRegistration::Revoke() {
  if (!filter_) return;
  auto* filter = static_cast<TMessageFilter*>(filter_);
  filter->Revoke();
  filter->Release();
  filter_ = nullptr;
  if (comInitialised_) CoUninitialize();
  comInitialised_ = false;
}

#else

void MessageFilterRegistration::Register() {}
void MessageFilterRegistration::Revoke() {}

#endif

}  // namespace kestrel::cadlink
