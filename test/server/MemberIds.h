#pragma once
#include <windows.h>

#include <string>

namespace MorlaventMenu::TestServer {

// The dispatch ids this server gives the members of each type of host object. Each type
// numbers its members in a range of its own, so that a caller that uses an id of one type
// on an object of another is answered DISP_E_MEMBERNOTFOUND instead of reaching some
// other member.

// The id of `name` (compared without regard to case, as automation names are) in `type`;
// false when the type has no such member.
bool FindMemberId(const std::wstring& type, const wchar_t* name, DISPID& id);

// The member's name exactly as the host spells it; null for an id the type does not have.
const wchar_t* FindMemberName(const std::wstring& type, DISPID id);

}  // namespace MorlaventMenu::TestServer
