#include <memory>
#include <string>
#include <vector>

#include "Check.h"
#include "FakeDispatch.h"
#include "platform/win32/ComFailure.h"
#include "platform/win32/DispatchObject.h"
#include "platform/win32/VariantConversion.h"

namespace MorlaventMenu {
namespace WinTest {
namespace {

const wchar_t* const kSource = L"Morlavent CAD";

// Retries are paced by a clock that the test moves: a minute passes at once.
uint64_t fake_now = 0;
uint64_t FakeNow() {
  return fake_now;
}
void FakeSleep(uint32_t milliseconds) {
  fake_now += milliseconds;
}

std::wstring TextOf(const VARIANT& value) {
  return V_VT(&value) == VT_BSTR ? std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value)))
                                 : L"(not text)";
}

Variant TextVariant(const wchar_t* text) {
  Variant value;
  V_VT(&value.Get()) = VT_BSTR;
  V_BSTR(&value.Get()) = SysAllocString(text);
  return value;
}

Variant ObjectVariant(FakeDispatch* object) {
  Variant value;
  V_VT(&value.Get()) = VT_DISPATCH;
  V_DISPATCH(&value.Get()) = Retain<IDispatch>(object).Detach();
  return value;
}

// One session and one host object, given up when the test ends.
struct Fixture {
  Fixture()
      : session(std::make_shared<DispatchSession>(kSource, RetryClock{FakeNow, FakeSleep})),
        host(new FakeDispatch) {}
  ~Fixture() { host->Release(); }

  ObjectRef Wrap(FakeDispatch* object, const wchar_t* kind = L"Application") {
    return MakeDispatchObject(Retain<IDispatch>(object), kind, session);
  }

  std::shared_ptr<DispatchSession> session;
  FakeDispatch* host;
};

const DispatchObject& AsDispatch(const ObjectRef& object) {
  return static_cast<const DispatchObject&>(*object);
}

WIN_TEST(ACallSendsItsArgumentsLastFirst) {
  Fixture f;
  std::vector<std::wstring> seen;
  f.host->AddMember(L"InsertMenuInMenuBar", 12, [&](DISPPARAMS& params, VARIANT*, EXCEPINFO*) {
    for (UINT i = 0; i < params.cArgs; ++i) {
      seen.push_back(VariantKindName(V_VT(&params.rgvarg[i])) + L":" +
                     (V_VT(&params.rgvarg[i]) == VT_BSTR ? TextOf(params.rgvarg[i]) : L""));
    }
    return S_OK;
  });
  ObjectRef menus = f.Wrap(f.host, L"Menus");
  AutomationArgs args{AutomationValue::Text(L"Morlavent"), AutomationValue::Text(L""),
                      AutomationValue::Int16(3), AutomationValue::Omitted()};
  AutomationValue result;
  AutomationError error;
  CHECK(menus->Invoke(L"InsertMenuInMenuBar", CallKind::Call, args, result, error));
  CHECK_EQ(error.Number, 0);
  CHECK(seen == (std::vector<std::wstring>{L"ERROR:", L"I2:", L"BSTR:", L"BSTR:Morlavent"}));
  CHECK_EQ(f.host->flags, DISPATCH_METHOD);
  CHECK(f.host->result_asked);
  CHECK(f.host->named_arguments.empty());
  CHECK_EQ(f.host->look_up_locale, LOCALE_USER_DEFAULT);
  CHECK_EQ(f.host->invoke_locale, LOCALE_USER_DEFAULT);
}

