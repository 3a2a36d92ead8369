#pragma once
#include <string>

#include "sim/HostState.h"

namespace MorlaventMenu::Sim {

// Reads the parts of an AutoCAD menu source file (.mns) that the simulated host keeps:
//   ***MENUGROUP=NAME                 the group's name
//   ***POP1, ***POP2, ...             one pop-up menu each; the first item line of the
//     **ALIAS                         section, such as  ID_Morlavent  [&Morlavent], gives
//     ID_Morlavent  [&Morlavent]      its name (the label with every '&' removed)
//   ***TOOLBARS                       each item line whose label is a _Toolbar(...) defines
//     **TB_ALIAS                      a toolbar: its quoted first argument is the name and
//     ID_Tb [_Toolbar("Name", _Top, _Hide, 10, 0, 1)]   _Show or _Hide its visibility
// Lines starting with // are comments; other sections and lines are ignored. Section
// keywords are matched without regard to case. The bytes are UTF-8 (a BOM is skipped), or
// taken one byte per character when they are not valid UTF-8.
// False, with `problem` set, when the source names no menu group.
bool ReadMenuSource(const std::string& bytes, MenuGroup& group, std::wstring& problem);

}  // namespace MorlaventMenu::Sim
