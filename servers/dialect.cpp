#include "servers/dialect.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/base/text.h"
#include "platform/base/variant.h"

namespace yz::servers {
namespace {

enum class Tk { Space, Word, String, Number, Param, Op, Comma, Dot, Quoted, Group };

struct Node {
  Tk kind = Tk::Space;
  std::string text;          // as written (Quoted: the bare name)
  std::vector<Node> items;   // Group: the contents between the parentheses
  std::string lower() const { return text::Lower(text); }
};

[[noreturn]] void Refuse(const std::string& construct) { throw Error("SQL construct not supported: " + construct); }

bool IsWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c == '#' || c == '@' || c == '$' || c >= 0x80; }

// Splits text into tokens and nests parenthesised parts into groups.
std::vector<Node> Parse(std::string_view s) {
  std::vector<std::vector<Node>> stack(1);
  size_t i = 0;
  auto push = [&](Tk k, std::string t) { stack.back().push_back(Node{k, std::move(t), {}}); };
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (std::isspace(c)) {
      size_t j = i;
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      push(Tk::Space, " ");
      i = j;
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      while (i < s.size() && s[i] != '\n') ++i;
      push(Tk::Space, " ");
    } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
      size_t end = s.find("*/", i + 2);
      if (end == std::string_view::npos) Refuse("unterminated comment");
      i = end + 2;
      push(Tk::Space, " ");
    } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < s.size() && s[i + 1] == '\'' &&
                             (i == 0 || !IsWordChar(static_cast<unsigned char>(s[i - 1]))))) {
      if (c != '\'') ++i;
      size_t j = i + 1;
      std::string lit = "'";
      for (;;) {
        if (j >= s.size()) Refuse("unterminated text literal");
        if (s[j] == '\'') {
          if (j + 1 < s.size() && s[j + 1] == '\'') {
            lit += "''";
            j += 2;
            continue;
          }
          break;
        }
        lit += s[j++];
      }
      lit += "'";
      push(Tk::String, lit);
      i = j + 1;
    } else if (c == '"' || c == '[') {
      char close = c == '"' ? '"' : ']';
      size_t end = s.find(close, i + 1);
      if (end == std::string_view::npos) Refuse(std::string("unterminated quoted name"));
      push(Tk::Quoted, std::string(s.substr(i + 1, end - i - 1)));
      i = end + 1;
    } else if (c == ':' && i + 1 < s.size() && (std::isalpha(static_cast<unsigned char>(s[i + 1])) || s[i + 1] == '_')) {
      size_t j = i + 1;
      while (j < s.size() && IsWordChar(static_cast<unsigned char>(s[j]))) ++j;
      push(Tk::Param, std::string(s.substr(i + 1, j - i - 1)));
      i = j;
    } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      size_t j = i;
      while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
      push(Tk::Number, std::string(s.substr(i, j - i)));
      i = j;
    } else if (IsWordChar(c)) {
      size_t j = i;
      while (j < s.size() && IsWordChar(static_cast<unsigned char>(s[j]))) ++j;
      std::string w(s.substr(i, j - i));
      if (w[0] == '@') Refuse("variable " + w);
      if (w[0] == '#') Refuse("temporary table " + w);
      push(Tk::Word, w);
      i = j;
    } else if (c == '(') {
      stack.emplace_back();
      ++i;
    } else if (c == ')') {
      if (stack.size() == 1) Refuse("unbalanced ')'");
      Node g{Tk::Group, "", std::move(stack.back())};
      stack.pop_back();
      stack.back().push_back(std::move(g));
      ++i;
    } else if (c == ',') {
      push(Tk::Comma, ",");
      ++i;
    } else if (c == '.') {
      push(Tk::Dot, ".");
      ++i;
    } else if (c == ';') {
      // A trailing semicolon is allowed; several statements in one text are not.
      size_t j = i + 1;
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      if (j < s.size()) Refuse("several statements in one text");
      i = j;
    } else {
      static const char* two[] = {"*=", "=*", "<=", ">=", "<>", "!=", "||", "!<", "!>"};
      std::string op(1, static_cast<char>(c));
      for (const char* t : two)
        if (s.substr(i, 2) == t) op = t;
      if (op == "!<" || op == "!>") Refuse("operator " + op);
      if (op.size() == 1 && std::string_view("=<>+-*/%").find(static_cast<char>(c)) == std::string_view::npos)
        Refuse(std::string("character '") + static_cast<char>(c) + "'");
      push(Tk::Op, op);
      i += op.size();
    }
  }
  if (stack.size() != 1) Refuse("unbalanced '('");
  return std::move(stack[0]);
}

