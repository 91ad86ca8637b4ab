// Provider record sets of the data layer on a connection to the embedded servers.
#include "fixture.h"

#include "platform/data/clientdataset.h"
#include "platform/data/field.h"

namespace yz::test {
namespace {

TEST_F(ServersTest, ProviderSetAppliesItsChangesAndReconcilesAConcurrentChange) {
  remote::Connection pat(kPatientServer, "", kMemory);
  data::ClientDataSet cds("cdsDeposit");
  cds.SetRemoteServer(&pat);
  cds.SetProviderName("dspDeposit");
  cds.FetchParams();
  cds.GetParams()[0].SetAsString("000100001");
  cds.GetParams()[1].SetAsInteger(1);
  cds.Open();
  ASSERT_EQ(cds.RecordCount(), 2);

  cds.First();
  cds.Edit();
  cds.FieldByName("depo_amount").SetAsFloat(2100);
  cds.Post();
  cds.Next();
  cds.Edit();
  cds.FieldByName("depo_amount").SetAsFloat(700);
  cds.Post();
  // Meanwhile someone else changes the second deposit.
  Db().Exec("update zy_deposit set depo_amount = 555 where item_no = 2");

  std::vector<std::string> reconciled;
  cds.OnReconcileError = [&](data::DataSet&, const std::string& error, data::UpdateKind) {
    reconciled.push_back(error);
    return data::ReconcileAction::Skip;
  };
  EXPECT_EQ(cds.ApplyUpdates(0), 1);
  ASSERT_EQ(reconciled.size(), 1u);
  EXPECT_NE(reconciled[0].find("changed by another user"), std::string::npos) << reconciled[0];
  EXPECT_EQ(cds.ChangeCount(), 1);  // the rejected row stays in the log
  EXPECT_EQ(Db().Scalar("select depo_amount from zy_deposit where item_no = 1").ToString(), "2100");
  EXPECT_EQ(Db().Scalar("select depo_amount from zy_deposit where item_no = 2").ToString(), "555");
}

}  // namespace
}  // namespace yz::test
