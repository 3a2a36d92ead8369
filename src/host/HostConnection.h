#pragma once
#include "host/AutomationObject.h"

namespace MorlaventMenu {

// The two program-wide references into AutoCAD; none at start, held until the program ends.
struct HostConnection {
  ObjectRef AcadApp;
  ObjectRef AcadDoc;
};

extern HostConnection Host;

}  // namespace MorlaventMenu
