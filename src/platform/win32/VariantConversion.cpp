#include "platform/win32/VariantConversion.h"

#include <cstdint>

namespace MorlaventMenu {

namespace {

std::wstring TextOf(BSTR text) {
  return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

// The oleaut32 conversions do not change their source; their declarations just lack const.
VARIANT* Source(const VARIANT& in) {
  return const_cast<VARIANT*>(&in);
}

HRESULT ChangeTo(const VARIANT& in, VARTYPE type, ObjectBridge& bridge, AutomationValue& out) {
  Variant changed;
  const HRESULT result = VariantChangeType(changed.Put(), Source(in), 0, type);
  if (FAILED(result)) return result;
  return FromVariant(changed.Get(), VariantRole::Result, bridge, out);
}

// Whole numbers of other sizes: a 32-bit integer where they fit, a double where they do not.
// The range is checked here, since oleaut32 lets some unsigned values wrap around.
HRESULT IntegerFrom(const VARIANT& in, AutomationValue& out) {
  Variant number;
  const HRESULT result = VariantChangeType(number.Put(), Source(in), 0, VT_R8);
  if (FAILED(result)) return result;
  const double value = V_R8(&number.Get());
  if (value >= INT32_MIN && value <= INT32_MAX) {
    out = AutomationValue::Int32(static_cast<int32_t>(value));
  } else {
    out = AutomationValue::Double(value);
  }
  return S_OK;
}

HRESULT ObjectFrom(IDispatch* dispatch, ObjectBridge& bridge, AutomationValue& out) {
  out = AutomationValue::Object(dispatch == nullptr ? nullptr
                                                    : bridge.FromDispatch(Retain(dispatch)));
  return S_OK;
}

}  // namespace

HRESULT ToVariant(const AutomationValue& value, ObjectBridge& bridge, VARIANT& out) {
  switch (value.Kind()) {
    case ValueKind::Empty:
      V_VT(&out) = VT_EMPTY;
      return S_OK;
    case ValueKind::Null:
      V_VT(&out) = VT_NULL;
      return S_OK;
    case ValueKind::Text: {
      // By length, so that a NUL inside the text crosses too.
      const std::wstring& text = value.RawText();
      BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (copy == nullptr) return E_OUTOFMEMORY;
      V_VT(&out) = VT_BSTR;
      V_BSTR(&out) = copy;
      return S_OK;
    }
    case ValueKind::Int16:
      V_VT(&out) = VT_I2;
      V_I2(&out) = static_cast<SHORT>(value.RawInteger());
      return S_OK;
    case ValueKind::Int32:
      V_VT(&out) = VT_I4;
      V_I4(&out) = value.RawInteger();
      return S_OK;
    case ValueKind::Double:
      V_VT(&out) = VT_R8;
      V_R8(&out) = value.RawDouble();
      return S_OK;
    case ValueKind::Bool:
      V_VT(&out) = VT_BOOL;
      V_BOOL(&out) = value.RawBool() ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case ValueKind::Omitted:
      V_VT(&out) = VT_ERROR;
      V_ERROR(&out) = DISP_E_PARAMNOTFOUND;
      return S_OK;
    case ValueKind::Int16Ref:
      // The host writes straight into the caller's counter.
      if (value.RawInt16Ref() == nullptr) return E_POINTER;
      V_VT(&out) = VT_I2 | VT_BYREF;
      V_I2REF(&out) = value.RawInt16Ref();
      return S_OK;
    case ValueKind::Object: {
      ComPtr<IDispatch> dispatch;
      if (value.RawObject() != nullptr) {
        dispatch = bridge.ToDispatch(value.RawObject());
        if (!dispatch) return DISP_E_TYPEMISMATCH;
      }
      V_VT(&out) = VT_DISPATCH;
      V_DISPATCH(&out) = dispatch.Detach();
      return S_OK;
    }
    case ValueKind::Other:
      break;
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT FromVariant(const VARIANT& in, VariantRole role, ObjectBridge& bridge,
                    AutomationValue& out) {
  out = AutomationValue();
  const VARTYPE type = V_VT(&in);
  if (role == VariantRole::Argument) {
    if (type == (VT_I2 | VT_BYREF)) {
      out = AutomationValue::Int16Ref(V_I2REF(&in));
      return S_OK;
    }
    if (type == VT_ERROR && V_ERROR(&in) == DISP_E_PARAMNOTFOUND) {
      out = AutomationValue::Omitted();
      return S_OK;
    }
  }
  if ((type & VT_BYREF) != 0 && (type & VT_ARRAY) == 0) {
    Variant value;
    const HRESULT result = VariantCopyInd(value.Put(), Source(in));
    if (FAILED(result)) return result;
    return FromVariant(value.Get(), role, bridge, out);
  }
  switch (type) {
    case VT_EMPTY:
      return S_OK;
    case VT_NULL:
      out = AutomationValue::Null();
      return S_OK;
    case VT_BSTR:
      out = AutomationValue::Text(TextOf(V_BSTR(&in)));
      return S_OK;
    case VT_I2:
      out = AutomationValue::Int16(V_I2(&in));
      return S_OK;
    case VT_I4:
      out = AutomationValue::Int32(V_I4(&in));
      return S_OK;
    case VT_R8:
      out = AutomationValue::Double(V_R8(&in));
      return S_OK;
    case VT_BOOL:
      out = AutomationValue::Bool(V_BOOL(&in) != VARIANT_FALSE);
      return S_OK;
    case VT_DISPATCH:
      return ObjectFrom(V_DISPATCH(&in), bridge, out);
    case VT_UNKNOWN: {
      IUnknown* unknown = V_UNKNOWN(&in);
      if (unknown == nullptr) return ObjectFrom(nullptr, bridge, out);
      ComPtr<IDispatch> dispatch;
      if (FAILED(
              unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Put())))) {
        out = AutomationValue::Other(VariantKindName(type));
        return S_OK;
      }
      return ObjectFrom(dispatch.Get(), bridge, out);
    }
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
      return IntegerFrom(in, out);
    case VT_R4:
    case VT_CY:
    case VT_DECIMAL:
      return ChangeTo(in, VT_R8, bridge, out);
    case VT_DATE:
      // A date means nothing as a serial number to a caller; its text is what it reads.
      return ChangeTo(in, VT_BSTR, bridge, out);
    default:
      out = AutomationValue::Other(VariantKindName(type));
      return S_OK;
  }
}

std::wstring VariantKindName(VARTYPE type) {
  static const struct {
    VARTYPE type;
    const wchar_t* name;
  } kNames[] = {
      {VT_EMPTY, L"EMPTY"},     {VT_NULL, L"NULL"},
      {VT_I2, L"I2"},           {VT_I4, L"I4"},
      {VT_R4, L"R4"},           {VT_R8, L"R8"},
      {VT_CY, L"CY"},           {VT_DATE, L"DATE"},
      {VT_BSTR, L"BSTR"},       {VT_DISPATCH, L"DISPATCH"},
      {VT_ERROR, L"ERROR"},     {VT_BOOL, L"BOOL"},
      {VT_VARIANT, L"VARIANT"}, {VT_UNKNOWN, L"UNKNOWN"},
      {VT_DECIMAL, L"DECIMAL"}, {VT_I1, L"I1"},
      {VT_UI1, L"UI1"},         {VT_UI2, L"UI2"},
      {VT_UI4, L"UI4"},         {VT_I8, L"I8"},
      {VT_UI8, L"UI8"},         {VT_INT, L"INT"},
      {VT_UINT, L"UINT"},       {VT_RECORD, L"RECORD"},
  };
  const VARTYPE base = type & VT_TYPEMASK;
  std::wstring name;
  for (const auto& known : kNames) {
    if (known.type == base) name = known.name;
  }
  if (name.empty()) name = L"VT" + std::to_wstring(base);
  if ((type & VT_ARRAY) != 0) name += L"|ARRAY";
  if ((type & VT_BYREF) != 0) name += L"|BYREF";
  return name;
}

}  // namespace MorlaventMenu
