#include "platform/report/expr.h"

#include <algorithm>
#include <cmath>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::report {

namespace {

std::string Key(std::string_view name) { return text::Lower(name); }

constexpr std::string_view kParamPrefix = "params_";

bool Truthy(const Variant& v) {
  switch (v.Type()) {
    case VarType::Bool: return v.ToBool();
    case VarType::Int:
    case VarType::Int64:
    case VarType::Double: return v.ToDouble() != 0;
    case VarType::Text: return !v.ToString().empty();
    case VarType::Null:
    case VarType::Unassigned: return false;
    default: return true;
  }
}

void NeedArgs(std::string_view fn, const std::vector<Variant>& args, size_t n) {
  if (args.size() != n)
    throw Error("Function " + std::string(fn) + " expects " + std::to_string(n) + " argument(s), got " +
                std::to_string(args.size()));
}

}  // namespace

Environment::Environment() {
  Define("if", [](const std::vector<Variant>& a) {
    NeedArgs("if", a, 3);
    return Truthy(a[0]) ? a[1] : a[2];
  });
  Define("trim", [](const std::vector<Variant>& a) {
    NeedArgs("trim", a, 1);
    return Variant(text::Trim(a[0].ToString()));
  });
  Define("upper", [](const std::vector<Variant>& a) {
    NeedArgs("upper", a, 1);
    return Variant(text::Upper(a[0].ToString()));
  });
  Define("lower", [](const std::vector<Variant>& a) {
    NeedArgs("lower", a, 1);
    return Variant(text::Lower(a[0].ToString()));
  });
  Define("copy", [](const std::vector<Variant>& a) {
    NeedArgs("copy", a, 3);
    int start = a[1].ToInt(), count = a[2].ToInt();
    if (start < 1) start = 1;
    if (count <= 0) return Variant(std::string());
    return Variant(text::Substr(a[0].ToString(), static_cast<size_t>(start - 1), static_cast<size_t>(count)));
  });
  Define("length", [](const std::vector<Variant>& a) {
    NeedArgs("length", a, 1);
    return Variant(static_cast<int>(text::Length(a[0].ToString())));
  });
  Define("str", [](const std::vector<Variant>& a) {
    NeedArgs("str", a, 1);
    return Variant(a[0].ToString());
  });
  Define("date", [](const std::vector<Variant>& a) {
    NeedArgs("date", a, 0);
    return Variant(GetClock().Now().DatePart());
  });
  Define("time", [](const std::vector<Variant>& a) {
    NeedArgs("time", a, 0);
    return Variant(DateTime(GetClock().Now().TimePart()));
  });
  Define("now", [](const std::vector<Variant>& a) {
    NeedArgs("now", a, 0);
    return Variant(GetClock().Now());
  });
  Define("formatdatetime", [](const std::vector<Variant>& a) {
    NeedArgs("formatdatetime", a, 2);
    if (a[1].IsNull()) return Variant(std::string());
    return Variant(a[1].ToDateTime().Format(a[0].ToString()));
  });
}

void Environment::Define(std::string_view name, Function fn) { fns_[Key(name)] = std::move(fn); }

void Environment::DefineValue(std::string_view name, Variant value) {
  Define(name, [value](const std::vector<Variant>& a) {
    if (!a.empty()) throw Error("This function takes no arguments");
    return value;
  });
}

const Environment::Function* Environment::Find(std::string_view name) const {
  auto it = fns_.find(Key(name));
  return it == fns_.end() ? nullptr : &it->second;
}

void Environment::ClearParamFunctions() {
  for (auto it = fns_.begin(); it != fns_.end();) {
    if (it->first.starts_with(kParamPrefix))
      it = fns_.erase(it);
    else
      ++it;
  }
  paramNames_.clear();
  paramValues_.clear();
}

void Environment::SetParamFunctions(const std::vector<std::pair<std::string, std::string>>& params) {
  ClearParamFunctions();
  for (const auto& [rawName, rawValue] : params) {
    std::string name = "Params_" + text::Trim(rawName);
    std::string value = text::Trim(rawValue);
    std::string key = Key(name);
    if (!paramValues_.count(key)) paramNames_.push_back(name);
    paramValues_[key] = value;
    DefineValue(name, Variant(value));
  }
}

std::vector<std::string> Environment::ParamFunctionNames() const { return paramNames_; }

std::string Environment::ParamLiteral(std::string_view name) const {
  auto it = paramValues_.find(Key(name));
  if (it == paramValues_.end()) throw Error("No parameter function '" + std::string(name) + "'");
  return text::SqlLiteral(it->second);
}

// ---------------------------------------------------------------- parser

