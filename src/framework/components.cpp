#include "framework/components.h"

#include "framework/session.h"
#include "platform/base/variant.h"

namespace yz {

TDCOMConnection::TDCOMConnection(ui::Component* owner, const std::string& name, std::string progId, std::string classId)
    : ui::Component(owner), remote::Connection(std::move(progId), std::move(classId), {}) {
  SetName(name);
}

void TDCOMConnection::DescribeProps(ui::PropList& out) const {
  ui::Component::DescribeProps(out);
  static const ui::PropDef server{"ServerName",
                                  [](const ui::Component& c) {
                                    return static_cast<const TDCOMConnection&>(c).ServerName();
                                  },
                                  nullptr};
  static const ui::PropDef guid{"ServerGUID",
                                [](const ui::Component& c) {
                                  return static_cast<const TDCOMConnection&>(c).ServerGUID();
                                },
                                nullptr};
  static const ui::PropDef computer{
      "ComputerName", [](const ui::Component& c) { return static_cast<const TDCOMConnection&>(c).ComputerName(); },
      [](ui::Component& c, std::string_view v) { static_cast<TDCOMConnection&>(c).SetComputerName(std::string(v)); }};
  static const ui::PropDef connected{
      "Connected",
      [](const ui::Component& c) { return ui::BoolText(static_cast<const TDCOMConnection&>(c).Connected()); },
      [](ui::Component& c, std::string_view v) { static_cast<TDCOMConnection&>(c).SetConnected(ui::ParseBool(v)); }};
  static const ui::PropDef count{"ConnectCount",
                                 [](const ui::Component& c) {
                                   return std::to_string(static_cast<const TDCOMConnection&>(c).ConnectCount());
                                 },
                                 nullptr};
  out.insert(out.end(), {&server, &guid, &computer, &connected, &count});
}

TClientDataSet::TClientDataSet(ui::Component* owner, const std::string& name)
    : ui::Component(owner), data::ClientDataSet(name) {
  SetName(name);
}

void TClientDataSet::Bind(TDCOMConnection* connection, std::string provider) {
  connection_ = connection;
  SetRemoteServer(connection);
  SetProviderName(std::move(provider));
}

void TClientDataSet::DescribeProps(ui::PropList& out) const {
  ui::Component::DescribeProps(out);
  static const ui::PropDef active{
      "Active", [](const ui::Component& c) { return ui::BoolText(static_cast<const TClientDataSet&>(c).Active()); },
      [](ui::Component& c, std::string_view v) { static_cast<TClientDataSet&>(c).SetActive(ui::ParseBool(v)); }};
  static const ui::PropDef provider{"ProviderName",
                                    [](const ui::Component& c) {
                                      return static_cast<const TClientDataSet&>(c).ProviderName();
                                    },
                                    nullptr};
  static const ui::PropDef count{"RecordCount",
                                 [](const ui::Component& c) {
                                   auto& d = static_cast<const TClientDataSet&>(c);
                                   return std::to_string(d.Active() ? d.RecordCount() : 0);
                                 },
                                 nullptr};
  static const ui::PropDef recno{
      "RecNo",
      [](const ui::Component& c) {
        auto& d = static_cast<const TClientDataSet&>(c);
        return std::to_string(d.Active() ? d.RecNo() : 0);
      },
      [](ui::Component& c, std::string_view v) { static_cast<TClientDataSet&>(c).SetRecNo(ui::ParseInt(v)); }};
  static const ui::PropDef changes{"ChangeCount",
                                   [](const ui::Component& c) {
                                     auto& d = static_cast<const TClientDataSet&>(c);
                                     return std::to_string(d.Active() ? d.ChangeCount() : 0);
                                   },
                                   nullptr};
  static const ui::PropDef filter{
      "Filter", [](const ui::Component& c) { return static_cast<const TClientDataSet&>(c).Filter(); },
      [](ui::Component& c, std::string_view v) { static_cast<TClientDataSet&>(c).SetFilter(std::string(v)); }};
  static const ui::PropDef filtered{
      "Filtered", [](const ui::Component& c) { return ui::BoolText(static_cast<const TClientDataSet&>(c).Filtered()); },
      [](ui::Component& c, std::string_view v) { static_cast<TClientDataSet&>(c).SetFiltered(ui::ParseBool(v)); }};
  static const ui::PropDef command{"CommandText",
                                   [](const ui::Component& c) {
                                     return static_cast<const TClientDataSet&>(c).CommandText();
                                   },
                                   nullptr};
  out.insert(out.end(), {&active, &provider, &count, &recno, &changes, &filter, &filtered, &command});
}

TDataSource::TDataSource(ui::Component* owner, const std::string& name, data::DataSet* dataSet)
    : ui::Component(owner), data::DataSource(dataSet) {
  SetName(name);
  data::DataSource::Name = name;
}

TDataModule::TDataModule(ui::Component* owner, const std::string& name) : ui::Component(owner) { SetName(name); }

const std::string& AppServerName() { return Session().settings.appserver; }

}  // namespace yz
