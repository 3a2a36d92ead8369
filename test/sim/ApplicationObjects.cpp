// The application and its document: visibility, the active document, system variables.
#include "sim/MemberArgs.h"
#include "sim/SimObject.h"
#include "sim/SimObjects.h"

namespace MorlaventMenu::Sim {

namespace {

class ApplicationObject : public SimObject {
 public:
  using SimObject::SimObject;
  const wchar_t* TypeName() const override { return L"Application"; }

 protected:
  bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args, AutomationValue& result,
           AutomationError& error) override {
    if (member == L"Visible") {
      if (kind == CallKind::Put) {
        bool visible = false;
        if (!IsPropertyWrite(kind, args, error) || !ArgBool(args[0], visible, error)) return false;
        State().visible = visible;
        return true;
      }
      if (!IsPropertyRead(kind, args, error)) return false;
      result = AutomationValue::Bool(State().visible);
      return true;
    }
    if (member == L"ActiveDocument") {
      if (!IsPropertyRead(kind, args, error)) return false;
      // With no drawing open AutoCAD answers a reference to no object, not a failure.
      result = AutomationValue::Object(State().document_open ? MakeDocument(Core()) : nullptr);
      return true;
    }
    if (member == L"MenuGroups") {
      if (!IsPropertyRead(kind, args, error)) return false;
      result = AutomationValue::Object(MakeMenuGroups(Core()));
      return true;
    }
    return Fail(error, kMemberNotFound);
  }
};

class DocumentObject : public SimObject {
 public:
  using SimObject::SimObject;
  const wchar_t* TypeName() const override { return L"Document"; }

 protected:
  bool Run(const std::wstring& member, CallKind kind, AutomationArgs& args, AutomationValue& result,
           AutomationError& error) override {
    if (member == L"GetVariable") {
      std::wstring name;
      if (!IsMethodCall(kind, args, 1, error) || !ArgText(args[0], name, error)) return false;
      auto found = State().variables.find(name);
      if (found == State().variables.end()) {
        return FailAutoCad(error, L"Error getting system variable");
      }
      result = found->second;
      return true;
    }
    if (member == L"SetVariable") {
      std::wstring name;
      if (!IsMethodCall(kind, args, 2, error) || !ArgText(args[0], name, error)) return false;
      auto found = State().variables.find(name);
      if (found == State().variables.end()) {
        return FailAutoCad(error, L"Error setting system variable");
      }
      return Store(args[1], found->second, error);
    }
    if (member == L"Application") {
      if (!IsPropertyRead(kind, args, error)) return false;
      result = AutomationValue::Object(MakeApplication(Core()));
      return true;
    }
    return Fail(error, kMemberNotFound);
  }

 private:
  // Keeps the value's own kind: a 16-bit 1 stays a 16-bit 1.
  static bool Store(const AutomationValue& value, AutomationValue& slot, AutomationError& error) {
    switch (value.Kind()) {
      case ValueKind::Int16Ref:
        // The caller's counter belongs to the caller: keep its value, not its address.
        if (value.RawInt16Ref() == nullptr) return Fail(error, kInvalidPointer);
        slot = AutomationValue::Int16(*value.RawInt16Ref());
        return true;
      case ValueKind::Object:
      case ValueKind::Omitted:
      case ValueKind::Other:
        return Fail(error, kTypeMismatch);
      default:
        slot = value;
        return true;
    }
  }
};

}  // namespace

ObjectRef MakeApplication(const std::shared_ptr<SimCore>& core) {
  return std::make_shared<ApplicationObject>(core);
}

ObjectRef MakeDocument(const std::shared_ptr<SimCore>& core) {
  return std::make_shared<DocumentObject>(core);
}

}  // namespace MorlaventMenu::Sim
