#pragma once
#include <windows.h>

#include <string>

#include "host/AutomationValue.h"
#include "platform/win32/Owner.h"

namespace MorlaventMenu {

// How object references cross between automation values and VARIANTs: a client wraps the
// IDispatch pointers it is given, a server hands out its own objects as IDispatch.
class ObjectBridge {
 public:
  virtual ~ObjectBridge() = default;
  // The IDispatch that stands for `object` (never null), with a reference of its own;
  // none when the object cannot cross.
  virtual ComPtr<IDispatch> ToDispatch(const ObjectRef& object) = 0;
  // The object that stands for `dispatch` (never null).
  virtual ObjectRef FromDispatch(ComPtr<IDispatch> dispatch) = 0;
};

// What a VARIANT is read as.
enum class VariantRole {
  // What a call gives back: a reference is followed to its value.
  Result,
  // What a server is handed: a 16-bit integer by reference stays the caller's, so that a
  // change reaches the caller, and a missing argument reads as omitted.
  Argument,
};

// Fills `out`, which must be empty, with `value`. Returns S_OK, E_OUTOFMEMORY, E_POINTER
// for a reference to no counter, or DISP_E_TYPEMISMATCH for a value that cannot be sent
// (another kind, or an object the bridge cannot hand out). A reference that refers to no
// object is sent as a null IDispatch.
HRESULT ToVariant(const AutomationValue& value, ObjectBridge& bridge, VARIANT& out);

// Reads `in` into `out`. Kinds with no value of their own become numbers or text, the
// nearest of a 32-bit integer, a double and a text; arrays, errors and the like become an
// Other value named after their kind. Returns S_OK or the failure of a conversion.
HRESULT FromVariant(const VARIANT& in, VariantRole role, ObjectBridge& bridge,
                    AutomationValue& out);

// Short name of a VARIANT kind, as journals print it: "BSTR", "I2|BYREF", "VARIANT|ARRAY".
std::wstring VariantKindName(VARTYPE type);

}  // namespace MorlaventMenu
