#pragma once

namespace MorlaventMenu {

// Makes sure the product folder is among AutoCAD's trusted folders.
void AddTrustedPath();

// Switches AutoCAD's menu bar on when it is off.
void ShowMenuBar();

}  // namespace MorlaventMenu
