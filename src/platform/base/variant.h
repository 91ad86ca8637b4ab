// A tagged value: what a field, a parameter or a server-method argument holds.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/base/datetime.h"

namespace yz {

enum class VarType { Unassigned, Null, Bool, Int, Int64, Double, Text, DateTime, Bytes, Array };

class Variant;
using VariantArray = std::vector<Variant>;

// Raw bytes (a blob, or a data packet handed over as one value).
struct Bytes {
  std::string data;
  friend bool operator==(const Bytes&, const Bytes&) = default;
};

class Variant {
 public:
  Variant() : v_(NullTag{}) {}  // null
  Variant(std::nullptr_t) : v_(NullTag{}) {}
  Variant(bool b) : v_(b) {}
  Variant(int i) : v_(static_cast<int32_t>(i)) {}
  Variant(int64_t i) : v_(i) {}
  Variant(long long i) : v_(static_cast<int64_t>(i)) {}
  Variant(double d) : v_(d) {}
  Variant(const char* s) : v_(std::string(s)) {}
  Variant(std::string s) : v_(std::move(s)) {}
  Variant(std::string_view s) : v_(std::string(s)) {}
  Variant(DateTime t) : v_(t) {}
  Variant(Bytes b) : v_(std::move(b)) {}
  Variant(VariantArray a) : v_(std::make_shared<VariantArray>(std::move(a))) {}

  // "Not given", distinct from null: a delta's unchanged column, an optional argument.
  static Variant Unassigned() {
    Variant v;
    v.v_ = UnassignedTag{};
    return v;
  }

  VarType Type() const { return static_cast<VarType>(v_.index()); }
  bool IsNull() const { return Type() == VarType::Null || Type() == VarType::Unassigned; }
  bool IsUnassigned() const { return Type() == VarType::Unassigned; }
  bool IsNumeric() const;
  bool IsText() const { return Type() == VarType::Text; }

  // Conversions. Null gives "", 0, false; a text that is not a number, date or boolean
  // throws ConvertError with the classic wording.
  std::string ToString() const;  // doubles in shortest form, dates in the default text
  int32_t ToInt() const;         // doubles round half away from zero
  int64_t ToInt64() const;
  double ToDouble() const;
  bool ToBool() const;
  DateTime ToDateTime() const;
  const Bytes& AsBytes() const;  // throws unless Bytes
  const VariantArray& AsArray() const;  // throws unless Array
  VariantArray& AsArray();

  // Same type and value; numbers compare by value across Int/Int64/Double.
  friend bool operator==(const Variant& a, const Variant& b);
  // Ordering used by sort and filters: null first, numbers by value, texts bytewise,
  // date-times by value; mixed text/number compare as numbers when the text parses.
  static int Compare(const Variant& a, const Variant& b, bool caseInsensitive = false);

  // A short description for diagnostics: null, 12, 'text', 2024-01-02 ...
  std::string Debug() const;

 private:
  struct UnassignedTag {
    friend bool operator==(UnassignedTag, UnassignedTag) { return true; }
  };
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  std::variant<UnassignedTag, NullTag, bool, int32_t, int64_t, double, std::string, DateTime, Bytes,
               std::shared_ptr<VariantArray>>
      v_;
};

// Shortest text of a number with at most 15 significant digits and no exponent for the
// values a ward writes (1500, 0.25, 28.33, 1234567890).
std::string FormatNumber(double v);
// Parses a decimal number ("12", "-0.5", " 3 "); nullopt-like false on anything else.
bool ParseNumber(std::string_view s, double* out);
// Parses an integer: decimal, or hexadecimal with 0x / $ prefix.
bool ParseInteger(std::string_view s, int64_t* out);

}  // namespace yz