bool IsWord(const Node& n, std::string_view w) { return n.kind == Tk::Word && text::SameText(n.text, w); }

// Index of the next non-space node at or after i (size when none).
size_t NextSolid(const std::vector<Node>& v, size_t i) {
  while (i < v.size() && v[i].kind == Tk::Space) ++i;
  return i;
}
size_t PrevSolid(const std::vector<Node>& v, size_t i) {  // before i; npos when none
  while (i > 0) {
    --i;
    if (v[i].kind != Tk::Space) return i;
  }
  return std::string::npos;
}

const std::vector<std::string> kRefusedWords = {"exec", "execute", "declare", "raiserror", "print", "goto",
                                                "nolock", "holdlock", "readpast", "openquery", "openrowset",
                                                "compute", "pivot", "unpivot", "merge", "output", "rowcount"};

const std::vector<std::string> kKeywords = {"in", "exists", "values", "as", "on", "and", "or", "not", "from",
                                            "join", "select", "where", "when", "then", "else", "by", "is",
                                            "union", "all", "case", "like", "set", "having", "over", "using",
                                            "distinct", "into", "table", "update", "between", "end", "with"};

// Functions that mean the same in both dialects.
const std::vector<std::string> kSameFunctions = {"count", "sum", "min", "max", "avg", "abs", "round", "upper",
                                                 "lower", "ltrim", "rtrim", "replace", "coalesce", "nullif",
                                                 "cast", "ifnull", "substr", "length", "trim",
                                                 "date", "julianday"};

bool In(const std::vector<std::string>& list, const std::string& w) {
  return std::find(list.begin(), list.end(), w) != list.end();
}

class Emitter {
 public:
  std::vector<std::string> params;

  std::string Emit(std::vector<Node> seq) {
    std::string top = TakeTop(seq);
    RewriteOuterJoins(seq);
    std::string out;
    for (size_t i = 0; i < seq.size(); ++i) out += EmitNode(seq, i);
    if (!top.empty()) out = text::TrimRight(out) + " limit " + top;
    return out;
  }

 private:
  // Removes "top n" following "select" [distinct|all]; answers n.
  std::string TakeTop(std::vector<Node>& seq) {
    for (size_t i = 0; i < seq.size(); ++i) {
      if (!IsWord(seq[i], "select")) continue;
      size_t j = NextSolid(seq, i + 1);
      if (j < seq.size() && (IsWord(seq[j], "distinct") || IsWord(seq[j], "all"))) j = NextSolid(seq, j + 1);
      if (j >= seq.size() || !IsWord(seq[j], "top")) continue;
      size_t k = NextSolid(seq, j + 1);
      std::string n;
      if (k < seq.size() && seq[k].kind == Tk::Number) n = seq[k].text;
      else if (k < seq.size() && seq[k].kind == Tk::Group && seq[k].items.size() == 1 && seq[k].items[0].kind == Tk::Number)
        n = seq[k].items[0].text;
      else Refuse("top without a number");
      if (n.find('.') != std::string::npos) Refuse("top " + n);
      size_t after = NextSolid(seq, k + 1);
      if (after < seq.size() && (IsWord(seq[after], "percent") || IsWord(seq[after], "with")))
        Refuse("top " + n + " " + text::Lower(seq[after].text));
      seq.erase(seq.begin() + static_cast<long>(j), seq.begin() + static_cast<long>(after));
      // Only the select of this level; a second one belongs to a union and cannot take a limit.
      for (size_t m = i + 1; m < seq.size(); ++m)
        if (IsWord(seq[m], "union")) Refuse("top in a union");
      return n;
    }
    return {};
  }

