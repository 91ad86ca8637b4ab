// A module test: embedded servers on a fresh in-memory database with the demo ward, a manual
// clock, a clean application (boxes, answers, timers) and a clean call record. The session's
// appserver points the connections at the in-memory database.
#pragma once
#include <gtest/gtest.h>

#include "framework/session.h"
#include "platform/base/clock.h"
#include "platform/ui/forms.h"
#include "remote/callrecord.h"
#include "servers/database.h"
#include "servers/servers.h"

namespace yz::test {

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    servers::InstallEmbeddedServers();
    servers::CloseDatabases();
    remote::ClearCallRecord();
    remote::ClearFaults();
    SetClock(&clock);
    ui::App().Reset();
    Session() = SessionContext{};
    Session().settings.appserver = "sqlite::memory:";
  }
  void TearDown() override {
    ui::App().Reset();
    SetClock(nullptr);
    remote::ClearFaults();
    servers::CloseDatabases();
  }
  servers::Database& Db() { return *servers::DatabaseAt(":memory:"); }
  // Statements sent as command text or SQL-tag text, in order.
  static std::vector<std::string> Statements() {
    std::vector<std::string> out;
    for (auto& c : remote::CallRecord())
      if (!c.commandText.empty()) out.push_back(c.commandText);
    return out;
  }

  ManualClock clock{DateTime::FromParts(2024, 5, 6, 9, 30, 15)};
};

}  // namespace yz::test
