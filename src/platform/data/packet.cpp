// Data packets and their JSON form. Only this file knows the JSON library.
#include "platform/data/packet.h"

#include <nlohmann/json.hpp>

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::data {

using Json = nlohmann::json;

int DataPacket::ColumnIndex(std::string_view name) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (text::SameText(columns[i].name, name)) return static_cast<int>(i);
  return -1;
}

namespace {

constexpr char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(std::string_view in) {
  std::string out;
  out.reserve((in.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned n = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                 static_cast<unsigned char>(in[i + 2]);
    out += kB64[(n >> 18) & 63];
    out += kB64[(n >> 12) & 63];
    out += kB64[(n >> 6) & 63];
    out += kB64[n & 63];
  }
  if (i < in.size()) {
    unsigned n = static_cast<unsigned char>(in[i]) << 16;
    if (i + 1 < in.size()) n |= static_cast<unsigned char>(in[i + 1]) << 8;
    out += kB64[(n >> 18) & 63];
    out += kB64[(n >> 12) & 63];
    out += i + 1 < in.size() ? kB64[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view in) {
  std::string out;
  unsigned buf = 0;
  int bits = 0;
  for (char c : in) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == '=') break;
    else throw Error("Data packet: invalid base64 text");
    buf = (buf << 6) | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buf >> bits) & 0xFF);
    }
  }
  return out;
}

Json ValueToJson(const Variant& v) {
  switch (v.Type()) {
    case VarType::Unassigned: return Json{{"u", 1}};
    case VarType::Null: return nullptr;
    case VarType::Bool: return v.ToBool();
    case VarType::Int:
    case VarType::Int64: return v.ToInt64();
    case VarType::Double: return v.ToDouble();
    case VarType::Text: return v.ToString();
    case VarType::DateTime: return Json{{"dt", v.ToDateTime().Format("yyyy-mm-dd hh:nn:ss.zzz")}};
    case VarType::Bytes: return Json{{"b64", Base64Encode(v.AsBytes().data)}};
    case VarType::Array: {
      Json a = Json::array();
      for (const auto& e : v.AsArray()) a.push_back(ValueToJson(e));
      return a;
    }
  }
  return nullptr;
}

Variant ValueFromJson(const Json& j) {
  switch (j.type()) {
    case Json::value_t::null: return Variant();
    case Json::value_t::boolean: return Variant(j.get<bool>());
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: {
      int64_t n = j.get<int64_t>();
      if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int>(n));
      return Variant(n);
    }
    case Json::value_t::number_float: return Variant(j.get<double>());
    case Json::value_t::string: return Variant(j.get<std::string>());
    case Json::value_t::array: {
      VariantArray a;
      for (const auto& e : j) a.push_back(ValueFromJson(e));
      return Variant(std::move(a));
    }
    case Json::value_t::object: {
      if (j.contains("u")) return Variant::Unassigned();
      if (j.contains("dt")) return Variant(DateTime::ParseOrThrow(j.at("dt").get<std::string>()));
      if (j.contains("b64")) return Variant(Bytes{Base64Decode(j.at("b64").get<std::string>())});
      throw Error("Data packet: unknown value object " + j.dump());
    }
    default: throw Error("Data packet: unsupported value " + j.dump());
  }
}

const char* StatusCode(RowStatus s) {
  switch (s) {
    case RowStatus::Modified: return "m";
    case RowStatus::Inserted: return "i";
    case RowStatus::Deleted: return "d";
    default: return "u";
  }
}

RowStatus StatusFromCode(const std::string& s) {
  if (s == "u") return RowStatus::Unmodified;
  if (s == "m") return RowStatus::Modified;
  if (s == "i") return RowStatus::Inserted;
  if (s == "d") return RowStatus::Deleted;
  throw Error("Data packet: unknown row status '" + s + "'");
}

}  // namespace

std::string DataPacket::ToJson() const {
  Json cols = Json::array();
  for (const auto& c : columns) {
    Json jc{{"name", c.name}, {"type", std::string(FieldTypeName(c.type))}, {"size", c.size}};
    if (c.required) jc["required"] = true;
    if (c.readOnly) jc["readOnly"] = true;
    if (c.key) jc["key"] = true;
    cols.push_back(std::move(jc));
  }
  Json rs = Json::array();
  for (const auto& r : rows) {
    Json vals = Json::array();
    for (const auto& v : r.values) vals.push_back(ValueToJson(v));
    rs.push_back(Json{{"s", StatusCode(r.status)}, {"v", std::move(vals)}});
  }
  Json doc{{"version", 1}, {"columns", std::move(cols)}, {"rows", std::move(rs)}};
  return doc.dump(-1, ' ', false, Json::error_handler_t::replace);
}

DataPacket DataPacket::FromJson(std::string_view json) {
  Json doc;
  try {
    doc = Json::parse(json.begin(), json.end());
  } catch (const std::exception& e) {
    throw Error(std::string("Data packet is not valid JSON: ") + e.what());
  }
  DataPacket p;
  try {
    if (!doc.is_object()) throw Error("Data packet: the document is not an object");
    int version = doc.value("version", 0);
    if (version != 1) throw Error("Data packet: unsupported version " + std::to_string(version));
    for (const auto& jc : doc.at("columns")) {
      PacketColumn c;
      c.name = jc.at("name").get<std::string>();
      std::string type = jc.at("type").get<std::string>();
      if (!ParseFieldType(type, &c.type)) throw Error("Data packet: unknown column type '" + type + "'");
      c.size = jc.value("size", 0);
      c.required = jc.value("required", false);
      c.readOnly = jc.value("readOnly", false);
      c.key = jc.value("key", false);
      p.columns.push_back(std::move(c));
    }
    for (const auto& jr : doc.at("rows")) {
      PacketRow r;
      r.status = StatusFromCode(jr.value("s", std::string("u")));
      const auto& vals = jr.at("v");
      if (vals.size() != p.columns.size())
        throw Error("Data packet: a row has " + std::to_string(vals.size()) + " values for " +
                    std::to_string(p.columns.size()) + " columns");
      r.values.reserve(vals.size());
      for (const auto& v : vals) r.values.push_back(ValueFromJson(v));
      p.rows.push_back(std::move(r));
    }
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    throw Error(std::string("Data packet is malformed: ") + e.what());
  }
  return p;
}

Variant DataPacket::ToVariant() const { return Variant(Bytes{ToJson()}); }

DataPacket DataPacket::FromVariant(const Variant& v) {
  if (v.Type() == VarType::Bytes) return FromJson(v.AsBytes().data);
  if (v.IsText()) return FromJson(v.ToString());
  throw Error("The value " + v.Debug() + " is not a record set");
}

}  // namespace yz::data
