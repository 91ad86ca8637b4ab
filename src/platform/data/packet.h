// The data packet: the whole content of a record set as one value (columns and rows, with
// a row status for change packets). Servers receive and answer packets; the external
// libraries receive them too. Serialised as versioned JSON.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/variant.h"
#include "platform/data/types.h"

namespace yz::data {

struct PacketColumn {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;
  bool required = false;
  bool readOnly = false;
  bool key = false;  // part of the row's key for the resolver
};

enum class RowStatus { Unmodified, Modified, Inserted, Deleted };

struct PacketRow {
  RowStatus status = RowStatus::Unmodified;
  // One value per column. In a change packet an Unassigned value means "not changed".
  std::vector<Variant> values;
};

struct DataPacket {
  std::vector<PacketColumn> columns;
  std::vector<PacketRow> rows;

  // Index of a column by name, case-insensitive; -1 when missing.
  int ColumnIndex(std::string_view name) const;
  bool Empty() const { return rows.empty(); }

  // {"version":1,"columns":[...],"rows":[{"s":"u","v":[...]}]}; date-times as
  // {"dt":"yyyy-mm-dd hh:nn:ss.zzz"}, bytes as {"b64":"..."}, unassigned as {"u":1}.
  std::string ToJson() const;
  // Throws yz::Error with a clear text on malformed input.
  static DataPacket FromJson(std::string_view json);

  // A packet travelling inside a Variant (a server method that answers a record set).
  Variant ToVariant() const;
  static DataPacket FromVariant(const Variant& v);
};

}  // namespace yz::data
