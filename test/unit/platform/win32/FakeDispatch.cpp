#include "FakeDispatch.h"

#include <memory>
#include <utility>

#include "platform/win32/Owner.h"

namespace MorlaventMenu {
namespace WinTest {

void FakeDispatch::AddMember(const std::wstring& name, DISPID id, Handler handler) {
  ids_[name] = id;
  handlers_[id] = std::move(handler);
}

void FakeDispatch::AddProperty(const std::wstring& name, DISPID id, const VARIANT& value) {
  auto kept = std::make_shared<Variant>();
  VariantCopy(&kept->Get(), const_cast<VARIANT*>(&value));
  AddMember(name, id, [kept](DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
    return result == nullptr ? S_OK : VariantCopy(result, &kept->Get());
  });
}

HRESULT FakeDispatch::QueryInterface(REFIID iid, void** object) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeDispatch::AddRef() {
  return ++references_;
}

ULONG FakeDispatch::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT FakeDispatch::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

HRESULT FakeDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  *info = nullptr;
  return E_NOTIMPL;
}

HRESULT FakeDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) {
  ++look_ups;
  look_up_locale = locale;
  if (look_ups_to_reject > 0) {
    --look_ups_to_reject;
    return rejection;
  }
  if (count != 1) return E_INVALIDARG;
  const auto found = ids_.find(names[0]);
  if (found == ids_.end()) {
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  ids[0] = found->second;
  return S_OK;
}

HRESULT FakeDispatch::Invoke(DISPID id, REFIID, LCID locale, WORD call_flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* info, UINT*) {
  ++invokes;
  if (invokes_to_reject > 0) {
    --invokes_to_reject;
    return rejection;
  }
  invoke_locale = locale;
  flags = call_flags;
  result_asked = result != nullptr;
  named_arguments.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
  invoked_ids.push_back(id);
  const auto found = handlers_.find(id);
  if (found == handlers_.end()) return DISP_E_MEMBERNOTFOUND;
  return found->second(*params, result, info);
}

HRESULT FakeUnknown::QueryInterface(REFIID iid, void** object) {
  if (IsEqualIID(iid, IID_IUnknown)) {
    *object = this;
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG FakeUnknown::AddRef() {
  return ++references_;
}

ULONG FakeUnknown::Release() {
  return --references_;
}

}  // namespace WinTest
}  // namespace MorlaventMenu
