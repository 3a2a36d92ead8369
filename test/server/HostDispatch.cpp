#include "HostDispatch.h"

#include <utility>

#include "MemberIds.h"
#include "platform/win32/VariantConversion.h"
#include "sim/SimObject.h"

namespace MorlaventMenu::TestServer {

namespace {

// An object that a client passes in and that is none of this host's: the host has no use
// for it beyond journaling it, so every call on it fails.
class ForeignObject : public AutomationObject {
 public:
  bool Invoke(const std::wstring&, CallKind, AutomationArgs&, AutomationValue& result,
              AutomationError& error) override {
    result = AutomationValue();
    error.Clear();
    error.Number = kMemberNotFound;
    return false;
  }
};

class ServerBridge : public ObjectBridge {
 public:
  explicit ServerBridge(HostServer& server) : server_(server) {}
  ComPtr<IDispatch> ToDispatch(const ObjectRef& object) override {
    return MakeHostDispatch(server_, object);
  }
  ObjectRef FromDispatch(ComPtr<IDispatch>) override { return std::make_shared<ForeignObject>(); }

 private:
  HostServer& server_;
};

bool IsDispatcherFailure(int32_t number) {
  switch (static_cast<HRESULT>(number)) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_PARAMNOTFOUND:
    case DISP_E_PARAMNOTOPTIONAL:
    case DISP_E_NONAMEDARGS:
    case DISP_E_TYPEMISMATCH:
    case DISP_E_OVERFLOW:
    case DISP_E_BADVARTYPE:
      return true;
    default:
      return false;
  }
}

HRESULT ReportFailure(const AutomationError& error, EXCEPINFO* exception) {
  if (error.Number == kCallRejected || error.Number == kDisconnected) return error.Number;
  if (error.Description.empty() && error.Source.empty() && IsDispatcherFailure(error.Number)) {
    return error.Number;
  }
  if (exception != nullptr) {
    Bstr description(
        SysAllocStringLen(error.Description.data(), static_cast<UINT>(error.Description.size())));
    Bstr source(SysAllocStringLen(error.Source.data(), static_cast<UINT>(error.Source.size())));
    *exception = EXCEPINFO();
    exception->scode = error.Number;
    exception->bstrDescription = description.Detach();
    exception->bstrSource = source.Detach();
  }
  return DISP_E_EXCEPTION;
}

// Which of the host's kinds of call the flags ask for. A result pointer alone does not
// tell a use of the result: the COM channel hands the object one for every call.
bool KindOf(WORD flags, const DISPPARAMS& params, VARIANT* result, CallKind& kind,
            HRESULT& refusal) {
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
    if (params.cNamedArgs != 1 || params.rgdispidNamedArgs == nullptr ||
        params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      refusal = DISP_E_PARAMNOTOPTIONAL;
      return false;
    }
    kind = CallKind::Put;
    return true;
  }
  if (params.cNamedArgs != 0) {
    refusal = DISP_E_NONAMEDARGS;
    return false;
  }
  kind = (flags & DISPATCH_PROPERTYGET) != 0 && result != nullptr ? CallKind::Get : CallKind::Call;
  return true;
}

class HostDispatch final : public IDispatch {
 public:
  HostDispatch(HostServer& server, ObjectRef object) : server_(server), object_(std::move(object)) {
    if (auto* simulated = dynamic_cast<const Sim::SimObject*>(object_.get())) {
      type_ = simulated->TypeName();
    }
    server_.ObjectCreated();
  }
  HostDispatch(const HostDispatch&) = delete;
  HostDispatch& operator=(const HostDispatch&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long left = --references_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (server_.TakeTurnedAway()) return RPC_E_CALL_REJECTED;
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (server_.TakeTurnedAway()) return RPC_E_CALL_REJECTED;
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (server_.TakeTurnedAway()) return RPC_E_CALL_REJECTED;
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (names == nullptr || ids == nullptr) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    const bool found = FindMemberId(type_, names[0], ids[0]);
    server_.LogLookUp(type_, names[0], found);
    // No member takes named arguments, so any further name is unknown too.
    return found && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override {
    const bool turned_away = server_.TakeTurnedAway();
    const wchar_t* name = FindMemberName(type_, id);
    const std::wstring member = name != nullptr ? name : L"#" + std::to_wstring(id);
    DISPPARAMS none{};
    const DISPPARAMS& given = params != nullptr ? *params : none;

    CallKind kind = CallKind::Call;
    HRESULT refusal = S_OK;
    const bool shaped = KindOf(flags, given, result, kind, refusal);
    ServerBridge bridge(server_);
    AutomationArgs args(given.cArgs);
    // The caller lists the arguments from the last to the first.
    HRESULT converted = S_OK;
    UINT bad_argument = 0;
    for (UINT i = 0; i < given.cArgs && SUCCEEDED(converted); ++i) {
      bad_argument = given.cArgs - 1 - i;
      converted = FromVariant(given.rgvarg[bad_argument], VariantRole::Argument, bridge, args[i]);
    }
    server_.LogInvoke(type_, member, flags, result != nullptr, args);

    if (turned_away) {
      server_.JournalRejected(type_, member, kind, args);
      return RPC_E_CALL_REJECTED;
    }
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (name == nullptr) return DISP_E_MEMBERNOTFOUND;
    if (!shaped) return refusal;
    if (FAILED(converted)) {
      if (argument_error != nullptr) *argument_error = bad_argument;
      return converted;
    }

    server_.BeforeCall();
    AutomationValue answer;
    AutomationError error;
    const bool ok = object_->Invoke(member, kind, args, answer, error);
    server_.AfterCall(member, kind);
    if (!ok) return ReportFailure(error, exception);
    if (result != nullptr) {
      VariantInit(result);
      return ToVariant(answer, bridge, *result);
    }
    return S_OK;
  }

 private:
  ~HostDispatch() { server_.ObjectReleased(); }

  long references_ = 1;
  HostServer& server_;
  ObjectRef object_;
  std::wstring type_ = L"object";
};

}  // namespace

ComPtr<IDispatch> MakeHostDispatch(HostServer& server, ObjectRef object) {
  // The new object starts with the one reference that the owner returned takes over.
  return ComPtr<IDispatch>(new HostDispatch(server, std::move(object)));
}

}  // namespace MorlaventMenu::TestServer