WIN_TEST(AGetReadsTheResult) {
  Fixture f;
  std::wstring asked;
  f.host->AddMember(L"GetVariable", 7, [&](DISPPARAMS& params, VARIANT* result, EXCEPINFO*) {
    asked = TextOf(params.rgvarg[0]);
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = SysAllocString(L"21.0s (LMS Tech)");
    return S_OK;
  });
  ObjectRef document = f.Wrap(f.host, L"ActiveDocument");
  AutomationArgs args{AutomationValue::Text(L"ACADVER")};
  AutomationValue result;
  AutomationError error;
  CHECK(document->Invoke(L"GetVariable", CallKind::Get, args, result, error));
  CHECK_EQ(asked, L"ACADVER");
  CHECK_EQ(result.Kind(), ValueKind::Text);
  CHECK_EQ(result.RawText(), L"21.0s (LMS Tech)");
  CHECK_EQ(f.host->flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  CHECK(f.host->named_arguments.empty());
}

WIN_TEST(APutNamesItsValueAsTheNewValue) {
  Fixture f;
  VARTYPE type = VT_EMPTY;
  VARIANT_BOOL visible = VARIANT_FALSE;
  UINT count = 0;
  f.host->AddMember(L"Visible", 3, [&](DISPPARAMS& params, VARIANT*, EXCEPINFO*) {
    count = params.cArgs;
    type = V_VT(&params.rgvarg[0]);
    visible = V_BOOL(&params.rgvarg[0]);
    return S_OK;
  });
  ObjectRef app = f.Wrap(f.host);
  AutomationArgs args{AutomationValue::Bool(true)};
  AutomationValue result;
  AutomationError error;
  CHECK(app->Invoke(L"Visible", CallKind::Put, args, result, error));
  CHECK_EQ(f.host->flags, DISPATCH_PROPERTYPUT);
  CHECK(f.host->named_arguments == std::vector<DISPID>{DISPID_PROPERTYPUT});
  CHECK(!f.host->result_asked);
  CHECK_EQ(count, 1u);
  CHECK_EQ(type, VT_BOOL);
  CHECK_EQ(visible, VARIANT_TRUE);
}

WIN_TEST(TheHostWritesIntoTheCallersCounter) {
  Fixture f;
  f.host->AddMember(L"Item", 0, [](DISPPARAMS& params, VARIANT* result, EXCEPINFO*) {
    if (V_VT(&params.rgvarg[0]) != (VT_I2 | VT_BYREF)) return DISP_E_TYPEMISMATCH;
    *V_I2REF(&params.rgvarg[0]) += 40;
    V_VT(result) = VT_I2;
    V_I2(result) = 1;
    return S_OK;
  });
  ObjectRef groups = f.Wrap(f.host, L"MenuGroups");
  int16_t index = 2;
  AutomationArgs args{AutomationValue::Int16Ref(&index)};
  AutomationValue result;
  AutomationError error;
  CHECK(groups->Invoke(L"Item", CallKind::Get, args, result, error));
  CHECK_EQ(index, 42);
}

WIN_TEST(AnObjectArgumentCrossesAsItsIDispatch) {
  Fixture f;
  FakeDispatch* other = new FakeDispatch;
  IDispatch* received = nullptr;
  f.host->AddMember(L"Take", 5, [&](DISPPARAMS& params, VARIANT*, EXCEPINFO*) {
    if (V_VT(&params.rgvarg[0]) == VT_DISPATCH) received = V_DISPATCH(&params.rgvarg[0]);
    return S_OK;
  });
  {
    ObjectRef app = f.Wrap(f.host);
    ObjectRef argument = f.Wrap(other, L"Toolbars.Item");
    AutomationArgs args{AutomationValue::Object(argument)};
    AutomationValue result;
    AutomationError error;
    CHECK(app->Invoke(L"Take", CallKind::Call, args, result, error));
    CHECK(received == static_cast<IDispatch*>(other));
  }
  CHECK_EQ(other->References(), 1u);
  other->Release();
}

struct FailureCase {
  const char* what;
  HRESULT answer;
  int32_t number;
};

WIN_TEST(AFailedCallReportsItsNumberTheSystemsTextAndTheProgram) {
  const FailureCase cases[] = {
      {"type mismatch", DISP_E_TYPEMISMATCH, kTypeMismatch},
      {"server gone", static_cast<HRESULT>(RPC_S_SERVER_UNAVAILABLE | 0x80070000),
       kServerUnavailable},
      {"disconnected", RPC_E_DISCONNECTED, kDisconnected},
      {"no type library", TYPE_E_CANTLOADLIBRARY, kTypeLibraryFailure},
      {"type library not registered", TYPE_E_LIBNOTREGISTERED, kTypeLibraryFailure},
      {"module missing", HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), kTypeLibraryFailure},
      {"DLL missing", HRESULT_FROM_WIN32(ERROR_DLL_NOT_FOUND), kTypeLibraryFailure},
  };
  for (const FailureCase& c : cases) {
    Fixture f;
    const HRESULT answer = c.answer;
    f.host->AddMember(L"ActiveDocument", 4,
                      [answer](DISPPARAMS&, VARIANT*, EXCEPINFO*) { return answer; });
    ObjectRef app = f.Wrap(f.host);
    AutomationArgs args;
    AutomationValue result = AutomationValue::Int16(1);
    AutomationError error;
    if (app->Invoke(L"ActiveDocument", CallKind::Get, args, result, error)) {
      Fail(__FILE__, __LINE__, std::string("succeeded: ") + c.what);
    }
    CHECK_EQ(error.Number, c.number);
    // The 48 keeps the system's text of what really failed.
    CHECK_EQ(error.Description, SystemText(c.answer));
    CHECK_EQ(error.Source, kSource);
    CHECK(result.IsEmpty());
  }
}

