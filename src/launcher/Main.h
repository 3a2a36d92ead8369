#pragma once
#include <cstdint>
#include <string>

namespace MorlaventMenu {

// Process exit statuses: the launch ran to its end, or where it stopped.
constexpr int kExitDone = 0;
constexpr int kExitWrongBitness = 2;
constexpr int kExitNoConnection = 3;
constexpr int kExitWrongRelease = 4;

// The entry routine: fixes the edition texts, then runs the launch once.
int Main();

// The two halves of Main, apart so that tests can vary the texts in between.
void SetEditionTexts();
int RunLaunch();

// Nonzero when this 32-bit process runs under WOW64, that is on 64-bit Windows.
int16_t IsWow64();

std::wstring BitnessMessage();

}  // namespace MorlaventMenu
