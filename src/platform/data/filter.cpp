#include "platform/data/filter.h"

#include <algorithm>
#include <cctype>

#include "platform/base/error.h"
#include "platform/base/text.h"

namespace yz::data::filter {

namespace {

enum class Op { Or, And, Not, Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike, IsNull, IsNotNull, Field, Literal, Trim,
                Upper, Lower, Neg };

size_t Utf8Len(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 1;
}

bool CharEq(char a, char b, bool ci) {
  if (!ci) return a == b;
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

struct Node {
  Op op;
  std::unique_ptr<Node> a, b;
  int field = -1;
  Variant value;    // literal
  std::string str;  // a text literal's text, kept ready for like patterns

  // Evaluates to a value; a field or literal answers a reference without copying.
  const Variant& Eval(const std::vector<Variant>& row, Variant& tmp) const;
  bool Test(const std::vector<Variant>& row) const;
};

bool Like(std::string_view s, std::string_view p, bool ci) {
  size_t si = 0, pi = 0;
  size_t starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == '%') {
      starP = ++pi;
      starS = si;
      continue;
    }
    if (pi < p.size() && p[pi] == '_') {
      si += Utf8Len(static_cast<unsigned char>(s[si]));
      ++pi;
      continue;
    }
    if (pi < p.size() && CharEq(s[si], p[pi], ci)) {
      ++si;
      ++pi;
      continue;
    }
    if (starP == std::string_view::npos) return false;
    // Let the last '%' swallow one more character and retry.
    starS += Utf8Len(static_cast<unsigned char>(s[starS]));
    si = starS;
    pi = starP;
  }
  while (pi < p.size() && p[pi] == '%') ++pi;
  return pi == p.size();
}

const Variant& Node::Eval(const std::vector<Variant>& row, Variant& tmp) const {
  switch (op) {
    case Op::Field: return row[static_cast<size_t>(field)];
    case Op::Literal: return value;
    case Op::Trim:
    case Op::Upper:
    case Op::Lower: {
      Variant t;
      const Variant& v = a->Eval(row, t);
      if (v.IsNull()) {
        tmp = Variant();
        return tmp;
      }
      std::string s = v.ToString();
      tmp = Variant(op == Op::Trim ? text::Trim(s) : op == Op::Upper ? text::Upper(s) : text::Lower(s));
      return tmp;
    }
    case Op::Neg: {
      Variant t;
      const Variant& v = a->Eval(row, t);
      tmp = v.IsNull() ? Variant() : Variant(-v.ToDouble());
      return tmp;
    }
    default:
      tmp = Variant(Test(row));
      return tmp;
  }
}

bool Node::Test(const std::vector<Variant>& row) const {
  switch (op) {
    case Op::Or: return a->Test(row) || b->Test(row);
    case Op::And: return a->Test(row) && b->Test(row);
    case Op::Not: return !a->Test(row);
    case Op::IsNull:
    case Op::IsNotNull: {
      Variant t;
      bool n = a->Eval(row, t).IsNull();
      return op == Op::IsNull ? n : !n;
    }
    case Op::Like:
    case Op::NotLike: {
      Variant ta, tb;
      const Variant& x = a->Eval(row, ta);
      const Variant& y = b->Eval(row, tb);
      if (x.IsNull() || y.IsNull()) return false;
      bool m = b->op == Op::Literal && y.IsText() ? Like(x.ToString(), b->str) : Like(x.ToString(), y.ToString());
      return op == Op::Like ? m : !m;
    }
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: {
      Variant ta, tb;
      const Variant& x = a->Eval(row, ta);
      const Variant& y = b->Eval(row, tb);
      if (x.IsNull() || y.IsNull()) return false;
      int c;
      try {
        c = Variant::Compare(x, y);
      } catch (const ConvertError&) {
        return false;
      }
      switch (op) {
        case Op::Eq: return c == 0;
        case Op::Ne: return c != 0;
        case Op::Lt: return c < 0;
        case Op::Gt: return c > 0;
        case Op::Le: return c <= 0;
        default: return c >= 0;
      }
    }
    default: {
      Variant t;
      const Variant& v = Eval(row, t);
      if (v.IsNull()) return false;
      try {
        return v.ToBool();
      } catch (const ConvertError&) {
        return false;
      }
    }
  }
}

namespace {

enum class Tok { End, Ident, String, Number, LParen, RParen, Eq, Ne, Lt, Gt, Le, Ge, Minus, Comma };

struct Token {
  Tok kind = Tok::End;
  std::string text;
  size_t pos = 0;
};

class Parser {
 public:
  Parser(std::string_view src, const Binding& binding, std::vector<int>& fields)
      : src_(src), binding_(binding), fields_(fields) {
    Advance();
  }