WIN_TEST(AnUnknownMemberIsNeverInvoked) {
  Fixture f;
  ObjectRef app = f.Wrap(f.host);
  AutomationArgs args;
  AutomationValue result;
  AutomationError error;
  CHECK(!app->Invoke(L"Nothing", CallKind::Get, args, result, error));
  CHECK_EQ(error.Number, kUnknownName);
  CHECK_EQ(error.Source, kSource);
  CHECK_EQ(f.host->invokes, 0);
}

struct ExceptionCase {
  const char* what;
  SCODE scode;
  WORD code;
  bool deferred;
  int32_t number;
};

SCODE deferred_scode = 0;
HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* info) {
  info->scode = deferred_scode;
  info->bstrDescription = SysAllocString(L"filled in later");
  return S_OK;
}

WIN_TEST(AnExceptionReportsWhatTheHostSaid) {
  const ExceptionCase cases[] = {
      {"scode", static_cast<SCODE>(0x80041234), 0, false, static_cast<int32_t>(0x80041234)},
      {"scode before code", static_cast<SCODE>(0x80041234), 1004, false,
       static_cast<int32_t>(0x80041234)},
      {"code alone", 0, 1004, false, 1004},
      {"type library", TYPE_E_CANTLOADLIBRARY, 0, false, kTypeLibraryFailure},
      {"no number at all", 0, 0, false, kException},
      {"filled in later", 0, 0, true, static_cast<int32_t>(0x80045678)},
  };
  for (const ExceptionCase& c : cases) {
    Fixture f;
    deferred_scode = static_cast<SCODE>(0x80045678);
    f.host->AddMember(L"Load", 9, [c](DISPPARAMS&, VARIANT*, EXCEPINFO* info) {
      info->wCode = c.code;
      info->scode = c.scode;
      if (c.deferred) {
        info->pfnDeferredFillIn = FillIn;
      } else {
        info->bstrDescription = SysAllocString(L"File not found");
      }
      info->bstrSource = SysAllocString(L"AutoCAD");
      return DISP_E_EXCEPTION;
    });
    ObjectRef groups = f.Wrap(f.host, L"MenuGroups");
    AutomationArgs args{AutomationValue::Text(L"C:\\x.mns")};
    AutomationValue result;
    AutomationError error;
    CHECK(!groups->Invoke(L"Load", CallKind::Call, args, result, error));
    if (error.Number != c.number) Fail(__FILE__, __LINE__, std::string("number: ") + c.what);
    CHECK_EQ(error.Description, c.deferred ? L"filled in later" : L"File not found");
    CHECK_EQ(error.Source, L"AutoCAD");
  }
}