  static std::vector<std::vector<Node>> SplitOn(const std::vector<Node>& seq, size_t b, size_t e, bool byAnd) {
    std::vector<std::vector<Node>> parts(1);
    for (size_t i = b; i < e; ++i) {
      bool sep = byAnd ? IsWord(seq[i], "and") : seq[i].kind == Tk::Comma;
      if (byAnd && IsWord(seq[i], "or")) Refuse("outer join operator '*=' combined with 'or'");
      if (byAnd && IsWord(seq[i], "between")) Refuse("outer join operator '*=' combined with 'between'");
      if (sep) parts.emplace_back();
      else parts.back().push_back(seq[i]);
    }
    return parts;
  }

  static std::string Trimmed(const std::vector<Node>& part, size_t* solidCount = nullptr) {
    std::vector<const Node*> solid;
    for (const auto& n : part)
      if (n.kind != Tk::Space) solid.push_back(&n);
    if (solidCount) *solidCount = solid.size();
    std::string s;
    for (const auto* n : solid) s += (s.empty() ? "" : " ") + n->text;
    return s;
  }

  // Rewrites "from a x, b y where x.k *= y.k and ..." into "from a x left join b y on x.k = y.k where ...".
  void RewriteOuterJoins(std::vector<Node>& seq) {
    bool any = false;
    for (const auto& n : seq)
      if (n.kind == Tk::Op && (n.text == "*=" || n.text == "=*")) any = true;
    if (!any) return;
    size_t from = seq.size(), where = seq.size(), whereEnd = seq.size();
    for (size_t i = 0; i < seq.size(); ++i) {
      if (from == seq.size() && IsWord(seq[i], "from")) from = i;
      else if (from != seq.size() && where == seq.size() && IsWord(seq[i], "where")) where = i;
      else if (where != seq.size() && seq[i].kind == Tk::Word &&
               In({"group", "order", "having", "union", "limit"}, seq[i].lower())) {
        whereEnd = i;
        break;
      }
    }
    if (from == seq.size() || where == seq.size()) Refuse("outer join operator '*=' outside a where clause");
    for (size_t i = from + 1; i < where; ++i)
      if (IsWord(seq[i], "join")) Refuse("outer join operator '*=' mixed with join");
    // Tables of the from list by alias.
    struct Entry {
      std::vector<Node> nodes;
      std::string alias;
      std::vector<std::string> conds;
      bool inner = false;
    };
    std::vector<Entry> tables;
    for (auto& part : SplitOn(seq, from + 1, where, false)) {
      Entry e;
      std::vector<std::string> words;
      for (const auto& n : part)
        if (n.kind == Tk::Word || n.kind == Tk::Quoted) words.push_back(n.text);
      if (words.empty()) Refuse("outer join operator '*=' with an unnamed table");
      e.alias = words.back();
      e.nodes = std::move(part);
      tables.push_back(std::move(e));
    }
    auto findTable = [&](const std::string& alias) -> Entry* {
      for (auto& t : tables)
        if (text::SameText(t.alias, alias)) return &t;
      return nullptr;
    };
    std::vector<std::vector<Node>> kept;
    for (auto& cond : SplitOn(seq, where + 1, whereEnd, true)) {
      size_t opAt = cond.size();
      for (size_t i = 0; i < cond.size(); ++i)
        if (cond[i].kind == Tk::Op && (cond[i].text == "*=" || cond[i].text == "=*")) opAt = i;
      if (opAt == cond.size()) {
        kept.push_back(std::move(cond));
        continue;
      }
      // Both sides must be qualified columns: alias . column
      auto side = [&](size_t b, size_t e) -> std::string {
        std::vector<const Node*> solid;
        for (size_t i = b; i < e; ++i)
          if (cond[i].kind != Tk::Space) solid.push_back(&cond[i]);
        if (solid.size() != 3 || solid[1]->kind != Tk::Dot) Refuse("outer join operator '*=' on an expression");
        return solid[0]->text;
      };
      std::string left = side(0, opAt), right = side(opAt + 1, cond.size());
      std::string innerAlias = cond[opAt].text == "*=" ? right : left;
      Entry* inner = findTable(innerAlias);
      if (!inner || !findTable(cond[opAt].text == "*=" ? left : right))
        Refuse("outer join operator '*=' naming an unknown table alias");
      std::vector<Node> eq = cond;
      eq[opAt].text = "=";
      Emitter sub;
      std::string condText;
      for (size_t i = 0; i < eq.size(); ++i) condText += sub.EmitNode(eq, i);
      inner->inner = true;
      inner->conds.push_back(text::Trim(condText));
    }
    // Build the new from and where parts as plain text nodes.
    std::string fromText = " ";
    bool first = true;
    for (auto& t : tables) {
      if (t.inner) continue;
      fromText += (first ? "" : ", ") + EmitSeq(t.nodes);
      first = false;
    }
    if (first) Refuse("outer join operator '*=' without an outer table");
    for (auto& t : tables)
      if (t.inner) fromText += " left join " + EmitSeq(t.nodes) + " on " + text::Join(t.conds, " and ");
    std::string whereText;
    for (auto& k : kept) {
      std::string c = EmitSeq(k);
      if (c.empty()) continue;
      whereText += (whereText.empty() ? " where " : " and ") + c;
    }
    std::vector<Node> out(seq.begin(), seq.begin() + static_cast<long>(from + 1));
    out.push_back(Node{Tk::Op, fromText + whereText + " ", {}});  // already translated text
    out.back().kind = Tk::Space;
    out.insert(out.end(), seq.begin() + static_cast<long>(whereEnd), seq.end());
    seq = std::move(out);
  }