  std::unique_ptr<Node> ParseAll() {
    auto n = ParseOr();
    if (tok_.kind != Tok::End) Fail("unexpected '" + tok_.text + "'");
    return n;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw Error("Invalid filter expression \"" + std::string(src_) + "\": " + what + " at position " +
                std::to_string(tok_.pos + 1));
  }

  void Advance() {
    size_t i = pos_;
    while (i < src_.size() && static_cast<unsigned char>(src_[i]) <= ' ') ++i;
    tok_ = Token{};
    tok_.pos = i;
    quotedIdent_ = false;
    if (i >= src_.size()) {
      pos_ = i;
      return;
    }
    char c = src_[i];
    auto single = [&](Tok k, size_t len) {
      tok_.kind = k;
      tok_.text = std::string(src_.substr(i, len));
      pos_ = i + len;
    };
    if (c == '(') return single(Tok::LParen, 1);
    if (c == ')') return single(Tok::RParen, 1);
    if (c == ',') return single(Tok::Comma, 1);
    if (c == '=') return single(Tok::Eq, 1);
    if (c == '<') {
      if (i + 1 < src_.size() && src_[i + 1] == '>') return single(Tok::Ne, 2);
      if (i + 1 < src_.size() && src_[i + 1] == '=') return single(Tok::Le, 2);
      return single(Tok::Lt, 1);
    }
    if (c == '>') {
      if (i + 1 < src_.size() && src_[i + 1] == '=') return single(Tok::Ge, 2);
      return single(Tok::Gt, 1);
    }
    if (c == '!' && i + 1 < src_.size() && src_[i + 1] == '=') return single(Tok::Ne, 2);
    if (c == '-') return single(Tok::Minus, 1);
    if (c == '\'' || c == '"') {
      std::string s;
      size_t j = i + 1;
      for (;;) {
        if (j >= src_.size()) {
          tok_.pos = i;
          Fail("unterminated text");
        }
        if (src_[j] == c) {
          if (j + 1 < src_.size() && src_[j + 1] == c) {
            s += c;
            j += 2;
            continue;
          }
          break;
        }
        s += src_[j++];
      }
      tok_.kind = Tok::String;
      tok_.text = std::move(s);
      pos_ = j + 1;
      return;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || (c == '.' && i + 1 < src_.size() &&
                                                        std::isdigit(static_cast<unsigned char>(src_[i + 1])))) {
      size_t j = i;
      while (j < src_.size() && (std::isdigit(static_cast<unsigned char>(src_[j])) || src_[j] == '.')) ++j;
      return single(Tok::Number, j - i);
    }
    if (c == '[') {
      size_t j = src_.find(']', i + 1);
      if (j == std::string_view::npos) Fail("missing ']'");
      tok_.kind = Tok::Ident;
      tok_.text = std::string(src_.substr(i + 1, j - i - 1));
      pos_ = j + 1;
      quotedIdent_ = true;
      return;
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80) {
      size_t j = i;
      while (j < src_.size() && (std::isalnum(static_cast<unsigned char>(src_[j])) || src_[j] == '_' ||
                                 static_cast<unsigned char>(src_[j]) >= 0x80))
        ++j;
      return single(Tok::Ident, j - i);
    }
    tok_.kind = Tok::End;
    Fail(std::string("unexpected character '") + c + "'");
  }

