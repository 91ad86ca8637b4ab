// Small enums shared by fields, packets and params.
#pragma once
#include <string_view>

namespace yz::data {

enum class FieldType { String, FixedChar, SmallInt, Integer, Word, LargeInt, Float, Boolean, DateTime, Blob };
enum class FieldKind { Data, Lookup, Calculated, InternalCalc };
enum class UpdateKind { Modify, Insert, Delete };

std::string_view FieldTypeName(FieldType t);           // "String", "Integer", ...
bool ParseFieldType(std::string_view name, FieldType* out);  // inverse, case-insensitive
bool IsNumericType(FieldType t);

}  // namespace yz::data
