#include "platform/base/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz {

std::string FormatNumber(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string s = buf;
  double a = std::fabs(v);
  if (s.find('e') != std::string::npos && a >= 1e-15 && a < 1e15) {
    // Write it out in full: decimals enough for 15 significant digits, trailing zeros cut.
    int exp10 = static_cast<int>(std::floor(std::log10(a)));
    int decimals = 14 - exp10;
    if (decimals < 0) decimals = 0;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    s = buf;
    if (s.find('.') != std::string::npos) {
      while (!s.empty() && s.back() == '0') s.pop_back();
      if (!s.empty() && s.back() == '.') s.pop_back();
    }
  }
  if (s == "-0") s = "0";
  return s;
}

bool ParseNumber(std::string_view s, double* out) {
  std::string t = text::Trim(s);
  if (t.empty()) return false;
  for (char c : t)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
  char* end = nullptr;
  errno = 0;
  double d = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || errno == ERANGE) return false;
  *out = d;
  return true;
}

bool ParseInteger(std::string_view s, int64_t* out) {
  std::string t = text::Trim(s);
  if (t.empty()) return false;
  bool neg = false;
  size_t i = 0;
  if (t[0] == '-' || t[0] == '+') {
    neg = t[0] == '-';
    i = 1;
  }
  int base = 10;
  if (t.compare(i, 2, "0x") == 0 || t.compare(i, 2, "0X") == 0) {
    base = 16;
    i += 2;
  } else if (i < t.size() && t[i] == '$') {
    base = 16;
    i += 1;
  }
  if (i >= t.size()) return false;
  uint64_t v = 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    if (v > (UINT64_MAX - d) / base) return false;
    v = v * base + d;
  }
  if (base == 10 && v > static_cast<uint64_t>(INT64_MAX)) return false;
  *out = neg ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
  return true;
}

bool Variant::IsNumeric() const {
  auto t = Type();
  return t == VarType::Int || t == VarType::Int64 || t == VarType::Double || t == VarType::Bool;
}

std::string Variant::ToString() const {
  switch (Type()) {
    case VarType::Unassigned:
    case VarType::Null: return "";
    case VarType::Bool: return std::get<bool>(v_) ? "True" : "False";
    case VarType::Int: return std::to_string(std::get<int32_t>(v_));
    case VarType::Int64: return std::to_string(std::get<int64_t>(v_));
    case VarType::Double: return FormatNumber(std::get<double>(v_));
    case VarType::Text: return std::get<std::string>(v_);
    case VarType::DateTime: return std::get<DateTime>(v_).ToString();
    case VarType::Bytes: return std::get<Bytes>(v_).data;
    case VarType::Array: {
      std::string r;
      for (auto& e : *std::get<std::shared_ptr<VariantArray>>(v_)) {
        if (!r.empty()) r += ",";
        r += e.ToString();
      }
      return r;
    }
  }
  return "";
}

double Variant::ToDouble() const {
  switch (Type()) {
    case VarType::Unassigned:
    case VarType::Null: return 0;
    case VarType::Bool: return std::get<bool>(v_) ? 1 : 0;
    case VarType::Int: return std::get<int32_t>(v_);
    case VarType::Int64: return static_cast<double>(std::get<int64_t>(v_));
    case VarType::Double: return std::get<double>(v_);
    case VarType::DateTime: return std::get<DateTime>(v_).Days();
    case VarType::Text: {
      const auto& s = std::get<std::string>(v_);
      double d;
      if (text::Trim(s).empty()) return 0;
      if (!ParseNumber(s, &d)) throw ConvertError("'" + s + "' is not a valid floating point value");
      return d;
    }
    default: throw ConvertError("Could not convert variant of type " + Debug() + " into type Double");
  }
}

int64_t Variant::ToInt64() const {
  switch (Type()) {
    case VarType::Int: return std::get<int32_t>(v_);
    case VarType::Int64: return std::get<int64_t>(v_);
    case VarType::Text: {
      const auto& s = std::get<std::string>(v_);
      if (text::Trim(s).empty()) return 0;
      int64_t i;
      if (ParseInteger(s, &i)) return i;
      double d;
      if (ParseNumber(s, &d)) return static_cast<int64_t>(std::llround(d));
      throw ConvertError("'" + s + "' is not a valid integer value");
    }
    default: return static_cast<int64_t>(std::llround(ToDouble()));
  }
}

