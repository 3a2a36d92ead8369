#pragma once
#include <gtest/gtest.h>

#include <ostream>

#include "host/Automation.h"
#include "host/HostConnection.h"
#include "launcher/Edition.h"
#include "launcher/Main.h"
#include "support/SimulatedPlatform.h"

namespace MorlaventMenu::Testing {

// Each test starts from a program that has just started: edition texts as Main sets them,
// no references into AutoCAD, a clear failure report.
class LauncherTest : public ::testing::Test {
 protected:
  LauncherTest() {
    Host = HostConnection{};
    FailureReport.Clear();
    SetEditionTexts();
  }
  ~LauncherTest() override {
    Host = HostConnection{};
    FailureReport.Clear();
  }

  SimulatedPlatform platform;
};

// Table rows print as their name, not as bytes.
template <typename Row>
auto operator<<(std::ostream& out, const Row& row) -> decltype(out << row.name) {
  return out << row.name;
}

// Same, for parameterised tables.
template <typename Row>
class LauncherTableTest : public LauncherTest, public ::testing::WithParamInterface<Row> {};

}  // namespace MorlaventMenu::Testing