  bool IsKeyword(std::string_view kw) const {
    return tok_.kind == Tok::Ident && !quotedIdent_ && text::SameText(tok_.text, kw);
  }

  static std::unique_ptr<Node> Make(Op op, std::unique_ptr<Node> a = nullptr, std::unique_ptr<Node> b = nullptr) {
    auto n = std::make_unique<Node>();
    n->op = op;
    n->a = std::move(a);
    n->b = std::move(b);
    return n;
  }

  std::unique_ptr<Node> ParseOr() {
    auto n = ParseAnd();
    while (IsKeyword("or")) {
      Advance();
      n = Make(Op::Or, std::move(n), ParseAnd());
    }
    return n;
  }

  std::unique_ptr<Node> ParseAnd() {
    auto n = ParseNot();
    while (IsKeyword("and")) {
      Advance();
      n = Make(Op::And, std::move(n), ParseNot());
    }
    return n;
  }

  std::unique_ptr<Node> ParseNot() {
    if (IsKeyword("not")) {
      Advance();
      return Make(Op::Not, ParseNot());
    }
    return ParsePredicate();
  }

  std::unique_ptr<Node> ParsePredicate() {
    auto lhs = ParsePrimary();
    Op op;
    switch (tok_.kind) {
      case Tok::Eq: op = Op::Eq; break;
      case Tok::Ne: op = Op::Ne; break;
      case Tok::Lt: op = Op::Lt; break;
      case Tok::Gt: op = Op::Gt; break;
      case Tok::Le: op = Op::Le; break;
      case Tok::Ge: op = Op::Ge; break;
      default:
        if (IsKeyword("is")) {
          Advance();
          bool neg = false;
          if (IsKeyword("not")) {
            neg = true;
            Advance();
          }
          if (!IsKeyword("null")) Fail("'null' expected after 'is'");
          Advance();
          return Make(neg ? Op::IsNotNull : Op::IsNull, std::move(lhs));
        }
        if (IsKeyword("like")) {
          Advance();
          return Make(Op::Like, std::move(lhs), ParsePrimary());
        }
        if (IsKeyword("not")) {
          Advance();
          if (!IsKeyword("like")) Fail("'like' expected after 'not'");
          Advance();
          return Make(Op::NotLike, std::move(lhs), ParsePrimary());
        }
        return lhs;
    }
    Advance();
    auto rhs = ParsePrimary();
    // "x = null" and "x <> null" test for null.
    if ((op == Op::Eq || op == Op::Ne) && rhs->op == Op::Literal && rhs->value.IsNull())
      return Make(op == Op::Eq ? Op::IsNull : Op::IsNotNull, std::move(lhs));
    if ((op == Op::Eq || op == Op::Ne) && lhs->op == Op::Literal && lhs->value.IsNull())
      return Make(op == Op::Eq ? Op::IsNull : Op::IsNotNull, std::move(rhs));
    CoerceLiteral(*lhs, *rhs);
    CoerceLiteral(*rhs, *lhs);
    return Make(op, std::move(lhs), std::move(rhs));
  }

  // A quoted literal against a typed field takes the field's type once, here, so rows compare
  // numbers as numbers and date-times as date-times.
  void CoerceLiteral(const Node& fieldSide, Node& lit) {
    if (fieldSide.op != Op::Field || lit.op != Op::Literal || !lit.value.IsText()) return;
    FieldType t = binding_.typeOf(fieldSide.field);
    std::string s = lit.value.ToString();
    if (IsNumericType(t)) {
      double d;
      if (!ParseNumber(s, &d)) Fail("'" + s + "' is not a number");
      lit.value = Variant(d);
    } else if (t == FieldType::DateTime) {
      auto dt = DateTime::Parse(text::Trim(s));
      if (!dt) Fail("'" + s + "' is not a date");
      lit.value = Variant(*dt);
    } else if (t == FieldType::Boolean) {
      if (text::SameText(s, "true")) lit.value = Variant(true);
      else if (text::SameText(s, "false")) lit.value = Variant(false);
    }
  }

