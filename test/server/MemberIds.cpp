#include "MemberIds.h"

namespace MorlaventMenu::TestServer {

namespace {

struct Member {
  const wchar_t* type;
  const wchar_t* name;
  DISPID id;
};

constexpr Member kMembers[] = {
    {L"Application", L"Visible", 0x101},
    {L"Application", L"ActiveDocument", 0x102},
    {L"Application", L"MenuGroups", 0x103},
    {L"Document", L"GetVariable", 0x201},
    {L"Document", L"SetVariable", 0x202},
    {L"Document", L"Application", 0x203},
    {L"MenuGroups", L"Count", 0x301},
    {L"MenuGroups", L"Item", 0x302},
    {L"MenuGroups", L"Load", 0x303},
    {L"MenuGroup", L"Name", 0x401},
    {L"MenuGroup", L"Menus", 0x402},
    {L"MenuGroup", L"Toolbars", 0x403},
    {L"PopupMenus", L"InsertMenuInMenuBar", 0x501},
    {L"Toolbars", L"Count", 0x601},
    {L"Toolbars", L"Item", 0x602},
    {L"Toolbar", L"Name", 0x701},
    {L"Toolbar", L"Visible", 0x702},
};

bool SameIgnoringCase(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool FindMemberId(const std::wstring& type, const wchar_t* name, DISPID& id) {
  if (name == nullptr) return false;
  for (const Member& member : kMembers) {
    if (type == member.type && SameIgnoringCase(name, member.name)) {
      id = member.id;
      return true;
    }
  }
  return false;
}

const wchar_t* FindMemberName(const std::wstring& type, DISPID id) {
  for (const Member& member : kMembers) {
    if (type == member.type && id == member.id) return member.name;
  }
  return nullptr;
}

}  // namespace MorlaventMenu::TestServer
