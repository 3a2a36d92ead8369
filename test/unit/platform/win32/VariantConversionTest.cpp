#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Check.h"
#include "FakeDispatch.h"
#include "host/AutomationObject.h"
#include "platform/win32/VariantConversion.h"

namespace MorlaventMenu {
namespace WinTest {
namespace {

// An object that stands for an IDispatch it holds.
class HeldObject : public AutomationObject {
 public:
  explicit HeldObject(ComPtr<IDispatch> dispatch) : dispatch(std::move(dispatch)) {}
  bool Invoke(const std::wstring&, CallKind, AutomationArgs&, AutomationValue&,
              AutomationError&) override {
    return false;
  }
  ComPtr<IDispatch> dispatch;
};

// Hands out the objects it made itself and nothing else, as a server's bridge would.
class TestBridge : public ObjectBridge {
 public:
  ComPtr<IDispatch> ToDispatch(const ObjectRef& object) override {
    for (const auto& made : made_) {
      if (made.get() == object.get()) return Retain(made->dispatch.Get());
    }
    return {};
  }
  ObjectRef FromDispatch(ComPtr<IDispatch> dispatch) override {
    made_.push_back(std::make_shared<HeldObject>(std::move(dispatch)));
    return made_.back();
  }
  const std::vector<std::shared_ptr<HeldObject>>& Made() const { return made_; }

