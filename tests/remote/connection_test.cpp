#include "fixture.h"

#include "platform/base/error.h"
#include "remote/catalogue.h"
#include "remote/transport.h"

namespace yz::test {
namespace {

TEST(Catalogue, NamesEveryServerWithItsClass) {
  EXPECT_EQ(remote::Catalogue().size(), 22u);
  const remote::ServerInfo* tag = remote::FindServerByClassId("88e4a433-cee0-11d3-affb-0080ad1e1788");
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->progId, kTagServer);
  const remote::ServerInfo* auth = remote::FindServerByClassId("{ECD17B08-D536-49D5-936A-C8F5D23B968A}");
  ASSERT_NE(auth, nullptr);
  EXPECT_EQ(auth->providers, std::vector<std::string>{"dspPubSql"});
  const remote::ServerInfo* print = remote::FindServerByProgId("yz_data.rt_com_yz_yz_order_print");
  ASSERT_NE(print, nullptr);
  EXPECT_NE(std::find(print->methods.begin(), print->methods.end(), "UpdateStopOrder"), print->methods.end());
  for (const auto& s : remote::Catalogue()) EXPECT_EQ(remote::FindServerByProgId(s.progId), &s);
}

TEST(Transport, ComputerNameChoosesTheDatabase) {
  EXPECT_EQ(remote::EmbeddedLocation("sqlite:/tmp/ward.db"), "/tmp/ward.db");
  EXPECT_EQ(remote::EmbeddedLocation("sqlite::memory:"), ":memory:");
  EXPECT_EQ(remote::EmbeddedLocation("appserver01"), "");
  unsetenv("YZ_DATABASE");
  EXPECT_EQ(remote::EmbeddedLocation(""), "yzdemo.db");
  setenv("YZ_DATABASE", "/data/ward.db", 1);
  EXPECT_EQ(remote::EmbeddedLocation("  "), "/data/ward.db");
  unsetenv("YZ_DATABASE");
}

TEST_F(ServersTest, ConnectionConnectsCountsAndReconnects) {
  remote::Connection c(kConfigServer, "", kMemory);
  EXPECT_FALSE(c.Connected());
  c.Call("GetSysTime");  // connects on first use
  EXPECT_TRUE(c.Connected());
  EXPECT_EQ(c.ConnectCount(), 1);
  c.Disconnect();
  c.Connect();
  c.Connect();  // already connected: no second activation
  EXPECT_EQ(c.ConnectCount(), 2);
  c.SetComputerName("sqlite::memory:");  // same computer: stays connected
  EXPECT_TRUE(c.Connected());
}

TEST_F(ServersTest, AuthorizationServerIsReachedByClassIdentifierOnly) {
  remote::Connection auth("", "{ECD17B08-D536-49D5-936A-C8F5D23B968A}", kMemory);
  auth.Execute("dspPubSql", data::Params(),
               "insert into ovhk_authorize (request_opera,request_time,deleted_flag) values ('00003', "
               "convert(varchar(19),GetDate(),121), '0')");
  data::DataPacket p = auth.GetRecords("dspPubSql", data::Params(), "select request_time from ovhk_authorize");
  ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(p.rows[0].values[0].ToString(), "2024-05-06 09:30:15");
  EXPECT_EQ(remote::CallRecord().back().server, remote::kAuthorizeServer);
}

TEST_F(ServersTest, ErrorsCarryTheServersText) {
  struct Case {
    std::string progId, computer, call, text;
  } cases[] = {
      {kConfigServer, "appserver01", "GetSysTime", "'appserver01' cannot be reached"},
      {"no.such_server", kMemory, "GetSysTime", "'no.such_server' is not registered"},
      {"yz_logic.rt_com_EraseOrder", kMemory, "UpdateErase", "not implemented by the reference servers"},
      {kConfigServer, kMemory, "NoSuchMethod", "'NoSuchMethod' is not known"},
      {kConfigServer, kMemory, "GetOrdercode", "expects 1 arguments"},
  };
  for (const auto& c : cases) {
    remote::Connection conn(c.progId, "", c.computer);
    try {
      conn.Call(c.call);
      ADD_FAILURE() << c.call << " succeeded";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos) << e.what();
    }
  }
}