WIN_TEST(ABusyHostIsAskedAgainUntilItTakesTheCall) {
  const HRESULT rejections[] = {RPC_E_CALL_REJECTED, RPC_E_SERVERCALL_RETRYLATER};
  for (HRESULT rejection : rejections) {
    Fixture f;
    f.host->AddMember(L"Count", 2, [](DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
      V_VT(result) = VT_I4;
      V_I4(result) = 3;
      return S_OK;
    });
    f.host->rejection = rejection;
    f.host->look_ups_to_reject = 2;
    f.host->invokes_to_reject = 3;
    ObjectRef groups = f.Wrap(f.host, L"MenuGroups");
    AutomationArgs args;
    AutomationValue result;
    AutomationError error;
    const uint64_t start = fake_now;
    CHECK(groups->Invoke(L"Count", CallKind::Get, args, result, error));
    CHECK_EQ(result.RawInteger(), 3);
    CHECK_EQ(f.host->look_ups, 3);
    CHECK_EQ(f.host->invokes, 4);
    CHECK(fake_now - start >= 5 * kRetryIntervalMs);
  }
}

WIN_TEST(AHostBusyForAMinuteFailsWithTheRejection) {
  Fixture f;
  f.host->AddMember(L"Count", 2, [](DISPPARAMS&, VARIANT*, EXCEPINFO*) { return S_OK; });
  f.host->invokes_to_reject = 1000000;
  ObjectRef groups = f.Wrap(f.host, L"MenuGroups");
  AutomationArgs args;
  AutomationValue result;
  AutomationError error;
  const uint64_t start = fake_now;
  CHECK(!groups->Invoke(L"Count", CallKind::Get, args, result, error));
  CHECK_EQ(error.Number, kCallRejected);
  CHECK_EQ(error.Description, SystemText(kCallRejected));
  CHECK(fake_now - start >= kRetryPatienceMs);
  CHECK(f.host->invokes <= 601);
}

// AutoCAD's shape in small: an application whose MenuGroups collection has two groups.
struct MenuHost {
  MenuHost() : app(new FakeDispatch), groups(new FakeDispatch) {
    for (FakeDispatch*& group : group_items) group = new FakeDispatch;
    app->AddMember(L"MenuGroups", 20, [this](DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
      *result = ObjectVariant(groups).Detach();
      return S_OK;
    });
    groups->AddMember(L"Application", 21, [this](DISPPARAMS&, VARIANT* result, EXCEPINFO*) {
      *result = ObjectVariant(app).Detach();
      return S_OK;
    });
    groups->AddMember(L"Item", 0, [this](DISPPARAMS& params, VARIANT* result, EXCEPINFO*) {
      const int16_t index = *V_I2REF(&params.rgvarg[0]);
      if (index < 0 || index > 1) return DISP_E_BADINDEX;
      *result = ObjectVariant(group_items[index]).Detach();
      return S_OK;
    });
    group_items[0]->AddProperty(L"Name", 1, TextVariant(L"ACAD").Get());
    // The second group numbers its members otherwise.
    group_items[1]->AddProperty(L"Name", 31, TextVariant(L"MORLAVENT").Get());
  }
  ~MenuHost() {
    app->Release();
    groups->Release();
    for (FakeDispatch* group : group_items) group->Release();
  }
  bool AllReleased() const {
    return app->References() == 1 && groups->References() == 1 &&
           group_items[0]->References() == 1 && group_items[1]->References() == 1;
  }

  FakeDispatch* app;
  FakeDispatch* groups;
  FakeDispatch* group_items[2];
};

