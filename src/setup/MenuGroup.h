#pragma once

namespace MorlaventMenu {

// Loads the product's menu file into AutoCAD, puts its pop-up menu on the menu bar and
// shows its toolbar.
void InstallMenuGroup();

}  // namespace MorlaventMenu
