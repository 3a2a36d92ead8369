#pragma once
#include <cstdint>
#include <vector>

#include "sim/HostState.h"
#include "sim/Journal.h"
#include "sim/Rules.h"

namespace MorlaventMenu::Sim {

// What the host and all its object proxies share. Proxies keep it alive, so a proxy that
// outlives the test's SimulatedAutoCad handle still points at valid state.
struct SimCore {
  HostState state;
  CallRules rules;
  std::vector<JournalEntry> journal;
  int64_t calls = 0;  // numbered calls so far
  int live_proxies = 0;
};

}  // namespace MorlaventMenu::Sim