int32_t Variant::ToInt() const { return static_cast<int32_t>(ToInt64()); }

bool Variant::ToBool() const {
  switch (Type()) {
    case VarType::Unassigned:
    case VarType::Null: return false;
    case VarType::Bool: return std::get<bool>(v_);
    case VarType::Text: {
      const auto& s = std::get<std::string>(v_);
      if (text::SameText(s, "true") || s == "1") return true;
      if (text::SameText(s, "false") || s == "0" || s.empty()) return false;
      throw ConvertError("'" + s + "' is not a valid boolean value");
    }
    default: return ToDouble() != 0;
  }
}

DateTime Variant::ToDateTime() const {
  switch (Type()) {
    case VarType::Unassigned:
    case VarType::Null: return DateTime(0);
    case VarType::DateTime: return std::get<DateTime>(v_);
    case VarType::Text: return DateTime::ParseOrThrow(std::get<std::string>(v_));
    default: return DateTime(ToDouble());
  }
}

const Bytes& Variant::AsBytes() const {
  if (Type() != VarType::Bytes) throw ConvertError("Variant " + Debug() + " is not a byte array");
  return std::get<Bytes>(v_);
}

const VariantArray& Variant::AsArray() const {
  if (Type() != VarType::Array) throw ConvertError("Variant " + Debug() + " is not an array");
  return *std::get<std::shared_ptr<VariantArray>>(v_);
}

VariantArray& Variant::AsArray() {
  if (Type() != VarType::Array) throw ConvertError("Variant " + Debug() + " is not an array");
  auto& p = std::get<std::shared_ptr<VariantArray>>(v_);
  if (p.use_count() > 1) p = std::make_shared<VariantArray>(*p);  // copy on write
  return *p;
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.IsNumeric() && b.IsNumeric() && a.Type() != VarType::Bool && b.Type() != VarType::Bool)
    return a.ToDouble() == b.ToDouble();
  if (a.Type() != b.Type()) return false;
  if (a.Type() == VarType::Array) return a.AsArray() == b.AsArray();
  return a.v_ == b.v_;
}

int Variant::Compare(const Variant& a, const Variant& b, bool ci) {
  bool an = a.IsNull(), bn = b.IsNull();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  auto cmpd = [](double x, double y) { return x < y ? -1 : (x > y ? 1 : 0); };
  if (a.IsText() && b.IsText()) {
    const auto& x = std::get<std::string>(a.v_);
    const auto& y = std::get<std::string>(b.v_);
    if (ci) return text::CompareText(x, y);
    int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (a.Type() == VarType::DateTime || b.Type() == VarType::DateTime) {
    auto ta = a.IsText() ? DateTime::Parse(a.ToString()) : std::optional<DateTime>(a.ToDateTime());
    auto tb = b.IsText() ? DateTime::Parse(b.ToString()) : std::optional<DateTime>(b.ToDateTime());
    if (ta && tb) return cmpd(ta->Days(), tb->Days());
    return text::CompareText(a.ToString(), b.ToString());
  }
  double x, y;
  bool ok = true;
  if (a.IsText()) ok = ParseNumber(std::get<std::string>(a.v_), &x);
  else x = a.ToDouble();
  if (ok && b.IsText()) ok = ParseNumber(std::get<std::string>(b.v_), &y);
  else if (ok) y = b.ToDouble();
  if (ok) return cmpd(x, y);
  int c = ci ? text::CompareText(a.ToString(), b.ToString()) : a.ToString().compare(b.ToString());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::string Variant::Debug() const {
  switch (Type()) {
    case VarType::Unassigned: return "unassigned";
    case VarType::Null: return "null";
    case VarType::Text: return "'" + std::get<std::string>(v_) + "'";
    case VarType::Bytes: return "bytes(" + std::to_string(std::get<Bytes>(v_).data.size()) + ")";
    case VarType::Array: return "[" + ToString() + "]";
    default: return ToString();
  }
}

}  // namespace yz
