#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "host/AutomationObject.h"
#include "sim/SimulatedAutoCad.h"
#include "sim/Utf8.h"

namespace MorlaventMenu::Sim::Testing {

// What one Invoke gave back.
struct Answer {
  bool ok = false;
  AutomationValue value;
  AutomationError error;

  ObjectRef Object() const {
    ObjectRef object;
    EXPECT_TRUE(value.ToObject(object)) << "not an object: " << ToUtf8(value.KindName());
    return object;
  }
};

inline Answer Ask(const ObjectRef& object, const std::wstring& member, CallKind kind,
                  AutomationArgs args = {}) {
  Answer answer;
  if (!object) {
    ADD_FAILURE() << "no object to call " << ToUtf8(member) << " on";
    return answer;
  }
  answer.ok = object->Invoke(member, kind, args, answer.value, answer.error);
  return answer;
}

inline Answer Get(const ObjectRef& object, const std::wstring& member, AutomationArgs args = {}) {
  return Ask(object, member, CallKind::Get, std::move(args));
}

inline Answer Call(const ObjectRef& object, const std::wstring& member, AutomationArgs args = {}) {
  return Ask(object, member, CallKind::Call, std::move(args));
}

inline Answer Put(const ObjectRef& object, const std::wstring& member, AutomationValue value) {
  return Ask(object, member, CallKind::Put, {std::move(value)});
}

inline AutomationValue T(const wchar_t* text) {
  return AutomationValue::Text(text);
}

// The menu source of a product group with one pop-up menu and two toolbars.
inline const char* ProductMenuSource() {
  return "***MENUGROUP=MORLAVENT\r\n"
         "***POP1\r\n"
         "**MORLAVENT\r\n"
         "ID_Morlavent  [&Morlavent]\r\n"
         "ID_MvDuct     [&Duct run]^C^C_MV_DUCT\r\n"
         "***TOOLBARS\r\n"
         "**TB_MORLAVENT\r\n"
         "ID_TbMorlav [_Toolbar(\"Morlavent\", _Top, _Hide, 10, 0, 1)]\r\n"
         "ID_TbDuct   [_Button(\"Duct run\", ICON_16, ICON_32)]^C^C_MV_DUCT\r\n"
         "**TB_EXTRA\r\n"
         "ID_TbExtra  [_Toolbar(\"Extra\", _Floating, _Show, 100, 100, 1)]\r\n";
}

// Tests whose rows print as their name.
template <typename Row>
auto operator<<(std::ostream& out, const Row& row) -> decltype(out << row.name) {
  return out << row.name;
}

}  // namespace MorlaventMenu::Sim::Testing
