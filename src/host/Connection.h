#pragma once
#include <cstdint>
#include <string>

namespace MorlaventMenu {

// True when a running AutoCAD of the edition's release can be attached to. Leaves
// AcadApp none and the failure report clear, whatever the answer.
bool IsAutoCadRunning();

// Attaches to the running AutoCAD or starts one, makes it visible and takes its active
// document. On failure tells the user why and returns false.
bool ConnectAutoCad();

// The text the connection shows for a failure number with its description and source.
std::wstring ConnectionFailureMessage(int32_t number, const std::wstring& description,
                                      const std::wstring& source);

}  // namespace MorlaventMenu
