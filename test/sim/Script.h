#pragma once
// Sets up a SimulatedAutoCad from a text, so that a test can script the host that runs in
// another process through a file. The text is UTF-8, one directive per line; blank lines
// and lines whose first non-blank character is '#' are skipped. Words are separated by
// blanks; TEXT is a word or a double-quoted text with the escapes \" \\ \t \r \n. Numbers
// are decimal (with an optional '-') or hexadecimal after 0x.
//
// Host state:
//   visible true|false               the application's Visible
//   no-document                      no drawing open: ActiveDocument answers no object
//   variable NAME VALUE              set or add a system variable
//   group TEXT                       append a loaded menu group; the directives below
//   menu TEXT                          add to the group appended last
//   toolbar TEXT shown|hidden
//   count toolbars VALUE               its Toolbars.Count answers VALUE
//   groups N                         append N empty groups named G0 ... G<N-1>
//   count groups VALUE               MenuGroups.Count answers VALUE
//   menubar TEXT TEXT                a group's menu already on the menu bar
//
// Misbehaviour (calls are numbered from 1 across all objects; rejected calls get none):
//   fail call K NUMBER TEXT TEXT     call K fails with this number, description, source
//   fail member M [nth N] NUMBER TEXT TEXT
//                                    the Nth call of member M fails (every call without
//                                    nth); M is "Item" or an object type and member
//                                    such as "Toolbars.Item"
//   result call K VALUE              call K is not run and succeeds with VALUE
//   gone from K                      call K and all later calls fail: RPC_E_DISCONNECTED
//   reject for T ms                  calls are rejected (RPC_E_CALL_REJECTED, not run)
//                                    until T milliseconds after the first call arrives
//   reject first N                   the first N calls that arrive are rejected
//   reject forever                   every call is rejected
//
// VALUE is one of: text TEXT | repeat N TEXT (TEXT N times over) | i2 N | i4 N | r8 X |
// bool true|false | null | empty | nothing (an object reference to no object).
#include <string>

#include "sim/SimulatedAutoCad.h"

namespace MorlaventMenu::Sim {

// Applies the directives in order. Stops at the first bad line and returns false with
// `error` naming it ("line 3: ..."); the lines before it have been applied.
bool ApplyScript(SimulatedAutoCad& host, const std::string& utf8_text, std::string& error);

}  // namespace MorlaventMenu::Sim
