#pragma once
#include <windows.h>

#include "HostServer.h"

namespace MorlaventMenu::TestServer {

// Hands out the host's application object, once per CreateInstance, as AutoCAD's class
// object does. It lives as long as the process; COM's references do not keep the server.
class ApplicationFactory final : public IClassFactory {
 public:
  explicit ApplicationFactory(HostServer& server) : server_(server) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  HostServer& server_;
};

// How a busy AutoCAD turns calls away: while the host's rules say busy, every call on an
// automation object is answered SERVERCALL_RETRYLATER. Calls of COM itself (reference
// counts, interface queries, activation) always pass, so a busy host can still be attached
// to and released. Lives as long as the process.
class BusyFilter final : public IMessageFilter {
 public:
  explicit BusyFilter(HostServer& server) : server_(server) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD call_type, HTASK caller, DWORD tick_count,
                                             LPINTERFACEINFO info) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tick_count,
                                            DWORD reject_type) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tick_count,
                                         DWORD pending_type) override;

 private:
  HostServer& server_;
};

}  // namespace MorlaventMenu::TestServer
