#include "FakeCadServer.h"

#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

namespace kestrel::test {
namespace {

// {6B1E7A52-2C4D-4E8F-9A31-5D7C0E4B9F10}
const CLSID kFakeClsid = {
    0x6b1e7a52, 0x2c4d, 0x4e8f, {0x9a, 0x31, 0x5d, 0x7c, 0x0e, 0x4b, 0x9f, 0x10}};
constexpr const wchar_t* kFakeClsidText = L"{6B1E7A52-2C4D-4E8F-9A31-5D7C0E4B9F10}";

constexpr DISPID kHwnd = 1, kActiveDocument = 2, kSendCommand = 3;

// IDispatch with names only, no type information: what late binding needs.
class Dispatch : public IDispatch {
 public:
  explicit Dispatch(FakeCadServer& server) : server_(server) {}
  virtual ~Dispatch() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return ULONG(left);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (count != 1) return DISP_E_UNKNOWNNAME;
    ids[0] = Id(names[0]);
    return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }

 protected:
  virtual DISPID Id(const wchar_t* name) = 0;
  FakeCadServer& server_;

 private:
  LONG refs_ = 1;
};

class Document final : public Dispatch {
 public:
  using Dispatch::Dispatch;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != kSendCommand) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    server_.Record(params->rgvarg[0].bstrVal);
    return S_OK;
  }

 protected:
  DISPID Id(const wchar_t* name) override {
    return _wcsicmp(name, L"SendCommand") == 0 ? kSendCommand : DISPID_UNKNOWN;
  }
};

class Application final : public Dispatch {
 public:
  using Dispatch::Dispatch;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO* info, UINT*) override {
    if (!result) return E_INVALIDARG;
    VariantInit(result);
    if (id == kHwnd) {
      result->vt = VT_I8;
      result->llVal = LONGLONG(reinterpret_cast<INT_PTR>(server_.Window()));
      return S_OK;
    }
    if (id == kActiveDocument) {
      if (!server_.hasDocument) {
        // What a CAD program without an open drawing raises.
        if (info) {
          *info = EXCEPINFO{};
          info->bstrSource = SysAllocString(L"FakeCad");
          info->bstrDescription = SysAllocString(L"No document is open");
          info->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
      }
      result->vt = VT_DISPATCH;
      result->pdispVal = new Document(server_);
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }

 protected:
  DISPID Id(const wchar_t* name) override {
    if (_wcsicmp(name, L"HWND") == 0) return kHwnd;
    if (_wcsicmp(name, L"ActiveDocument") == 0) return kActiveDocument;
    return DISPID_UNKNOWN;
  }
};

// The server's filter: answers incoming calls as the test asks.
class ServerFilter final : public IMessageFilter {
 public:
  explicit ServerFilter(FakeCadServer& server) : server_(server) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the server's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) override {
    // Only the automation calls are refused: fetching the object from the table still works,
    // as with a program that is busy with a command of its own.
    if (!info || !IsEqualIID(info->iid, IID_IDispatch)) return SERVERCALL_ISHANDLED;
    return server_.AnswerIncoming();
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return DWORD(-1); }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  FakeCadServer& server_;
};

struct Lock {
  explicit Lock(SRWLOCK& l) : lock(l) { AcquireSRWLockExclusive(&lock); }
  ~Lock() { ReleaseSRWLockExclusive(&lock); }
  SRWLOCK& lock;
};

bool SetKey(HKEY root, const std::wstring& key, const wchar_t* value) {
  HKEY h;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG r = RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
  return r == ERROR_SUCCESS;
}

void Register(HKEY root, const std::wstring& classes) {
  SetKey(root, classes + kFakeProgId, L"Fake CAD application");
  SetKey(root, classes + kFakeProgId + L"\\CLSID", kFakeClsidText);
  SetKey(root, classes + L"CLSID\\" + kFakeClsidText + L"\\ProgID", kFakeProgId);
}

void Unregister(HKEY root, const std::wstring& classes) {
  RegDeleteTreeW(root, (classes + kFakeProgId).c_str());
  RegDeleteTreeW(root, (classes + L"CLSID\\" + kFakeClsidText).c_str());
}

}  // namespace

FakeCadServer::FakeCadServer() {
  // The user's own classes, as an installer without rights would register them; wine's
  // ProgID lookup reads only the machine's, so there too.
  Register(HKEY_CURRENT_USER, L"Software\\Classes\\");
  CLSID found;
  if (FAILED(CLSIDFromProgID(kFakeProgId, &found))) {
    Register(HKEY_CLASSES_ROOT, L"");
    machineWide_ = true;
  }
}

FakeCadServer::~FakeCadServer() {
  Stop();
  Unregister(HKEY_CURRENT_USER, L"Software\\Classes\\");
  if (machineWide_) Unregister(HKEY_CLASSES_ROOT, L"");
}

bool FakeCadServer::Start() {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, &FakeCadServer::Serve, this, 0, &threadId_);
  if (!thread_) return false;
  WaitForSingleObject(ready_, 10000);
  return started_;
}

void FakeCadServer::Stop() {
  if (!thread_) return;
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, 10000);
  CloseHandle(thread_);
  CloseHandle(ready_);
  thread_ = nullptr;
}

std::vector<std::wstring> FakeCadServer::Received() {
  Lock lock(lock_);
  return received_;
}

void FakeCadServer::ClearReceived() {
  Lock lock(lock_);
  received_.clear();
}

void FakeCadServer::Minimise() {
  ShowWindow(window_, SW_MINIMIZE);
}

void FakeCadServer::Record(const wchar_t* text) {
  Lock lock(lock_);
  received_.emplace_back(text ? text : L"");
}

DWORD FakeCadServer::AnswerIncoming() {
  if (rejectCalls) {
    ++rejectedSoFar;
    return SERVERCALL_REJECTED;
  }
  if (retryLaterCalls > 0) {
    --retryLaterCalls;
    ++rejectedSoFar;
    return SERVERCALL_RETRYLATER;
  }
  return SERVERCALL_ISHANDLED;
}

DWORD WINAPI FakeCadServer::Serve(void* self) {
  static_cast<FakeCadServer*>(self)->Run();
  return 0;
}

void FakeCadServer::Run() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ServerFilter filter(*this);
  IMessageFilter* previous = nullptr;
  CoRegisterMessageFilter(&filter, &previous);

  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"KestrelFakeCad";
  RegisterClassW(&wc);
  window_ = CreateWindowExW(0, wc.lpszClassName, L"Fake CAD", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                            nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(window_, SW_SHOWNORMAL);

  auto* application = new Application(*this);
  DWORD cookie = 0;
  const HRESULT hr = RegisterActiveObject(application, kFakeClsid, ACTIVEOBJECT_STRONG, &cookie);
  started_ = SUCCEEDED(hr) && window_;
  SetEvent(ready_);
  if (SUCCEEDED(hr)) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    RevokeActiveObject(cookie, nullptr);
  }
  application->Release();
  if (window_) DestroyWindow(window_);
  CoRegisterMessageFilter(previous, nullptr);
  CoUninitialize();
}

}  // namespace kestrel::test
