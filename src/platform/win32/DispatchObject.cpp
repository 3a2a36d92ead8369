#include "platform/win32/DispatchObject.h"

#include <utility>

#include "platform/DispatchIdCache.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/VariantConversion.h"

namespace MorlaventMenu {

namespace {

// Objects cross as the IDispatch they wrap; an IDispatch that comes back is wrapped as an
// object of the kind that the member called gives.
class SessionBridge : public ObjectBridge {
 public:
  SessionBridge(const std::shared_ptr<DispatchSession>& session, const std::wstring& kind,
                const std::wstring& member)
      : session_(session), kind_(kind), member_(member) {}

  ComPtr<IDispatch> ToDispatch(const ObjectRef& object) override {
    return session_->DispatchOf(object.get());
  }
  ObjectRef FromDispatch(ComPtr<IDispatch> dispatch) override {
    return MakeDispatchObject(std::move(dispatch), ResultKind(kind_, member_), session_);
  }

 private:
  const std::shared_ptr<DispatchSession>& session_;
  const std::wstring& kind_;
  const std::wstring& member_;
};

WORD InvokeFlags(CallKind kind) {
  switch (kind) {
    case CallKind::Get:
      return DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    case CallKind::Call:
      return DISPATCH_METHOD;
    case CallKind::Put:
      return DISPATCH_PROPERTYPUT;
  }
  return DISPATCH_METHOD;
}

bool Fail(AutomationError failure, AutomationError& error) {
  error = std::move(failure);
  return false;
}

}  // namespace

DispatchObject::DispatchObject(ComPtr<IDispatch> dispatch, std::wstring kind,
                               std::shared_ptr<DispatchSession> session)
    : dispatch_(std::move(dispatch)), kind_(std::move(kind)), session_(std::move(session)) {
  session_->Enter(this, dispatch_.Get());
}

DispatchObject::~DispatchObject() {
  session_->Leave(this);
}

bool DispatchObject::Invoke(const std::wstring& member, CallKind kind, AutomationArgs& args,
                            AutomationValue& result, AutomationError& error) {
  result = AutomationValue();
  SessionBridge bridge(session_, kind_, member);
  const std::wstring& source = session_->FailureSource();

  // The callee reads its arguments from the last to the first.
  VariantList arguments;
  arguments.Get().resize(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    const HRESULT converted = ToVariant(args[i], bridge, arguments.Get()[args.size() - 1 - i]);
    if (FAILED(converted)) return Fail(FailureOf(converted, source), error);
  }
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = arguments.Get().data();
  params.cArgs = static_cast<UINT>(args.size());
  if (kind == CallKind::Put) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }

  std::wstring name = member;
  LPOLESTR names[] = {&name[0]};
  Variant answer;
  ExceptionInfo exception;
  const WORD flags = InvokeFlags(kind);
  const int32_t sent = session_->Ids().CallMember(
      kind_, member,
      [&](int32_t& id) {
        return session_->SendUntilAccepted([&] {
          DISPID found = DISPID_UNKNOWN;
          const HRESULT answered =
              dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found);
          id = found;
          return answered;
        });
      },
      [&](int32_t id) {
        return session_->SendUntilAccepted([&] {
          UINT argument_error = 0;
          // A method's result is asked for even when it is dropped, as callers of
          // automation objects have always done; a property write has none.
          return dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                   kind == CallKind::Put ? nullptr : answer.Put(), exception.Put(),
                                   &argument_error);
        });
      });
  if (sent == DISP_E_EXCEPTION) return Fail(FailureOfException(exception), error);
  if (FAILED(sent)) return Fail(FailureOf(sent, source), error);
  if (kind != CallKind::Get) return true;

  AutomationValue value;
  const HRESULT read = FromVariant(answer.Get(), VariantRole::Result, bridge, value);
  if (FAILED(read)) return Fail(FailureOf(read, source), error);
  result = std::move(value);
  return true;
}

ObjectRef MakeDispatchObject(ComPtr<IDispatch> dispatch, std::wstring kind,
                             std::shared_ptr<DispatchSession> session) {
  return std::make_shared<DispatchObject>(std::move(dispatch), std::move(kind), std::move(session));
}

}  // namespace MorlaventMenu
