// Report expressions: a small language for computed texts.
//
//   literals      'text' (a doubled '' inside is one quote), "text", 12, 3.5
//   names         a function of the environment (called with or without parentheses), else
//                 a field of the report's rows; names are case-insensitive
//   operators     + (text concatenation when either side is text, else addition), - * /,
//                 = <> < > <= >=, and, or, not, parentheses
//   built-ins     if(cond, a, b), trim(s), upper(s), lower(s), copy(s, start, count) (1-based),
//                 length(s), str(x), date(), time(), now(), formatdatetime(pattern, value)
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/variant.h"

namespace yz::report {

// Field values an expression may read (the report's current row).
class FieldReader {
 public:
  virtual ~FieldReader() = default;
  virtual bool HasField(std::string_view name) const = 0;
  virtual Variant Value(std::string_view name) const = 0;
};

class Environment {
 public:
  using Function = std::function<Variant(const std::vector<Variant>& args)>;

  Environment();  // the built-in functions only

  // Adds or replaces a function (names are case-insensitive).
  void Define(std::string_view name, Function fn);
  // A function without arguments answering a fixed value.
  void DefineValue(std::string_view name, Variant value);
  const Function* Find(std::string_view name) const;
  bool Has(std::string_view name) const { return Find(name) != nullptr; }

  // Parameter functions: every earlier "Params_" function is removed, then for each
  // (name, value) pair, in order, "Params_" + trimmed name answers the trimmed value as a
  // text. The value is kept as it is, so quotes inside it need no escaping.
  void SetParamFunctions(const std::vector<std::pair<std::string, std::string>>& params);
  void ClearParamFunctions();
  std::vector<std::string> ParamFunctionNames() const;  // in definition order
  // The function's value written as a quoted literal ('0001', inner quotes doubled).
  std::string ParamLiteral(std::string_view name) const;

 private:
  std::map<std::string, Function> fns_;  // key: lower-case name
  std::vector<std::string> paramNames_;   // as defined
  std::map<std::string, std::string> paramValues_;  // key: lower-case name
};

// A parsed expression; parse once, evaluate per row.
class Expression {
 public:
  struct Node;
  // Throws yz::Error "Expression 'x': ..." when the text does not parse.
  static Expression Parse(std::string_view text);
  Variant Evaluate(const Environment& env, const FieldReader* fields) const;
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  std::shared_ptr<const Node> root_;
};

// Convenience: parse and evaluate once.
Variant Evaluate(std::string_view text, const Environment& env, const FieldReader* fields = nullptr);

}  // namespace yz::report
