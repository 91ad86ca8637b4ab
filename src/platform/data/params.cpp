#include "platform/data/params.h"

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::data {

Param* Params::FindParam(std::string_view name) {
  for (auto& p : items_)
    if (text::SameText(p.Name(), name)) return &p;
  return nullptr;
}

const Param* Params::FindParam(std::string_view name) const {
  for (const auto& p : items_)
    if (text::SameText(p.Name(), name)) return &p;
  return nullptr;
}

Param& Params::ParamByName(std::string_view name) {
  if (Param* p = FindParam(name)) return *p;
  throw Error("Parameter '" + std::string(name) + "' not found");
}

Param& Params::Add(Param p) {
  items_.push_back(std::move(p));
  return items_.back();
}

Param& Params::CreateParam(FieldType type, std::string name, ParamDirection dir) {
  return Add(Param(std::move(name), type, Variant(), dir));
}

}  // namespace yz::data
