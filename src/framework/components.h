// The module's non-visual components: remote connections, client record sets, data
// sources and data modules as owned, named components of a window, so that a window can
// walk them in component order (retargeting, releasing) and automation can find them by
// name.
#pragma once
#include <string>

#include "platform/data/clientdataset.h"
#include "platform/ui/component.h"
#include "remote/connection.h"

namespace yz {

// A remote connection owned by a window or data module.
class TDCOMConnection : public ui::Component, public remote::Connection {
 public:
  TDCOMConnection(ui::Component* owner, const std::string& name, std::string progId, std::string classId = {});
  std::string ClassName() const override { return "TDCOMConnection"; }
  void DescribeProps(ui::PropList& out) const override;
};

// A client record set owned by a window or data module. Its component name and tag are the
// record set's name and tag.
class TClientDataSet : public ui::Component, public data::ClientDataSet {
 public:
  TClientDataSet(ui::Component* owner, const std::string& name);
  using ui::Component::Name;
  using ui::Component::Tag;
  std::string ClassName() const override { return "TClientDataSet"; }
  void DescribeProps(ui::PropList& out) const override;
  // Connection and provider in one step.
  void Bind(TDCOMConnection* connection, std::string provider);
  TDCOMConnection* Connection() const { return connection_; }

 private:
  TDCOMConnection* connection_ = nullptr;
};

class TDataSource : public ui::Component, public data::DataSource {
 public:
  TDataSource(ui::Component* owner, const std::string& name, data::DataSet* dataSet = nullptr);
  using ui::Component::Name;
  std::string ClassName() const override { return "TDataSource"; }
};

// A data module: a non-visual container of connections and record sets with create and
// destroy events.
class TDataModule : public ui::Component {
 public:
  TDataModule(ui::Component* owner, const std::string& name);
  std::string ClassName() const override { return "TDataModule"; }
};

// The session's appserver setting as a connection's computer name.
const std::string& AppServerName();

}  // namespace yz