TEST_F(ServersTest, FaultSwitchFailsTheNamedCall) {
  remote::Connection config(kConfigServer, "", kMemory);
  remote::SetFault("GetSysDateTime", "服务器时间不可用");
  try {
    config.Call("GetSysDateTime");
    FAIL() << "no fault";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "服务器时间不可用");
  }
  EXPECT_EQ(remote::CallsNamed("GetSysDateTime").back().answer, "error: 服务器时间不可用");
  EXPECT_NO_THROW(config.Call("GetSysTime"));  // other calls go through

  // Limited to one server; providers and activation can fail too.
  remote::Connection user(kUserServer, "", kMemory);
  data::Params form = user.GetParams("dspUserForm");
  remote::SetFault(kUserServer, "dspUserForm", "no forms");
  remote::SetFault(kTagServer, "Connect", "tag server down");
  remote::Connection other(kConfigServer, "", kMemory);
  remote::SetFault(kConfigServer, "dspUserForm", "never");  // another server's fault does not apply
  EXPECT_THROW(user.GetRecords("dspUserForm", form, ""), Error);
  EXPECT_THROW(tags.Connect(), Error);
  EXPECT_FALSE(tags.Connected());
  remote::ClearFaults();
  EXPECT_NO_THROW(config.Call("GetSysDateTime"));
  EXPECT_NO_THROW(tags.Connect());
}

TEST_F(ServersTest, CallRecordHoldsWhatWasSent) {
  data::Params p;
  p.Add(data::Param("dept", data::FieldType::String, Variant("0101")));
  p.Add(data::Param("ward", data::FieldType::String, Variant("0111")));
  remote::Connection pat(kPatientServer, "", kMemory);
  pat.GetRecords("dspActPatient", p, "");
  Sql("select patient_id from zy_actpatient where patient_id = '000100001' and admiss_times = 1");
  VariantArray args{Variant("new"), Variant(2)};
  remote::Connection config(kConfigServer, "", kMemory);
  config.Call("GetMulOrdercode", args);

  auto& rec = remote::CallRecord();
  auto opened = remote::CallsNamed("dspActPatient");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].server, kPatientServer);
  EXPECT_EQ(opened[0].kind, "GetRecords");
  EXPECT_EQ(opened[0].params, "dept='0101'; ward='0111'");
  EXPECT_EQ(opened[0].answer, "2 rows");
  auto sql = remote::CallsNamed("DSP_dict");
  ASSERT_EQ(sql.size(), 1u);
  EXPECT_EQ(sql[0].commandText, "select patient_id from zy_actpatient where patient_id = '000100001' and admiss_times = 1");
  EXPECT_EQ(sql[0].answer, "1 rows");
  EXPECT_EQ(rec.back().name, "GetMulOrdercode");
  EXPECT_EQ(rec.back().args, "'new'; 2");
  EXPECT_EQ(rec.back().answer, "1002");
  EXPECT_EQ(remote::CallsNamed("Connect").size(), 3u);
  // By-reference arguments are recorded as they went and as they came back.
  remote::Connection user(kUserServer, "", kMemory);
  VariantArray login{Variant("zhang"), Variant(""), Variant("1234"), Variant(""), Variant()};
  user.Call("UserLogin", login);
  EXPECT_EQ(rec.back().args, "'zhang'; ''; '1234'; ''; null");
  EXPECT_EQ(rec.back().argsOut, "'zhang'; ''; '1234'; ''; '00001'");
  EXPECT_EQ(rec.back().answer, "'00001'");
  remote::ClearCallRecord();
  EXPECT_TRUE(rec.empty());
}

}  // namespace
}  // namespace yz::test
