#pragma once
#include <cstddef>
#include <memory>

#include "host/AutomationValue.h"
#include "sim/SimCore.h"

namespace MorlaventMenu::Sim {

// Fresh proxies onto the host state; each member that returns an object makes a new one.
// Elements are addressed by index, so a proxy whose element is gone fails its calls.
ObjectRef MakeApplication(const std::shared_ptr<SimCore>& core);
ObjectRef MakeDocument(const std::shared_ptr<SimCore>& core);
ObjectRef MakeMenuGroups(const std::shared_ptr<SimCore>& core);
ObjectRef MakeMenuGroup(const std::shared_ptr<SimCore>& core, size_t group);
ObjectRef MakePopupMenus(const std::shared_ptr<SimCore>& core, size_t group);
ObjectRef MakeToolbars(const std::shared_ptr<SimCore>& core, size_t group);
ObjectRef MakeToolbar(const std::shared_ptr<SimCore>& core, size_t group, size_t toolbar);

}  // namespace MorlaventMenu::Sim