struct Expression::Node {
  enum Kind { Literal, Name, Call, Unary, Binary } kind = Literal;
  Variant value;          // Literal
  std::string name;       // Name, Call; operator for Unary/Binary
  std::vector<std::shared_ptr<const Node>> args;  // Call args; operands
};

namespace {

using NodeP = std::shared_ptr<const Expression::Node>;
using Node = Expression::Node;

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  NodeP ParseAll() {
    NodeP n = Or();
    Skip();
    if (p_ < s_.size()) Fail("unexpected '" + std::string(s_.substr(p_, 1)) + "'");
    return n;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    std::string msg = "Expression '";
    msg.append(s_).append("': ").append(what).append(" at position ").append(std::to_string(p_ + 1));
    throw Error(msg);
  }
  void Skip() {
    while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\t' || s_[p_] == '\r' || s_[p_] == '\n')) ++p_;
  }
  static bool IdentStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
  }
  static bool IdentChar(char c) { return IdentStart(c) || (c >= '0' && c <= '9') || c == '.'; }

  // Matches a keyword operator (and/or/not) as a whole word.
  bool Word(std::string_view w) {
    Skip();
    if (s_.size() - p_ < w.size()) return false;
    if (!text::SameText(s_.substr(p_, w.size()), w)) return false;
    if (p_ + w.size() < s_.size() && IdentChar(s_[p_ + w.size()])) return false;
    p_ += w.size();
    return true;
  }
  bool Sym(std::string_view sym) {
    Skip();
    if (s_.substr(p_, sym.size()) == sym) {
      p_ += sym.size();
      return true;
    }
    return false;
  }
  static NodeP Bin(std::string op, NodeP a, NodeP b) {
    auto n = std::make_shared<Node>();
    n->kind = Node::Binary;
    n->name = std::move(op);
    n->args = {std::move(a), std::move(b)};
    return n;
  }

  NodeP Or() {
    NodeP n = And();
    while (Word("or")) n = Bin("or", n, And());
    return n;
  }
  NodeP And() {
    NodeP n = Not();
    while (Word("and")) n = Bin("and", n, Not());
    return n;
  }
  NodeP Not() {
    if (Word("not")) {
      auto n = std::make_shared<Node>();
      n->kind = Node::Unary;
      n->name = std::string("not", 3);
      n->args = {Not()};
      return n;
    }
    return Cmp();
  }
  NodeP Cmp() {
    NodeP n = Add();
    for (std::string_view op : {"<=", ">=", "<>", "=", "<", ">"}) {
      if (Sym(op)) return Bin(std::string(op), n, Add());
    }
    return n;
  }
  NodeP Add() {
    NodeP n = Mul();
    for (;;) {
      if (Sym("+"))
        n = Bin("+", n, Mul());
      else if (Sym("-"))
        n = Bin("-", n, Mul());
      else
        return n;
    }
  }
  NodeP Mul() {
    NodeP n = Unary();
    for (;;) {
      if (Sym("*"))
        n = Bin("*", n, Unary());
      else if (Sym("/"))
        n = Bin("/", n, Unary());
      else
        return n;
    }
  }
  NodeP Unary() {
    if (Sym("-")) {
      auto n = std::make_shared<Node>();
      n->kind = Node::Unary;
      n->name = std::string(1, '-');
      n->args = {Unary()};
      return n;
    }
    return Primary();
  }
  NodeP Primary() {
    Skip();
    if (p_ >= s_.size()) Fail("unexpected end");
    char c = s_[p_];
    auto n = std::make_shared<Node>();
    if (c == '(') {
      ++p_;
      NodeP inner = Or();
      if (!Sym(")")) Fail("missing ')'");
      return inner;
    }
    if (c == '\'' || c == '"') {
      ++p_;
      std::string v;
      for (;;) {
        if (p_ >= s_.size()) Fail("unterminated text");
        if (s_[p_] == c) {
          if (p_ + 1 < s_.size() && s_[p_ + 1] == c) {
            v += c;
            p_ += 2;
            continue;
          }
          ++p_;
          break;
        }
        v += s_[p_++];
      }
      n->value = Variant(std::move(v));
      return n;
    }
    if ((c >= '0' && c <= '9') || c == '.') {
      size_t start = p_;
      while (p_ < s_.size() && ((s_[p_] >= '0' && s_[p_] <= '9') || s_[p_] == '.')) ++p_;
      std::string_view num = s_.substr(start, p_ - start);
      double d = 0;
      if (!ParseNumber(num, &d)) Fail("bad number '" + std::string(num) + "'");
      if (num.find('.') == std::string_view::npos && d >= -2147483648.0 && d <= 2147483647.0)
        n->value = Variant(static_cast<int>(d));
      else
        n->value = Variant(d);
      return n;
    }
    if (IdentStart(c)) {
      size_t start = p_;
      while (p_ < s_.size() && IdentChar(s_[p_])) ++p_;
      n->name = std::string(s_.substr(start, p_ - start));
      n->kind = Node::Name;
      if (Sym("(")) {
        n->kind = Node::Call;
        if (!Sym(")")) {
          do {
            n->args.push_back(Or());
          } while (Sym(","));
          if (!Sym(")")) Fail("missing ')'");
        }
      }
      return n;
    }
    Fail("unexpected '" + std::string(1, c) + "'");
  }

  std::string_view s_;
  size_t p_ = 0;
};

