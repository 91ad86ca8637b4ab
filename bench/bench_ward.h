// The benchmarks' ward: a fresh in-memory demo database with 60 extra drugs in the inpatient
// pharmacy (pinyin "BENCH0".."BENCH59"), so that a tag-118 search answers a full list.
#pragma once
#include <memory>
#include <string>

#include "platform/base/variant.h"
#include "servers/database.h"
#include "servers/servers.h"

namespace yz::bench {

inline std::shared_ptr<servers::Database> BenchWard() {
  servers::InstallEmbeddedServers();
  servers::CloseDatabases();
  auto db = servers::DatabaseAt(":memory:");
  db->ExecScript("begin");
  for (int i = 0; i < 60; ++i) {
    std::string code = "B" + std::to_string(1000 + i);
    db->Exec("insert into yp_dict (charge_code, serial, name, drug_spec, py_code, d_code, order_type, mini_unit,"
             " drug_flag, expensive, yp_order_class, limit_amount) values (?1, '01', ?2, '10mg', ?3, ?3, 'c', '片',"
             " '0', '0', '0', 10)",
             {Variant(code), Variant("测试药品" + std::to_string(i)), Variant("BENCH" + std::to_string(i))});
    db->Exec("insert into yp_stock values ('1011', ?1, '01', 100)", {Variant(code)});
  }
  db->ExecScript("commit");
  return db;
}

}  // namespace yz::bench