  std::string EmitSeq(std::vector<Node> seq) {
    std::string s;
    for (size_t i = 0; i < seq.size(); ++i) s += EmitNode(seq, i);
    return text::Trim(s);
  }

  std::string EmitGroup(const Node& g) {
    Emitter sub;
    std::string inner = sub.Emit(g.items);
    params.insert(params.end(), sub.params.begin(), sub.params.end());
    return "(" + inner + ")";
  }

 public:
  std::string EmitNode(std::vector<Node>& seq, size_t& i) {
    Node& n = seq[i];
    switch (n.kind) {
      case Tk::Space:
      case Tk::Comma:
      case Tk::Dot:
      case Tk::String:
      case Tk::Number:
        return n.text;
      case Tk::Quoted:
        return "\"" + text::ReplaceAll(n.text, "\"", "\"\"") + "\"";
      case Tk::Param:
        params.push_back(n.text);
        return "?";
      case Tk::Group:
        return EmitGroup(n);
      case Tk::Op: {
        if (n.text == "*=" || n.text == "=*") Refuse("outer join operator '" + n.text + "' here");
        if (n.text == "+") {
          size_t p = PrevSolid(seq, i), q = NextSolid(seq, i + 1);
          bool textSide = (p != std::string::npos && seq[p].kind == Tk::String) || (q < seq.size() && seq[q].kind == Tk::String);
          return textSide ? "||" : "+";
        }
        return n.text;
      }
      case Tk::Word:
        return EmitWord(seq, i);
    }
    return n.text;
  }

