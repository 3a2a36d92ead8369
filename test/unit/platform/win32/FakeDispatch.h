#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace MorlaventMenu {
namespace WinTest {

// A tiny in-process automation object: its members answer through handlers, and it keeps
// what the last call looked like so that a test can see how the caller called it.
class FakeDispatch : public IDispatch {
 public:
  using Handler = std::function<HRESULT(DISPPARAMS& params, VARIANT* result, EXCEPINFO* info)>;

  FakeDispatch() = default;
  FakeDispatch(const FakeDispatch&) = delete;
  FakeDispatch& operator=(const FakeDispatch&) = delete;

  void AddMember(const std::wstring& name, DISPID id, Handler handler);
  // A member whose reads give `value` (copied for each call).
  void AddProperty(const std::wstring& name, DISPID id, const VARIANT& value);

  // How many calls to turn away before taking them, and with which answer.
  int look_ups_to_reject = 0;
  int invokes_to_reject = 0;
  HRESULT rejection = RPC_E_CALL_REJECTED;

  // What the calls looked like.
  int look_ups = 0;
  int invokes = 0;
  LCID look_up_locale = 0;
  LCID invoke_locale = 0;
  WORD flags = 0;
  bool result_asked = false;
  std::vector<DISPID> named_arguments;
  std::vector<DISPID> invoked_ids;

  ULONG References() const { return references_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                   UINT* argument_error) override;

 private:
  virtual ~FakeDispatch() = default;

  ULONG references_ = 1;
  std::map<std::wstring, DISPID> ids_;
  std::map<DISPID, Handler> handlers_;
};

// A plain IUnknown without IDispatch.
class FakeUnknown : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  ULONG References() const { return references_; }

 private:
  ULONG references_ = 1;
};

}  // namespace WinTest
}  // namespace MorlaventMenu
