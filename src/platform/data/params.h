// Typed parameters of a provider record set or a command. Names may repeat; the list is sent
// in order, so a server reads it by position.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/variant.h"
#include "platform/data/types.h"

namespace yz::data {

enum class ParamDirection { Input, Output, InputOutput };

class Param {
 public:
  Param() = default;
  Param(std::string name, FieldType type, Variant value = Variant(), ParamDirection dir = ParamDirection::Input)
      : name_(std::move(name)), type_(type), value_(std::move(value)), dir_(dir) {}

  const std::string& Name() const { return name_; }
  FieldType DataType() const { return type_; }
  void SetDataType(FieldType t) { type_ = t; }
  ParamDirection Direction() const { return dir_; }
  const Variant& Value() const { return value_; }
  void SetValue(Variant v) { value_ = std::move(v); }
  bool IsNull() const { return value_.IsNull(); }
  void Clear() { value_ = Variant(); }

  std::string AsString() const { return value_.ToString(); }
  int AsInteger() const { return value_.ToInt(); }
  double AsFloat() const { return value_.ToDouble(); }
  // Assigning through the typed setters also sets the parameter's type.
  void SetAsString(std::string v) { type_ = FieldType::String; value_ = Variant(std::move(v)); }
  void SetAsInteger(int v) { type_ = FieldType::Integer; value_ = Variant(v); }
  void SetAsFloat(double v) { type_ = FieldType::Float; value_ = Variant(v); }
  void SetAsDateTime(DateTime v) { type_ = FieldType::DateTime; value_ = Variant(v); }

 private:
  std::string name_;
  FieldType type_ = FieldType::String;
  Variant value_;
  ParamDirection dir_ = ParamDirection::Input;
};

class Params {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  Param& operator[](int i) { return items_.at(static_cast<size_t>(i)); }
  const Param& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
  // The first parameter of that name (case-insensitive); null when missing.
  Param* FindParam(std::string_view name);
  const Param* FindParam(std::string_view name) const;
  // As FindParam, but throws yz::Error "Parameter 'x' not found".
  Param& ParamByName(std::string_view name);
  Param& Add(Param p);
  Param& CreateParam(FieldType type, std::string name, ParamDirection dir = ParamDirection::Input);
  void Clear() { items_.clear(); }
  std::vector<Param>::iterator begin() { return items_.begin(); }
  std::vector<Param>::iterator end() { return items_.end(); }
  std::vector<Param>::const_iterator begin() const { return items_.begin(); }
  std::vector<Param>::const_iterator end() const { return items_.end(); }

 private:
  std::vector<Param> items_;
};

}  // namespace yz::data