struct Evaluator {
  const Environment& env;
  const FieldReader* fields;
  const std::string& text;

  [[noreturn]] void Fail(const std::string& what) const { throw Error("Expression '" + text + "': " + what); }

  Variant Eval(const Node& n) const {
    switch (n.kind) {
      case Node::Literal: return n.value;
      case Node::Name:
      case Node::Call: {
        std::vector<Variant> args;
        args.reserve(n.args.size());
        for (const auto& a : n.args) args.push_back(Eval(*a));
        if (const auto* fn = env.Find(n.name)) {
          try {
            return (*fn)(args);
          } catch (const Error& e) {
            Fail(n.name + ": " + e.what());
          }
        }
        if (n.kind == Node::Name) {
          std::string_view field = n.name;
          if (fields && !fields->HasField(field)) {
            auto dot = field.rfind('.');
            if (dot != std::string_view::npos) field = field.substr(dot + 1);
          }
          if (fields && fields->HasField(field)) return fields->Value(field);
        }
        Fail("unknown name '" + n.name + "'");
      }
      case Node::Unary: {
        Variant v = Eval(*n.args[0]);
        if (n.name == "not") return Variant(!Truthy(v));
        try {
          if (v.Type() == VarType::Int) return Variant(-v.ToInt());
          return Variant(-v.ToDouble());
        } catch (const Error& e) {
          Fail(e.what());
        }
      }
      case Node::Binary: return Binary(n);
    }
    return Variant();
  }

  Variant Binary(const Node& n) const {
    const std::string& op = n.name;
    if (op == "and") return Variant(Truthy(Eval(*n.args[0])) && Truthy(Eval(*n.args[1])));
    if (op == "or") return Variant(Truthy(Eval(*n.args[0])) || Truthy(Eval(*n.args[1])));
    Variant a = Eval(*n.args[0]);
    Variant b = Eval(*n.args[1]);
    try {
      if (op == "+") {
        if (a.IsText() || b.IsText() || (a.IsNull() && b.IsNull())) return Variant(a.ToString() + b.ToString());
        if (a.Type() == VarType::DateTime) return Variant(a.ToDateTime() + b.ToDouble());
        if (a.Type() == VarType::Int && b.Type() == VarType::Int)
          return Variant(static_cast<int64_t>(a.ToInt()) + b.ToInt());
        return Variant(a.ToDouble() + b.ToDouble());
      }
      if (op == "-") {
        if (a.Type() == VarType::Int && b.Type() == VarType::Int)
          return Variant(static_cast<int64_t>(a.ToInt()) - b.ToInt());
        return Variant(a.ToDouble() - b.ToDouble());
      }
      if (op == "*") return Variant(a.ToDouble() * b.ToDouble());
      if (op == "/") {
        double d = b.ToDouble();
        if (d == 0) Fail("division by zero");
        return Variant(a.ToDouble() / d);
      }
      int c = Variant::Compare(a, b);
      if (op == "=") return Variant(c == 0);
      if (op == "<>") return Variant(c != 0);
      if (op == "<") return Variant(c < 0);
      if (op == ">") return Variant(c > 0);
      if (op == "<=") return Variant(c <= 0);
      if (op == ">=") return Variant(c >= 0);
    } catch (const ConvertError& e) {
      Fail(e.what());
    }
    Fail("unknown operator " + op);
  }
};

}  // namespace

Expression Expression::Parse(std::string_view text) {
  Expression e;
  e.text_ = std::string(text);
  if (text::Trim(text).empty()) throw Error("Expression is empty");
  e.root_ = Parser(e.text_).ParseAll();
  return e;
}

Variant Expression::Evaluate(const Environment& env, const FieldReader* fields) const {
  if (!root_) throw Error("Expression was not parsed");
  return Evaluator{env, fields, text_}.Eval(*root_);
}

Variant Evaluate(std::string_view text, const Environment& env, const FieldReader* fields) {
  return Expression::Parse(text).Evaluate(env, fields);
}

}  // namespace yz::report
