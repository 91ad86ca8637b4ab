// Shared fixture: the demo long-term order sheet layout and demo order rows.
#pragma once
#include <memory>
#include <string>

#include "platform/report/engine.h"
#include "platform/report/layout.h"

namespace yz::report::testing {

inline Layout OrderSheet() { return Layout::LoadFile(YZ_ORDER_SHEET); }

inline const char* const kDrugs[] = {"0.9%氯化钠注射液 250ml 静滴 qd", "头孢呋辛钠 1.5g 静滴 bid",
                                     "阿司匹林肠溶片 100mg 口服 qd", "一级护理", "低盐低脂饮食",
                                     "硝苯地平控释片 30mg 口服 qd"};

// Order rows; every fifth row (5, 10, ...) is a cancelled order.
inline std::shared_ptr<VectorRows> OrderRows(int count) {
  auto rows = std::make_shared<VectorRows>(std::vector<std::string>{
      "start_date", "start_time", "order_name", "d_signer", "end_date", "end_time", "d_signer2", "deleted_flag"});
  for (int i = 1; i <= count; ++i) {
    std::string n = std::to_string(i);
    rows->Add({Variant("05-" + std::string(i % 28 + 1 < 10 ? "0" : "") + std::to_string(i % 28 + 1)),
               Variant("09:30"), Variant(std::string(kDrugs[i % 6]) + " #" + n), Variant("张医生"),
               Variant(), Variant(), Variant(), Variant(i % 5 == 0 ? "1" : "0")});
  }
  return rows;
}

}  // namespace yz::report::testing