ObjectRef GetObjectOf(const ObjectRef& object, const wchar_t* member, AutomationArgs args) {
  AutomationValue result;
  AutomationError error;
  ObjectRef got;
  if (!object->Invoke(member, CallKind::Get, args, result, error) || !result.ToObject(got)) {
    Fail(__FILE__, __LINE__, "no object from a member");
  }
  return got;
}

std::wstring NameOf(const ObjectRef& object) {
  AutomationArgs args;
  AutomationValue result;
  AutomationError error;
  if (!object->Invoke(L"Name", CallKind::Get, args, result, error)) return L"(failed)";
  return result.RawText();
}

WIN_TEST(ObjectsAreOfTheKindTheirRouteGives) {
  MenuHost host;
  auto session = std::make_shared<DispatchSession>(kSource, RetryClock{FakeNow, FakeSleep});
  {
    ObjectRef app = MakeDispatchObject(Retain<IDispatch>(host.app), L"Application", session);
    ObjectRef groups = GetObjectOf(app, L"MenuGroups", {});
    int16_t index = 1;
    ObjectRef group = GetObjectOf(groups, L"Item", {AutomationValue::Int16Ref(&index)});
    ObjectRef back = GetObjectOf(groups, L"Application", {});
    CHECK_EQ(AsDispatch(groups).Kind(), L"MenuGroups");
    CHECK_EQ(AsDispatch(group).Kind(), L"MenuGroups.Item");
    CHECK_EQ(AsDispatch(back).Kind(), L"Application");
    CHECK(AsDispatch(group).Dispatch() == static_cast<IDispatch*>(host.group_items[1]));
  }
  CHECK(host.AllReleased());
}

WIN_TEST(EachMemberOfAKindIsLookedUpOnce) {
  MenuHost host;
  auto session = std::make_shared<DispatchSession>(kSource, RetryClock{FakeNow, FakeSleep});
  {
    ObjectRef app = MakeDispatchObject(Retain<IDispatch>(host.app), L"Application", session);
    for (int round = 0; round < 3; ++round) {
      ObjectRef groups = GetObjectOf(app, L"MenuGroups", {});
      int16_t index = 0;
      ObjectRef group = GetObjectOf(groups, L"Item", {AutomationValue::Int16Ref(&index)});
      CHECK_EQ(NameOf(group), L"ACAD");
    }
    CHECK_EQ(host.app->look_ups, 1);
    CHECK_EQ(host.groups->look_ups, 1);
    CHECK_EQ(host.group_items[0]->look_ups, 1);
    CHECK_EQ(session->Ids().LookUps(), 3u);
    CHECK_EQ(session->Ids().Invokes(), 9u);
  }
  CHECK(host.AllReleased());
}

WIN_TEST(AnIdTheObjectDoesNotKnowIsLookedUpAgain) {
  MenuHost host;
  auto session = std::make_shared<DispatchSession>(kSource, RetryClock{FakeNow, FakeSleep});
  {
    ObjectRef app = MakeDispatchObject(Retain<IDispatch>(host.app), L"Application", session);
    ObjectRef groups = GetObjectOf(app, L"MenuGroups", {});
    std::vector<std::wstring> names;
    for (int16_t index = 0; index < 2; ++index) {
      ObjectRef group = GetObjectOf(groups, L"Item", {AutomationValue::Int16Ref(&index)});
      names.push_back(NameOf(group));
      names.push_back(NameOf(group));
    }
    CHECK(names == (std::vector<std::wstring>{L"ACAD", L"ACAD", L"MORLAVENT", L"MORLAVENT"}));
    CHECK(host.group_items[1]->invoked_ids == (std::vector<DISPID>{1, 31, 31}));
    CHECK_EQ(host.group_items[1]->look_ups, 1);
  }
  CHECK(host.AllReleased());
}

}  // namespace
}  // namespace WinTest
}  // namespace MorlaventMenu