 private:
  std::vector<std::shared_ptr<HeldObject>> made_;
};

AutomationValue Read(const VARIANT& in, VariantRole role = VariantRole::Result) {
  TestBridge bridge;
  AutomationValue value;
  CHECK_EQ(FromVariant(in, role, bridge, value), S_OK);
  return value;
}

WIN_TEST(ArgumentsBecomeTheVariantsOfTheirKind) {
  TestBridge bridge;
  int16_t counter = 7;
  struct Case {
    AutomationValue value;
    VARTYPE type;
  };
  const Case cases[] = {
      {AutomationValue(), VT_EMPTY},
      {AutomationValue::Null(), VT_NULL},
      {AutomationValue::Int16(-5), VT_I2},
      {AutomationValue::Int32(70000), VT_I4},
      {AutomationValue::Double(2.5), VT_R8},
      {AutomationValue::Bool(true), VT_BOOL},
      {AutomationValue::Bool(false), VT_BOOL},
      {AutomationValue::Omitted(), VT_ERROR},
      {AutomationValue::Int16Ref(&counter), VT_I2 | VT_BYREF},
      {AutomationValue::Object(nullptr), VT_DISPATCH},
  };
  for (const Case& c : cases) {
    Variant out;
    CHECK_EQ(ToVariant(c.value, bridge, out.Get()), S_OK);
    CHECK_EQ(V_VT(&out.Get()), c.type);
  }

  Variant value;
  ToVariant(AutomationValue::Int16(-5), bridge, value.Get());
  CHECK_EQ(V_I2(&value.Get()), -5);
  ToVariant(AutomationValue::Int32(70000), bridge, *value.Put());
  CHECK_EQ(V_I4(&value.Get()), 70000);
  ToVariant(AutomationValue::Double(2.5), bridge, *value.Put());
  CHECK_EQ(V_R8(&value.Get()), 2.5);
  ToVariant(AutomationValue::Bool(true), bridge, *value.Put());
  CHECK_EQ(V_BOOL(&value.Get()), VARIANT_TRUE);
  ToVariant(AutomationValue::Bool(false), bridge, *value.Put());
  CHECK_EQ(V_BOOL(&value.Get()), VARIANT_FALSE);
  ToVariant(AutomationValue::Omitted(), bridge, *value.Put());
  CHECK_EQ(V_ERROR(&value.Get()), DISP_E_PARAMNOTFOUND);
  ToVariant(AutomationValue::Object(nullptr), bridge, *value.Put());
  CHECK(V_DISPATCH(&value.Get()) == nullptr);
}

WIN_TEST(TextKeepsEveryCharacterAndItsLength) {
  TestBridge bridge;
  const std::wstring texts[] = {L"", L"ACADVER", std::wstring(L"a\0b", 3), L"C:\\Morlavent\\2017;",
                                L"\x00F1\x00E1\x20AC"};
  for (const std::wstring& text : texts) {
    Variant out;
    CHECK_EQ(ToVariant(AutomationValue::Text(text), bridge, out.Get()), S_OK);
    CHECK_EQ(V_VT(&out.Get()), VT_BSTR);
    CHECK(V_BSTR(&out.Get()) != nullptr);
    CHECK_EQ(SysStringLen(V_BSTR(&out.Get())), text.size());
    CHECK_EQ(std::wstring(V_BSTR(&out.Get()), SysStringLen(V_BSTR(&out.Get()))), text);
  }
}

WIN_TEST(AnInt16ReferencePointsAtTheCallersCounter) {
  TestBridge bridge;
  int16_t counter = 3;
  Variant out;
  CHECK_EQ(ToVariant(AutomationValue::Int16Ref(&counter), bridge, out.Get()), S_OK);
  CHECK(V_I2REF(&out.Get()) == &counter);
  *V_I2REF(&out.Get()) = 9;  // as the host would
  CHECK_EQ(counter, 9);

  Variant none;
  CHECK_EQ(ToVariant(AutomationValue::Int16Ref(nullptr), bridge, none.Get()), E_POINTER);
}

WIN_TEST(AnObjectCrossesAsItsOwnIDispatch) {
  TestBridge bridge;
  FakeDispatch* fake = new FakeDispatch;
  ObjectRef object = bridge.FromDispatch(Retain<IDispatch>(fake));
  {
    Variant out;
    CHECK_EQ(ToVariant(AutomationValue::Object(object), bridge, out.Get()), S_OK);
    CHECK_EQ(V_VT(&out.Get()), VT_DISPATCH);
    CHECK(V_DISPATCH(&out.Get()) == static_cast<IDispatch*>(fake));
    CHECK_EQ(fake->References(), 3u);  // the test's, the object's, the VARIANT's
  }
  CHECK_EQ(fake->References(), 2u);

  // An object that the bridge cannot hand out does not cross.
  auto stranger = std::make_shared<HeldObject>(ComPtr<IDispatch>());
  Variant out;
  CHECK_EQ(ToVariant(AutomationValue::Object(stranger), bridge, out.Get()), DISP_E_TYPEMISMATCH);
  CHECK_EQ(V_VT(&out.Get()), VT_EMPTY);
  object.reset();
  CHECK_EQ(fake->References(), 2u);  // the bridge keeps what it made
  fake->Release();
}

WIN_TEST(OtherValuesCannotBeSent) {
  TestBridge bridge;
  Variant out;
  CHECK_EQ(ToVariant(AutomationValue::Other(L"ERROR"), bridge, out.Get()), DISP_E_TYPEMISMATCH);
  CHECK_EQ(V_VT(&out.Get()), VT_EMPTY);
}

WIN_TEST(ResultsOfTheKindsTheLauncherReads) {
  Variant value;
  CHECK_EQ(Read(value.Get()).Kind(), ValueKind::Empty);

  V_VT(value.Put()) = VT_NULL;
  CHECK_EQ(Read(value.Get()).Kind(), ValueKind::Null);

  V_VT(value.Put()) = VT_BSTR;
  V_BSTR(&value.Get()) = SysAllocStringLen(L"21.0s\0x", 7);
  AutomationValue text = Read(value.Get());
  CHECK_EQ(text.Kind(), ValueKind::Text);
  CHECK_EQ(text.RawText(), std::wstring(L"21.0s\0x", 7));

  V_VT(value.Put()) = VT_BSTR;
  V_BSTR(&value.Get()) = nullptr;  // a NULL BSTR is the empty text
  text = Read(value.Get());
  CHECK_EQ(text.Kind(), ValueKind::Text);
  CHECK_EQ(text.RawText(), L"");

  V_VT(value.Put()) = VT_I2;
  V_I2(&value.Get()) = -32768;
  CHECK_EQ(Read(value.Get()).Kind(), ValueKind::Int16);
  CHECK_EQ(Read(value.Get()).RawInteger(), -32768);

  V_VT(value.Put()) = VT_I4;
  V_I4(&value.Get()) = 123456;
  CHECK_EQ(Read(value.Get()).Kind(), ValueKind::Int32);
  CHECK_EQ(Read(value.Get()).RawInteger(), 123456);

  V_VT(value.Put()) = VT_R8;
  V_R8(&value.Get()) = -0.25;
  CHECK_EQ(Read(value.Get()).Kind(), ValueKind::Double);
  CHECK_EQ(Read(value.Get()).RawDouble(), -0.25);

  // Any nonzero boolean is true, as callers of automation objects have always read it.
  const VARIANT_BOOL truths[] = {VARIANT_TRUE, 1};
  for (VARIANT_BOOL truth : truths) {
    V_VT(value.Put()) = VT_BOOL;
    V_BOOL(&value.Get()) = truth;
    CHECK_EQ(Read(value.Get()).Kind(), ValueKind::Bool);
    CHECK(Read(value.Get()).RawBool());
  }
  V_VT(value.Put()) = VT_BOOL;
  V_BOOL(&value.Get()) = VARIANT_FALSE;
  CHECK(!Read(value.Get()).RawBool());
}

WIN_TEST(OtherNumbersBecomeTheNearestIntegerDoubleOrText) {
  struct Case {
    const char* what;
    VARTYPE type;
    void (*fill)(VARIANT&);
    ValueKind kind;
    double number;
  };
  const Case cases[] = {
      {"I1", VT_I1, [](VARIANT& v) { V_I1(&v) = -3; }, ValueKind::Int32, -3},
      {"UI1", VT_UI1, [](VARIANT& v) { V_UI1(&v) = 200; }, ValueKind::Int32, 200},
      {"UI2", VT_UI2, [](VARIANT& v) { V_UI2(&v) = 65535; }, ValueKind::Int32, 65535},
      {"UI4 small", VT_UI4, [](VARIANT& v) { V_UI4(&v) = 12; }, ValueKind::Int32, 12},
      {"UI4 large", VT_UI4, [](VARIANT& v) { V_UI4(&v) = 4000000000u; }, ValueKind::Double, 4e9},
      {"UI4 at the top of I4", VT_UI4, [](VARIANT& v) { V_UI4(&v) = 2147483647u; },
       ValueKind::Int32, 2147483647.0},
      {"UI4 just past I4", VT_UI4, [](VARIANT& v) { V_UI4(&v) = 2147483648u; }, ValueKind::Double,
       2147483648.0},
      {"UINT large", VT_UINT, [](VARIANT& v) { V_UINT(&v) = 3000000000u; }, ValueKind::Double, 3e9},
      {"INT", VT_INT, [](VARIANT& v) { V_INT(&v) = -7; }, ValueKind::Int32, -7},
      {"UINT", VT_UINT, [](VARIANT& v) { V_UINT(&v) = 8; }, ValueKind::Int32, 8},
      {"I8 small", VT_I8, [](VARIANT& v) { V_I8(&v) = -5; }, ValueKind::Int32, -5},
      {"I8 large", VT_I8, [](VARIANT& v) { V_I8(&v) = 1LL << 40; }, ValueKind::Double,
       1099511627776.0},
      {"I8 below I4", VT_I8, [](VARIANT& v) { V_I8(&v) = -2147483649LL; }, ValueKind::Double,
       -2147483649.0},
      {"UI8", VT_UI8, [](VARIANT& v) { V_UI8(&v) = 9; }, ValueKind::Int32, 9},
      {"UI8 large", VT_UI8, [](VARIANT& v) { V_UI8(&v) = 1ULL << 63; }, ValueKind::Double,
       9223372036854775808.0},
      {"R4", VT_R4, [](VARIANT& v) { V_R4(&v) = 1.5f; }, ValueKind::Double, 1.5},
      {"CY", VT_CY, [](VARIANT& v) { V_CY(&v).int64 = 123456; }, ValueKind::Double, 12.3456},
      {"DECIMAL", VT_DECIMAL, [](VARIANT& v) { VarDecFromR8(2.75, &V_DECIMAL(&v)); },
       ValueKind::Double, 2.75},
  };
  for (const Case& c : cases) {
    Variant value;
    c.fill(value.Get());
    V_VT(&value.Get()) = c.type;
    const AutomationValue read = Read(value.Get());
    if (read.Kind() != c.kind) Fail(__FILE__, __LINE__, std::string("kind of ") + c.what);
    double number = 0;
    CHECK(read.ToDouble(number));
    if (std::fabs(number - c.number) > 1e-9)
      Fail(__FILE__, __LINE__, std::string("value of ") + c.what);
  }

  Variant date;
  V_VT(&date.Get()) = VT_DATE;
  V_DATE(&date.Get()) = 42736.5;  // 1 January 2017, noon
  const AutomationValue read = Read(date.Get());
  CHECK_EQ(read.Kind(), ValueKind::Text);
  CHECK(read.RawText().find(L"2017") != std::wstring::npos);
}

WIN_TEST(ResultsByReferenceAreFollowed) {
  int32_t number = 77;
  Variant value;
  V_VT(&value.Get()) = VT_I4 | VT_BYREF;
  V_I4REF(&value.Get()) = reinterpret_cast<LONG*>(&number);
  AutomationValue read = Read(value.Get());
  CHECK_EQ(read.Kind(), ValueKind::Int32);
  CHECK_EQ(read.RawInteger(), 77);

  Bstr text(SysAllocString(L"MORLAVENT"));
  V_VT(value.Put()) = VT_BSTR | VT_BYREF;
  V_BSTRREF(&value.Get()) = &text.Get();
  read = Read(value.Get());
  CHECK_EQ(read.Kind(), ValueKind::Text);
  CHECK_EQ(read.RawText(), L"MORLAVENT");

  int16_t counter = 4;
  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_I2;
  V_I2(&inner) = 12;
  V_VT(value.Put()) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&value.Get()) = &inner;
  read = Read(value.Get());
  CHECK_EQ(read.Kind(), ValueKind::Int16);
  CHECK_EQ(read.RawInteger(), 12);