 private:
  std::string EmitWord(std::vector<Node>& seq, size_t& i) {
    Node& n = seq[i];
    std::string w = n.lower();
    if (In(kRefusedWords, w)) Refuse(w);
    size_t next = NextSolid(seq, i + 1);
    // dbo.name(...)
    if (w == "dbo" && next < seq.size() && seq[next].kind == Tk::Dot) {
      size_t nameAt = NextSolid(seq, next + 1);
      if (nameAt >= seq.size() || seq[nameAt].kind != Tk::Word) Refuse("dbo. without a name");
      std::string fn = seq[nameAt].lower();
      size_t g = NextSolid(seq, nameAt + 1);
      if (g >= seq.size() || seq[g].kind != Tk::Group) Refuse("dbo." + seq[nameAt].text + " used as a table");
      if (!In(DatabaseFunctions(), fn)) Refuse("function dbo." + seq[nameAt].text);
      i = g;
      return "dbo_" + fn + EmitGroup(seq[g]);
    }
    bool call = next < seq.size() && seq[next].kind == Tk::Group && next == i + 1;
    if (!call && next < seq.size() && seq[next].kind == Tk::Group && !In(kKeywords, w)) {
      size_t p = PrevSolid(seq, i);
      bool tableName = p != std::string::npos && (IsWord(seq[p], "into") || IsWord(seq[p], "table"));
      call = !tableName;
    }
    if (!call || In(kKeywords, w)) return n.text;
    size_t p = PrevSolid(seq, i);
    if (p != std::string::npos && (IsWord(seq[p], "into") || IsWord(seq[p], "table") || seq[p].kind == Tk::Dot))
      return n.text;  // insert into t (cols) / a table name
    Node& g = seq[next];
    if (w == "getdate") {
      if (NextSolid(g.items, 0) != g.items.size()) Refuse("getdate with arguments");
      i = next;
      return "yz_getdate()";
    }
    if (w == "isnull") {
      i = next;
      return "ifnull" + EmitGroup(g);
    }
    if (w == "len") {
      i = next;
      return "length" + EmitGroup(g);
    }
    if (w == "substring") {
      i = next;
      return "substr" + EmitGroup(g);
    }
    if (w == "convert") {
      i = next;
      return EmitConvert(g);
    }
    if (In(kSameFunctions, w)) return n.text;
    Refuse("function " + n.text);
  }

  // convert(type[(n)], expr[, style])
  std::string EmitConvert(const Node& g) {
    auto args = SplitOn(g.items, 0, g.items.size(), false);
    if (args.size() < 2 || args.size() > 3) Refuse("convert with " + std::to_string(args.size()) + " arguments");
    std::vector<Node> typeNodes;
    for (auto& n : args[0])
      if (n.kind != Tk::Space) typeNodes.push_back(n);
    if (typeNodes.empty() || typeNodes[0].kind != Tk::Word) Refuse("convert without a type");
    std::string type = typeNodes[0].lower();
    std::string size;
    if (typeNodes.size() > 1) {
      if (typeNodes.size() != 2 || typeNodes[1].kind != Tk::Group) Refuse("convert type " + Trimmed(args[0]));
      size = Trimmed(typeNodes[1].items);
    }
    std::string style;
    if (args.size() == 3) style = Trimmed(args[2]);
    Emitter sub;
    std::string expr = sub.EmitSeq(args[1]);
    params.insert(params.end(), sub.params.begin(), sub.params.end());
    if (type == "varchar" || type == "char" || type == "nvarchar" || type == "nchar") {
      std::string value;
      if (style == "121" || style == "21") value = "yz_dt121(" + expr + ")";
      else if (style == "120" || style == "20") value = "yz_dt120(" + expr + ")";
      else if (style == "23") value = "substr(yz_dt121(" + expr + "),1,10)";
      else if (style.empty()) value = "yz_text(" + expr + ")";
      else Refuse("convert style " + style);
      if (size.empty()) size = "30";
      int64_t n = 0;
      if (!ParseInteger(size, &n) || n <= 0) Refuse("convert to " + type + "(" + size + ")");
      return "substr(" + value + ",1," + size + ")";
    }
    if (!style.empty()) Refuse("convert style " + style + " to " + type);
    if (type == "datetime" || type == "smalldatetime" || type == "date") return "yz_dt(" + expr + ")";
    if (type == "int" || type == "integer" || type == "smallint" || type == "bigint" || type == "tinyint")
      return "cast(" + expr + " as integer)";
    if (type == "numeric" || type == "decimal" || type == "float" || type == "real" || type == "money")
      return "cast(" + expr + " as real)";
    Refuse("convert to " + type);
  }
};

}  // namespace

const std::vector<std::string>& DatabaseFunctions() {
  static const std::vector<std::string> names = {"get_yz_limit", "get_yz_addinform", "get_yz_stop_limit"};
  return names;
}

TranslatedSql TranslateSql(std::string_view textIn) {
  Emitter e;
  TranslatedSql out;
  out.sql = text::Trim(e.Emit(Parse(textIn)));
  out.params = std::move(e.params);
  return out;
}

}  // namespace yz::servers
