#ifdef _WIN32
#include "cadlink/win/ComCadSession.h"

#include <oleauto.h>

#include "cadlink/win/ComText.h"

namespace kestrel::cadlink {
namespace {

[[noreturn]] void Fail(HRESULT hr) {
  throw CadError(ComErrorText(hr));
}

CLSID ClassOf(const std::string& progId) {
  CLSID clsid;
  const std::wstring name = Utf8ToWide(progId);
  const HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
  if (FAILED(hr)) Fail(hr);
  return clsid;
}

// What the server said went wrong inside the member, else the system's text for the result.
[[noreturn]] void FailWithException(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  std::string text;
  if (info.bstrDescription) text = WideToUtf8(info.bstrDescription);
  const HRESULT code = info.scode ? info.scode : DISP_E_EXCEPTION;
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  throw CadError(text.empty() ? ComErrorText(code) : text);
}

// Calls the member `name` of `object` late-bound; `args` in reverse order, as IDispatch takes
// them. A read of a property without arguments is asked as method or property, as automation
// controllers do.
VARIANT Invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) Fail(hr);
  DISPPARAMS params{args, nullptr, count, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO info{};
  UINT badArgument = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &info,
                      &badArgument);
  if (hr == DISP_E_EXCEPTION) FailWithException(info);
  if (FAILED(hr)) Fail(hr);
  return result;
}

VARIANT Read(IDispatch* object, const wchar_t* name) {
  return Invoke(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0);
}

HWND AsWindow(WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(window));
}

}  // namespace

bool ComCadSession::IsTargetRunning(const std::string& progId) {
  const CLSID clsid = ClassOf(progId);
  IUnknown* running = nullptr;
  // Any failure counts as "not running": systems differ in which error they give for it.
  if (FAILED(GetActiveObject(clsid, nullptr, &running)) || !running) return false;
  running->Release();
  return true;
}

void ComCadSession::Fetch(const std::string& progId) {
  Release();
  const CLSID clsid = ClassOf(progId);
  IUnknown* running = nullptr;
  HRESULT hr = GetActiveObject(clsid, nullptr, &running);
  if (FAILED(hr)) Fail(hr);
  hr = running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&application_));
  running->Release();
  if (FAILED(hr)) {
    application_ = nullptr;
    Fail(hr);
  }
}

WindowHandle ComCadSession::MainWindow() {
  if (!application_) Fail(E_POINTER);
  VARIANT value = Read(application_, L"HWND");
  VARIANT wide;
  VariantInit(&wide);
  const HRESULT hr = VariantChangeType(&wide, &value, 0, VT_I8);
  VariantClear(&value);
  if (FAILED(hr)) Fail(hr);
  return wide.llVal;
}

bool ComCadSession::IsMinimised(WindowHandle window) {
  return IsIconic(AsWindow(window)) != FALSE;
}

void ComCadSession::Restore(WindowHandle window) {
  ShowWindow(AsWindow(window), SW_RESTORE);
}

void ComCadSession::SetForeground(WindowHandle window) {
  SetForegroundWindow(AsWindow(window));
}

WindowHandle ComCadSession::Foreground() {
  return static_cast<WindowHandle>(reinterpret_cast<INT_PTR>(GetForegroundWindow()));
}

void ComCadSession::PressEscape() {
  INPUT keys[2] = {};
  keys[0].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_ESCAPE;
  keys[1] = keys[0];
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
}

void ComCadSession::Pause(int milliseconds) {
  Sleep(DWORD(milliseconds));
}

void ComCadSession::FetchActiveDocument() {
  if (!application_) Fail(E_POINTER);
  VARIANT value = Read(application_, L"ActiveDocument");
  if (value.vt != VT_DISPATCH || !value.pdispVal) {
    VariantClear(&value);
    Fail(DISP_E_TYPEMISMATCH);
  }
  if (document_) document_->Release();
  document_ = value.pdispVal;  // the reference the call handed over
}

void ComCadSession::SendCommand(const std::string& text) {
  if (!document_) Fail(E_POINTER);
  VARIANT argument;
  VariantInit(&argument);
  const std::wstring wide = Utf8ToWide(text);
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocStringLen(wide.data(), UINT(wide.size()));
  if (!argument.bstrVal) Fail(E_OUTOFMEMORY);
  try {
    VARIANT result = Invoke(document_, L"SendCommand", DISPATCH_METHOD, &argument, 1);
    VariantClear(&result);
  } catch (...) {
    VariantClear(&argument);
    throw;
  }
  VariantClear(&argument);
}

void ComCadSession::Release() noexcept {
  if (document_) document_->Release();
  if (application_) application_->Release();
  document_ = nullptr;
  application_ = nullptr;
}

}  // namespace kestrel::cadlink

#endif
