// Embedded servers on a fresh in-memory database with the demo ward, a manual clock, and an
// empty call record and fault list.
#pragma once
#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/data/packet.h"
#include "platform/data/params.h"
#include "remote/callrecord.h"
#include "remote/connection.h"
#include "servers/database.h"
#include "servers/servers.h"

namespace yz::test {

inline constexpr const char* kMemory = "sqlite::memory:";
inline constexpr const char* kTagServer = "jx_mts_tagsql.jx_mts_tag_sql";
inline constexpr const char* kConfigServer = "qz_LogicCom.qz_com_yz_Config";
inline constexpr const char* kUserServer = "user_manage_server.dll_user_manage_server";
inline constexpr const char* kPatientServer = "qz_DataCom.qz_ActPatient";

class ServersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    servers::InstallEmbeddedServers();
    servers::CloseDatabases();
    remote::ClearCallRecord();
    remote::ClearFaults();
    SetClock(&clock);
  }
  void TearDown() override {
    SetClock(nullptr);
    remote::ClearFaults();
    servers::CloseDatabases();
  }
  servers::Database& Db() { return *servers::DatabaseAt(":memory:"); }
  // Runs SQL text through DSP_dict as command text.
  data::DataPacket Sql(const std::string& text) { return tags.GetRecords("DSP_dict", data::Params(), text); }
  static std::string Cell(const data::DataPacket& p, size_t row, const std::string& col) {
    int c = p.ColumnIndex(col);
    EXPECT_GE(c, 0) << "no column " << col;
    if (c < 0 || row >= p.rows.size()) return "<missing>";
    return p.rows[row].values[static_cast<size_t>(c)].ToString();
  }

  ManualClock clock{DateTime::FromParts(2024, 5, 6, 9, 30, 15)};
  remote::Connection tags{kTagServer, "", kMemory};
};

}  // namespace yz::test
