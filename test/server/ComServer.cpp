#include "ComServer.h"

#include "HostDispatch.h"

namespace MorlaventMenu::TestServer {

HRESULT ApplicationFactory::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT ApplicationFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  ComPtr<IDispatch> application = MakeHostDispatch(server_, server_.Host().Application());
  const HRESULT answer = application->QueryInterface(iid, out);
  server_.Event(SUCCEEDED(answer) ? "create\tApplication" : "create\tfailed");
  return answer;
}

HRESULT ApplicationFactory::LockServer(BOOL lock) {
  if (lock) {
    server_.Lock();
  } else {
    server_.Unlock();
  }
  return S_OK;
}

HRESULT BusyFilter::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
    *out = static_cast<IMessageFilter*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

DWORD BusyFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) {
  const bool automation = info != nullptr && IsEqualIID(info->iid, IID_IDispatch);
  const bool turned_away = automation && server_.Host().Rules().Busy();
  server_.NoteIncomingCall(turned_away, info != nullptr ? info->wMethod : 0);
  return turned_away ? SERVERCALL_RETRYLATER : SERVERCALL_ISHANDLED;
}

DWORD BusyFilter::RetryRejectedCall(HTASK, DWORD, DWORD) {
  // The server calls no one.
  return static_cast<DWORD>(-1);
}

DWORD BusyFilter::MessagePending(HTASK, DWORD, DWORD) {
  return PENDINGMSG_WAITDEFPROCESS;
}

}  // namespace MorlaventMenu::TestServer