  std::unique_ptr<Node> ParsePrimary() {
    switch (tok_.kind) {
      case Tok::LParen: {
        Advance();
        auto n = ParseOr();
        if (tok_.kind != Tok::RParen) Fail("')' expected");
        Advance();
        return n;
      }
      case Tok::String: {
        auto n = Make(Op::Literal);
        n->value = Variant(tok_.text);
        n->str = tok_.text;
        Advance();
        return n;
      }
      case Tok::Number: {
        auto n = Make(Op::Literal);
        double d;
        if (!ParseNumber(tok_.text, &d)) Fail("bad number '" + tok_.text + "'");
        n->value = Variant(d);
        Advance();
        return n;
      }
      case Tok::Minus: {
        Advance();
        auto inner = ParsePrimary();
        if (inner->op == Op::Literal && inner->value.IsNumeric()) {
          inner->value = Variant(-inner->value.ToDouble());
          return inner;
        }
        return Make(Op::Neg, std::move(inner));
      }
      case Tok::Ident: {
        if (!quotedIdent_) {
          if (text::SameText(tok_.text, "null")) {
            Advance();
            return Make(Op::Literal);
          }
          if (text::SameText(tok_.text, "true") || text::SameText(tok_.text, "false")) {
            auto n = Make(Op::Literal);
            n->value = Variant(text::SameText(tok_.text, "true"));
            Advance();
            return n;
          }
          for (auto [name, op] : {std::pair{"trim", Op::Trim}, {"upper", Op::Upper}, {"lower", Op::Lower}}) {
            if (text::SameText(tok_.text, name)) {
              Advance();
              if (tok_.kind != Tok::LParen) Fail(std::string("'(' expected after ") + name);
              Advance();
              auto arg = ParseOr();
              if (tok_.kind != Tok::RParen) Fail("')' expected");
              Advance();
              return Make(op, std::move(arg));
            }
          }
          static constexpr std::string_view kReserved[] = {"and", "or", "not", "like", "is"};
          for (auto kw : kReserved)
            if (text::SameText(tok_.text, kw)) Fail("unexpected '" + tok_.text + "'");
        }
        int idx = binding_.resolve(tok_.text);
        if (idx < 0) {
          // A word followed by '(' is a function call we do not know.
          size_t save = pos_;
          Token t = tok_;
          Advance();
          if (tok_.kind == Tok::LParen) {
            tok_ = t;
            Fail("unknown function '" + t.text + "'");
          }
          pos_ = save;
          tok_ = t;
          Fail("field '" + t.text + "' not found");
        }
        auto n = Make(Op::Field);
        n->field = idx;
        if (std::find(fields_.begin(), fields_.end(), idx) == fields_.end()) fields_.push_back(idx);
        Advance();
        return n;
      }
      case Tok::End: Fail("unexpected end of text");
      default: Fail("unexpected '" + tok_.text + "'");
    }
  }

  std::string_view src_;
  const Binding& binding_;
  std::vector<int>& fields_;
  size_t pos_ = 0;
  Token tok_;
  bool quotedIdent_ = false;
};

}  // namespace

Expression::~Expression() = default;

std::unique_ptr<Expression> Expression::Parse(std::string_view text, const Binding& binding) {
  std::unique_ptr<Expression> e(new Expression());
  e->text_ = std::string(text);
  if (text::Trim(text).empty()) throw Error("Invalid filter expression \"" + std::string(text) + "\": it is empty");
  Parser p(e->text_, binding, e->fields_);
  e->root_ = p.ParseAll();
  return e;
}

bool Expression::Match(const std::vector<Variant>& row) const { return root_->Test(row); }

}  // namespace yz::data::filter