  // A result is a value: a counter by reference is read, not shared.
  V_VT(value.Put()) = VT_I2 | VT_BYREF;
  V_I2REF(&value.Get()) = &counter;
  read = Read(value.Get());
  CHECK_EQ(read.Kind(), ValueKind::Int16);
  CHECK_EQ(read.RawInteger(), 4);
}

WIN_TEST(ArgumentsAServerIsHanded) {
  int16_t counter = 4;
  Variant value;
  V_VT(&value.Get()) = VT_I2 | VT_BYREF;
  V_I2REF(&value.Get()) = &counter;
  AutomationValue read = Read(value.Get(), VariantRole::Argument);
  CHECK_EQ(read.Kind(), ValueKind::Int16Ref);
  CHECK(read.RawInt16Ref() == &counter);

  V_VT(value.Put()) = VT_ERROR;
  V_ERROR(&value.Get()) = DISP_E_PARAMNOTFOUND;
  CHECK_EQ(Read(value.Get(), VariantRole::Argument).Kind(), ValueKind::Omitted);
  CHECK_EQ(Read(value.Get(), VariantRole::Result).Kind(), ValueKind::Other);

  V_VT(value.Put()) = VT_BSTR;
  V_BSTR(&value.Get()) = SysAllocString(L"Morlavent");
  CHECK_EQ(Read(value.Get(), VariantRole::Argument).RawText(), L"Morlavent");
}

WIN_TEST(ObjectResultsAreWrappedThroughTheBridge) {
  TestBridge bridge;
  FakeDispatch* fake = new FakeDispatch;
  {
    Variant value;
    V_VT(&value.Get()) = VT_DISPATCH;
    V_DISPATCH(&value.Get()) = Retain<IDispatch>(fake).Detach();
    AutomationValue read;
    CHECK_EQ(FromVariant(value.Get(), VariantRole::Result, bridge, read), S_OK);
    CHECK_EQ(read.Kind(), ValueKind::Object);
    CHECK_EQ(bridge.Made().size(), 1u);
    CHECK(read.RawObject() == bridge.Made()[0]);
    CHECK(bridge.Made()[0]->dispatch.Get() == static_cast<IDispatch*>(fake));
  }
  CHECK_EQ(fake->References(), 2u);  // the test's and the wrapper's

  // A null dispatch is an object reference that refers to no object.
  Variant nothing;
  V_VT(&nothing.Get()) = VT_DISPATCH;
  V_DISPATCH(&nothing.Get()) = nullptr;
  AutomationValue read = Read(nothing.Get());
  CHECK_EQ(read.Kind(), ValueKind::Object);
  CHECK(read.RawObject() == nullptr);
  fake->Release();
}

WIN_TEST(UnknownResultsAreAskedForTheirIDispatch) {
  TestBridge bridge;
  FakeDispatch* fake = new FakeDispatch;
  Variant value;
  V_VT(&value.Get()) = VT_UNKNOWN;
  V_UNKNOWN(&value.Get()) = Retain<IDispatch>(fake).Detach();
  AutomationValue read;
  CHECK_EQ(FromVariant(value.Get(), VariantRole::Result, bridge, read), S_OK);
  CHECK_EQ(read.Kind(), ValueKind::Object);
  CHECK(bridge.Made().size() == 1 &&
        bridge.Made()[0]->dispatch.Get() == static_cast<IDispatch*>(fake));
  value.Reset();
  CHECK_EQ(fake->References(), 2u);

  FakeUnknown plain;
  V_VT(value.Put()) = VT_UNKNOWN;
  V_UNKNOWN(&value.Get()) = &plain;
  plain.AddRef();
  read = Read(value.Get());
  CHECK_EQ(read.Kind(), ValueKind::Other);
  CHECK_EQ(std::wstring(read.KindName()), L"UNKNOWN");
  value.Reset();
  CHECK_EQ(plain.References(), 1u);
  fake->Release();
}

WIN_TEST(KindsTheLauncherNeverReadsAreNamed) {
  Variant value;
  V_VT(&value.Get()) = VT_ERROR;
  V_ERROR(&value.Get()) = E_FAIL;
  AutomationValue read = Read(value.Get());
  CHECK_EQ(read.Kind(), ValueKind::Other);
  CHECK_EQ(std::wstring(read.KindName()), L"ERROR");

  SAFEARRAYBOUND bound{3, 0};
  V_VT(value.Put()) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&value.Get()) = SafeArrayCreate(VT_VARIANT, 1, &bound);
  read = Read(value.Get());
  CHECK_EQ(read.Kind(), ValueKind::Other);
  CHECK_EQ(std::wstring(read.KindName()), L"VARIANT|ARRAY");

  CHECK_EQ(VariantKindName(VT_I2 | VT_BYREF), L"I2|BYREF");
  CHECK_EQ(VariantKindName(VT_BSTR | VT_ARRAY | VT_BYREF), L"BSTR|ARRAY|BYREF");
}

}  // namespace
}  // namespace WinTest
}  // namespace MorlaventMenu
