#include "platform/data/types.h"

#include "platform/base/text.h"

namespace yz::data {

namespace {
constexpr std::string_view kTypeNames[] = {"String",  "FixedChar", "SmallInt", "Integer",  "Word",
                                           "LargeInt", "Float",     "Boolean",  "DateTime", "Blob"};
}

std::string_view FieldTypeName(FieldType t) { return kTypeNames[static_cast<int>(t)]; }

bool ParseFieldType(std::string_view name, FieldType* out) {
  for (int i = 0; i < static_cast<int>(std::size(kTypeNames)); ++i) {
    if (text::SameText(name, kTypeNames[i])) {
      *out = static_cast<FieldType>(i);
      return true;
    }
  }
  return false;
}

bool IsNumericType(FieldType t) {
  switch (t) {
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::Word:
    case FieldType::LargeInt:
    case FieldType::Float:
      return true;
    default:
      return false;
  }
}

}  // namespace yz::data
