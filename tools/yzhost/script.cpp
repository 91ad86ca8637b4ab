#include "script.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <regex>
#include <sstream>

#include "module.h"
#include "platform/base/text.h"

namespace yzhost {

namespace text = yz::text;

// ---------------------------------------------------------------------------------------------
// Small helpers

std::vector<std::string> SplitTabs(const std::string& s) { return text::Split(s, '\t'); }

std::string Quoted(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    switch (c) {
      case '"': r += "\\\""; break;
      case '\\': r += "\\\\"; break;
      case '\t': r += "\\t"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      default: r += c;
    }
  }
  return r + "\"";
}

namespace {

std::string JsonString(const std::string& s) {
  std::string r = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': r += "\\\""; break;
      case '\\': r += "\\\\"; break;
      case '\n': r += "\\n"; break;
      case '\r': r += "\\r"; break;
      case '\t': r += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          r += buf;
        } else {
          r += static_cast<char>(c);
        }
    }
  }
  return r + "\"";
}

std::string StripTrailingNewlines(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

std::vector<std::string> Lines(const std::string& s) {
  std::vector<std::string> r;
  if (s.empty()) return r;
  for (auto& l : text::Split(StripTrailingNewlines(s), '\n')) {
    r.push_back(!l.empty() && l.back() == '\r' ? l.substr(0, l.size() - 1) : l);
  }
  return r;
}

bool ParseInt(const std::string& s, int& out) {
  if (s.empty()) return false;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

// A window name as the automation interface takes it: "*" is the focused window.
std::string WindowName(const std::string& w) { return w == "*" ? "" : w; }

// Box answers by name or number.
bool ParseAnswer(const std::string& s, int& out) {
  static const struct {
    const char* name;
    int value;
  } names[] = {{"ok", 1}, {"cancel", 2}, {"yes", 6}, {"no", 7}};
  for (auto& n : names) {
    if (text::SameText(s, n.name)) {
      out = n.value;
      return true;
    }
  }
  return ParseInt(s, out) && (out == 1 || out == 2 || out == 6 || out == 7);
}

// The window a kind word of create/open stands for.
const char* KindWindow(const std::string& kind) {
  if (kind == "main") return "frmMainInput";
  if (kind == "group") return "frm_groupyz_input";
  if (kind == "config") return "frmConfigEdit";
  if (kind == "lookup") return "frmLookupDemo";
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Tokens

struct Token {
  std::string text;
  bool quoted = false;
  bool Is(const char* s) const { return !quoted && text == s; }
};

bool Tokenize(std::string_view line, std::vector<Token>& out, std::string& error) {
  size_t i = 0, n = line.size();
  while (i < n) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;  // a comment runs to the end of the line
    Token t;
    if (c == '"') {
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < n) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\') {
          if (i >= n) break;
          char e = line[i++];
          switch (e) {
            case '"': t.text += '"'; break;
            case '\\': t.text += '\\'; break;
            case 't': t.text += '\t'; break;
            case 'n': t.text += '\n'; break;
            default:  // kept as written, so that patterns read naturally: "\(", "\d"
              t.text += '\\';
              t.text += e;
          }
          continue;
        }
        t.text += d;
      }
      if (!closed) {
        error = "a quoted text has no closing quote";
        return false;
      }
      if (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        error = "a blank must follow the closing quote of a text";
        return false;
      }
    } else {
      while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') t.text += line[i++];
      if (t.text.find('"') != std::string::npos) {
        error = "a quote inside the word " + t.text + " (put the whole text in quotes)";
        return false;
      }
    }
    out.push_back(std::move(t));
  }
  return true;
}

// Reads "= VALUE" or "~ VALUE" from toks[i..]; the pair must end the line.
bool ReadMatch(const std::vector<Token>& toks, size_t i, Match& m, std::string& error, bool allowRegex = true) {
  if (i >= toks.size() || !(toks[i].Is("=") || toks[i].Is("~"))) {
    error = allowRegex ? "expected = \"text\" or ~ \"pattern\" here" : "expected = \"text\" here";
    return false;
  }
  m.regex = toks[i].Is("~");
  if (m.regex && !allowRegex) {
    error = "a pattern (~) is not allowed here";
    return false;
  }
  if (i + 1 >= toks.size()) {
    error = "the value to compare with is missing after " + toks[i].text;
    return false;
  }
  if (i + 2 < toks.size()) {
    error = "unexpected " + Quoted(toks[i + 2].text) + " after the value (put a text with blanks in quotes)";
    return false;
  }
  m.text = toks[i + 1].text;
  if (m.regex) {
    try {
      std::regex re(m.text);
    } catch (const std::regex_error& e) {
      error = "bad pattern " + Quoted(m.text) + ": " + e.what();
      return false;
    }
  }
  return true;
}

// Splits a dotted name; every part must be non-empty.
bool SplitDots(const Token& t, std::vector<std::string>& parts) {
  if (t.quoted) return false;
  parts = text::Split(t.text, '.');
  for (auto& p : parts) {
    if (p.empty()) return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Parser

bool ParseLine(const std::string& raw, Statement& st, std::string& error) {
  std::string line = text::Trim(raw);
  st.source = line;
  st.verb.clear();
  st.args.clear();
  st.hasMatch = false;

  // sql takes the rest of the line as it stands unless it is one quoted text.
  std::string firstWord = line.substr(0, line.find_first_of(" \t"));
  if (text::SameText(firstWord, "sql")) {
    std::string rest = text::Trim(line.substr(firstWord.size()));
    st.verb = "sql";
    if (rest.empty()) {
      error = "sql needs a statement";
      return false;
    }
    if (rest[0] == '"') {
      std::vector<Token> toks;
      if (!Tokenize(rest, toks, error)) return false;
      if (toks.size() != 1) {
        error = "sql takes one quoted statement or the rest of the line";
        return false;
      }
      rest = toks[0].text;
    }
    st.args = {rest};
    return true;
  }

  std::vector<Token> toks;
  if (!Tokenize(line, toks, error)) return false;
  if (toks.empty()) return true;  // blank or comment
  if (toks[0].quoted) {
    error = "a line starts with a word, not with a text";
    return false;
  }
  const std::string verb = text::Lower(toks[0].text);
  st.verb = verb;
  const size_t n = toks.size() - 1;  // number of arguments
  auto arg = [&](size_t i) -> const Token& { return toks[i + 1]; };
  auto want = [&](size_t count, const char* usage) {
    if (n == count) return true;
    error = std::string(n < count ? "missing arguments" : "too many arguments") + "; usage: " + usage;
    return false;
  };
  auto number = [&](size_t i, int& out, const char* what) {
    if (ParseInt(arg(i).text, out) && !arg(i).quoted) return true;
    error = std::string(what) + " must be a whole number, found " + Quoted(arg(i).text);
    return false;
  };
  // WINDOW.CONTROL
  auto control = [&](size_t i, const char* usage) {
    std::vector<std::string> p;
    if (!SplitDots(arg(i), p) || p.size() != 2) {
      error = "expected WINDOW.CONTROL, found " + Quoted(arg(i).text) + "; usage: " + usage;
      return false;
    }
    st.args.push_back(WindowName(p[0]));
    st.args.push_back(p[1]);
    return true;
  };
  // WINDOW.PROPERTY or WINDOW.CONTROL.PROPERTY
  auto property = [&](size_t i, const char* usage) {
    std::vector<std::string> p;
    if (!SplitDots(arg(i), p) || p.size() < 2 || p.size() > 3) {
      error = "expected WINDOW.CONTROL.PROPERTY, found " + Quoted(arg(i).text) + "; usage: " + usage;
      return false;
    }
    st.args.push_back(WindowName(p[0]));
    st.args.push_back(p.size() == 3 ? p[1] : "");
    st.args.push_back(p.back());
    return true;
  };

  static const char* kNoArgs[] = {"process", "new", "save", "delete", "undo", "clearcalls", "clearboxes", "end"};
  for (const char* v : kNoArgs) {
    if (verb == v) return want(0, v);
  }

  if (verb == "say") {
    if (!want(1, "say \"text\"")) return false;
    st.args = {arg(0).text};
  } else if (verb == "ini") {
    if (!want(3, "ini SECTION KEY \"value\"")) return false;
    st.args = {arg(0).text, arg(1).text, arg(2).text};
  } else if (verb == "time") {
    // One quoted text, or the date and the time as two words.
    if (n == 2 && !arg(0).quoted && !arg(1).quoted) {
      st.args = {arg(0).text + " " + arg(1).text};
    } else {
      if (!want(1, "time \"yyyy-mm-dd hh:nn:ss\"")) return false;
      st.args = {arg(0).text};
    }
  } else if (verb == "advance") {
    if (!want(1, "advance MILLISECONDS") || !number(0, st.number, "the milliseconds")) return false;
    if (st.number < 0) {
      error = "the clock cannot go back";
      return false;
    }
  } else if (verb == "init") {
    if (!want(3, "init PATIENT ADMISSION USER")) return false;
    st.args = {arg(0).text, arg(1).text, arg(2).text};
  } else if (verb == "create" || verb == "open") {
    if (!want(1, "create|open main|group|config")) return false;
    st.args = {text::Lower(arg(0).text)};
    if (!KindWindow(st.args[0])) {
      error = "unknown window kind " + Quoted(arg(0).text) + " (main, group or config)";
      return false;
    }
    if (st.args[0] == "lookup" && verb != "create") {
      error = "the lookup demo window is only created (create lookup)";
      return false;
    }
  } else if (verb == "close") {
    if (n == 0) return true;
    Match m;
    if (!ReadMatch(toks, 1, m, error, false)) return false;
    if (m.text != "0" && m.text != "1") {
      error = "close answers \"0\" (closed) or \"1\" (kept open), not " + Quoted(m.text);
      return false;
    }
    st.hasMatch = true;
    st.match = m;
  } else if (verb == "focus" || verb == "click" || verb == "dblclick") {
    if (!want(1, (verb + " WINDOW.CONTROL").c_str()) || !control(0, (verb + " WINDOW.CONTROL").c_str())) return false;
  } else if (verb == "settext" || verb == "type") {
    std::string usage = verb + " WINDOW.CONTROL \"text\"";
    if (!want(2, usage.c_str()) || !control(0, usage.c_str())) return false;
    st.args.push_back(arg(1).text);
  } else if (verb == "key") {
    const char* usage = "key WINDOW[.CONTROL] KEY";
    if (!want(2, usage)) return false;
    std::vector<std::string> p;
    if (!SplitDots(arg(0), p) || p.size() > 2) {
      error = std::string("expected WINDOW or WINDOW.CONTROL, found ") + Quoted(arg(0).text) + "; usage: " + usage;
      return false;
    }
    st.args = {WindowName(p[0]), p.size() == 2 ? p[1] : "", arg(1).text};
  } else if (verb == "menu") {
    if (!want(2, "menu WINDOW ITEM")) return false;
    if (arg(0).quoted || arg(0).text.find('.') != std::string::npos) {
      error = "expected a window name, found " + Quoted(arg(0).text) + "; usage: menu WINDOW ITEM";
      return false;
    }
    st.args = {WindowName(arg(0).text), arg(1).text};
  } else if (verb == "cell") {
    const char* usage = "cell WINDOW.GRID ROW COLUMN";
    if (!want(3, usage) || !control(0, usage) || !number(1, st.number, "the row") ||
        !number(2, st.number2, "the column"))
      return false;
    if (st.number < 1 || st.number2 < 0) {
      error = "rows count from 1 and columns from 0";
      return false;
    }
  } else if (verb == "set") {
    const char* usage = "set WINDOW.CONTROL.PROPERTY \"value\"";
    size_t valueAt = n == 3 && arg(1).Is("=") ? 2 : 1;  // "set a.b.c = value" reads as well
    if (n != valueAt + 1) return want(2, usage);
    if (!property(0, usage)) return false;
    st.args.push_back(arg(valueAt).text);
  } else if (verb == "row") {
    const char* usage = "row WINDOW.DATASET ROW";
    std::vector<std::string> p;
    if (!want(2, usage)) return false;
    if (!SplitDots(arg(0), p) || p.size() < 2) {
      error = "expected WINDOW.DATASET, found " + Quoted(arg(0).text) + "; usage: " + usage;
      return false;
    }
    st.args = {WindowName(p[0]), text::Join({p.begin() + 1, p.end()}, ".")};
    if (!number(1, st.number, "the row")) return false;
    if (st.number < 1) {
      error = "rows count from 1";
      return false;
    }
  } else if (verb == "closewindow") {
    if (n < 1 || n > 2) return want(1, "closewindow WINDOW [OK|Cancel|Yes|No]");
    st.args = {WindowName(arg(0).text)};
    st.number = 0;
    if (n == 2 && !ParseAnswer(arg(1).text, st.number)) {
      error = "unknown modal result " + Quoted(arg(1).text) + " (OK, Cancel, Yes, No, 1, 2, 6 or 7)";
      return false;
    }
  } else if (verb == "answer") {
    if (n == 0) return want(1, "answer OK|Cancel|Yes|No ...");
    for (size_t i = 0; i < n; ++i) {
      int a;
      if (!ParseAnswer(arg(i).text, a)) {
        error = "unknown answer " + Quoted(arg(i).text) + " (OK, Cancel, Yes, No, 1, 2, 6 or 7)";
        return false;
      }
      st.args.push_back(std::to_string(a));
    }
  } else if (verb == "fail") {
    if (n < 1 || n > 2) return want(1, "fail NAME \"text\" (no text: the fault is removed)");
    st.args = {arg(0).text, n == 2 ? arg(1).text : ""};
  } else if (verb == "dump") {
    if (n < 1 || n > 2) return want(1, "dump WHAT [json]");
    std::string fmt = n == 2 ? text::Lower(arg(1).text) : "text";
    if (fmt != "json" && fmt != "text") {
      error = "dump writes text or json, not " + Quoted(arg(1).text);
      return false;
    }
    st.args = {arg(0).text, fmt};
  } else if (verb == "modal") {
    if (!want(1, "modal WINDOW (then the lines that work it, then end)")) return false;
    st.args = {arg(0).text};
  } else if (verb == "expect") {
    if (n == 0) {
      error = "expect what? (a property, field, box, nobox, call, nocall, calls, sql, session, ini, windows, window)";
      return false;
    }
    const std::string what = arg(0).quoted ? "" : text::Lower(arg(0).text);
    if (what == "field") {
      const char* usage = "expect field WINDOW.DATASET.FIELD = \"text\"";
      std::vector<std::string> p;
      if (n < 2 || !SplitDots(arg(1), p) || p.size() < 3) {
        error = std::string("expected WINDOW.DATASET.FIELD; usage: ") + usage;
        return false;
      }
      st.verb = "expect-field";
      st.args = {WindowName(p[0]), text::Join({p.begin() + 1, p.end() - 1}, "."), p.back()};
      if (!ReadMatch(toks, 3, st.match, error)) return false;
    } else if (what == "box") {
      // expect box "caption" "text"   or   expect box "caption" ~ "pattern"
      st.verb = "expect-box";
      if (n == 3) {
        st.args = {arg(1).text};
        st.match.text = arg(2).text;
      } else if (n == 4 && arg(2).Is("~")) {
        st.args = {arg(1).text};
        if (!ReadMatch(toks, 3, st.match, error)) return false;
      } else {
        error = "usage: expect box \"caption\" \"text\"  or  expect box \"caption\" ~ \"pattern\"";
        return false;
      }
    } else if (what == "nobox") {
      st.verb = "expect-nobox";
      return want(1, "expect nobox");
    } else if (what == "call" || what == "nocall") {
      st.verb = "expect-" + what;
      if (n == 2) {
        st.match.text = arg(1).text;
      } else if (n == 3 && arg(1).Is("~")) {
        if (!ReadMatch(toks, 2, st.match, error)) return false;
      } else {
        error = "usage: expect " + what + " \"statement\"  or  expect " + what + " ~ \"pattern\"";
        return false;
      }
    } else if (what == "calls") {
      st.verb = "expect-calls";
      if (n != 3 || !arg(1).Is("=") || !number(2, st.number, "the number of calls")) {
        if (error.empty()) error = "usage: expect calls = NUMBER";
        return false;
      }
    } else if (what == "sql") {
      st.verb = "expect-sql";
      if (n < 2) {
        error = "usage: expect sql \"query\" = \"answer\"";
        return false;
      }
      st.args = {arg(1).text};
      if (!ReadMatch(toks, 3, st.match, error)) return false;
    } else if (what == "session") {
      st.verb = "expect-session";
      if (n < 2) {
        error = "usage: expect session KEY = \"text\"";
        return false;
      }
      st.args = {arg(1).text};
      if (!ReadMatch(toks, 3, st.match, error)) return false;
    } else if (what == "ini") {
      st.verb = "expect-ini";
      if (n < 3) {
        error = "usage: expect ini SECTION KEY = \"text\"";
        return false;
      }
      st.args = {arg(1).text, arg(2).text};
      if (!ReadMatch(toks, 4, st.match, error)) return false;
    } else if (what == "windows") {
      st.verb = "expect-windows";
      for (size_t i = 1; i < n; ++i) st.args.push_back(arg(i).text);
    } else if (what == "window" || what == "nowindow") {
      st.verb = "expect-" + what;
      if (!want(2, ("expect " + what + " NAME").c_str())) return false;
      st.args = {arg(1).text};
    } else if (!arg(0).quoted && arg(0).text.find('.') != std::string::npos) {
      st.verb = "expect-prop";
      if (!property(0, "expect WINDOW.CONTROL.PROPERTY = \"text\"")) return false;
      if (!ReadMatch(toks, 2, st.match, error)) return false;
    } else {
      error = "unknown expectation " + Quoted(arg(0).text) +
              " (a WINDOW.CONTROL.PROPERTY, field, box, nobox, call, nocall, calls, sql, session, ini, windows, "
              "window, nowindow)";
      return false;
    }
  } else {
    error = "unknown word " + Quoted(toks[0].text) + " (yzhost --help lists the words)";
    return false;
  }
  return true;
}

namespace {

struct Parser {
  const std::string& file;
  std::vector<std::string> lines;
  size_t next = 0;
  std::string error;

  // Parses lines into `out` until "end" (when inBlock) or the end of the text.
  bool Block(std::vector<Statement>& out, bool inBlock, int blockLine) {
    while (next < lines.size()) {
      int lineNo = static_cast<int>(next) + 1;
      Statement st;
      st.file = file;
      st.line = lineNo;
      std::string e;
      if (!ParseLine(lines[next++], st, e)) {
        error = file + ":" + std::to_string(lineNo) + ": " + st.source + ": " + e;
        return false;
      }
      if (st.verb.empty()) continue;
      if (st.verb == "end") {
        if (inBlock) return true;
        error = file + ":" + std::to_string(lineNo) + ": end: no modal block to end";
        return false;
      }
      if (st.verb == "modal") {
        if (out.empty()) {
          error = file + ":" + std::to_string(lineNo) + ": " + st.source +
                  ": a modal block must follow the line that opens the window";
          return false;
        }
        ModalBlock b;
        b.window = st.args[0];
        b.line = lineNo;
        if (!Block(b.body, true, lineNo)) return false;
        out.back().modals.push_back(std::move(b));
        continue;
      }
      out.push_back(std::move(st));
    }
    if (inBlock) {
      error = file + ":" + std::to_string(blockLine) + ": modal block has no end";
      return false;
    }
    return true;
  }
};

}  // namespace

bool ParseScript(const std::string& textIn, const std::string& file, Script& out, std::string& error) {
  Parser p{file, {}, 0, {}};
  std::string body = textIn;
  if (text::StartsWith(body, "\xEF\xBB\xBF")) body.erase(0, 3);  // a byte order mark
  if (!text::IsValidUtf8(body)) {
    error = file + ": the script is not UTF-8 text";
    return false;
  }
  p.lines = text::Split(body, '\n');
  out.file = file;
  out.statements.clear();
  if (!p.Block(out.statements, false, 0)) {
    error = p.error;
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// omra.ini

bool ReadWhole(const std::string& path, std::string& out) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  std::ostringstream s;
  s << f.rdbuf();
  out = s.str();
  return true;
}

namespace {


bool IsSection(const std::string& line, std::string& name) {
  std::string t = text::Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  name = text::Trim(t.substr(1, t.size() - 2));
  return true;
}

bool IsEntry(const std::string& line, const std::string& key, std::string* value) {
  std::string t = text::Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#') return false;
  size_t eq = t.find('=');
  if (eq == std::string::npos || !text::SameText(text::Trim(t.substr(0, eq)), key)) return false;
  if (value) {
    std::string v = text::Trim(t.substr(eq + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    *value = v;
  }
  return true;
}

}  // namespace

bool WriteIniKey(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value, std::string& error) {
  std::string raw;
  std::vector<std::string> lines;
  if (ReadWhole(path, raw)) lines = Lines(text::FromGbk(raw));
  std::string entry = key + "=" + value;
  int sectionAt = -1, lastEntry = -1;
  bool written = false;
  for (size_t i = 0; i < lines.size() && !written; ++i) {
    std::string name;
    if (IsSection(lines[i], name)) {
      if (sectionAt >= 0) break;  // the section ended without the key
      if (text::SameText(name, section)) sectionAt = lastEntry = static_cast<int>(i);
    } else if (sectionAt >= 0) {
      if (IsEntry(lines[i], key, nullptr)) {
        std::string t = text::Trim(lines[i]);  // keeps the key as the file spells it
        lines[i] = text::Trim(t.substr(0, t.find('='))) + "=" + value;
        written = true;
      } else if (!text::Trim(lines[i]).empty()) {
        lastEntry = static_cast<int>(i);
      }
    }
  }
  if (!written) {
    if (sectionAt >= 0) {
      lines.insert(lines.begin() + lastEntry + 1, entry);
    } else {
      if (!lines.empty() && !text::Trim(lines.back()).empty()) lines.push_back("");
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
  }
  std::string utf8;
  for (auto& l : lines) utf8 += l + "\r\n";
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text::ToGbk(utf8);
  f.close();
  if (!f) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool ReadIniKey(const std::string& path, const std::string& section, const std::string& key, std::string& value) {
  std::string raw;
  if (!ReadWhole(path, raw)) return false;
  bool in = false;
  for (auto& l : Lines(text::FromGbk(raw))) {
    std::string name;
    if (IsSection(l, name)) {
      in = text::SameText(name, section);
    } else if (in && IsEntry(l, key, &value)) {
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Runner

Runner::Runner(const Module& m, std::FILE* out, std::FILE* err) : m_(m), out_(out), err_(err) {
  m_.on_modal(&Runner::OnModal, this);
}

Runner::~Runner() { m_.on_modal(nullptr, nullptr); }

void Runner::Print(const std::string& s) {
  if (!out_) return;
  std::fputs(s.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

int Runner::Run(const Script& s) {
  code_ = kPassed;
  failure_.clear();
  if (ExecList(s.statements)) {
    // A box nobody answered nor checked is a surprise the script must own up to.
    int line = -1;
    std::string box = UnseenUnexpectedBox(&line);
    if (!box.empty()) {
      code_ = kFailed;
      failure_ = boxOrigin_[line] + ": unexpected box " + box +
                 " (queue its answer with 'answer' before the line, or check it with 'expect box' after it)";
    }
  }
  if (code_ != kPassed && err_) {
    std::fputs((failure_ + "\n").c_str(), err_);
    std::fflush(err_);
  }
  return code_;
}

bool Runner::ExecList(const std::vector<Statement>& list) {
  for (auto& st : list) {
    if (!Exec(st)) return false;
  }
  return true;
}

bool Runner::Exec(const Statement& st) {
  frames_.push_back(Frame{&st.modals, std::vector<bool>(st.modals.size()), &st});
  bool ok = text::StartsWith(st.verb, "expect") ? Expect(st) : Do(st);
  Frame f = std::move(frames_.back());
  frames_.pop_back();
  NoteBoxes(st);
  if (code_ != kPassed) return false;
  if (!ok) return false;
  for (size_t i = 0; i < f.used.size(); ++i) {
    if (!f.used[i]) {
      const ModalBlock& b = st.modals[i];
      return Fail(st, kFailed, "no modal window " + b.window + " opened (the block at line " +
                                   std::to_string(b.line) + " did not run)");
    }
  }
  return true;
}

int Runner::OnModal(const char* window, void* self) {
  return static_cast<Runner*>(self)->HandleModal(window ? window : "");
}

int Runner::HandleModal(const std::string& window) {
  if (code_ == kPassed && !frames_.empty()) {
    Frame& f = frames_.back();
    size_t i = 0;
    for (; i < f.used.size(); ++i) {
      const std::string& w = (*f.blocks)[i].window;
      if (!f.used[i] && (w == "*" || text::SameText(w, window))) break;
    }
    if (i < f.used.size()) {
      f.used[i] = true;
      if (ExecList((*f.blocks)[i].body)) return 0;
    } else {
      Fail(*f.statement, kFailed,
           "the modal window " + window + " opened, but no 'modal " + window + "' block follows this line");
    }
  }
  // After a failure the window is closed unworked, so that the export returns.
  m_.close(window.c_str(), 2);
  return 0;
}

bool Runner::Fail(const Statement& st, int code, const std::string& message) {
  if (code_ != kPassed) return false;
  code_ = code;
  failure_ = st.file + ":" + std::to_string(st.line) + ": " + st.source + ": " + message;
  int line = -1;
  std::string box = UnseenUnexpectedBox(&line);
  if (!box.empty()) failure_ += " (after the unexpected box " + box + " at " + boxOrigin_[line] + ")";
  return false;
}

bool Runner::ModuleFailed(const Statement& st) {
  std::string e = m_.LastError();
  return Fail(st, kScriptError, e.empty() ? "the module gave no reason" : e);
}

void Runner::NoteBoxes(const Statement& st) {
  int n = m_.box_count();
  if (n < static_cast<int>(boxOrigin_.size())) {
    boxOrigin_.resize(std::max(0, n));
    boxSeen_ = std::min(boxSeen_, std::max(0, n));
  }
  while (static_cast<int>(boxOrigin_.size()) < n) boxOrigin_.push_back(st.file + ":" + std::to_string(st.line));
}

std::string Runner::UnseenUnexpectedBox(int* line) const {
  int n = std::min(m_.box_count(), static_cast<int>(boxOrigin_.size()));
  for (int i = boxSeen_; i < n; ++i) {
    const char* b = m_.box(i);
    auto f = SplitTabs(b ? b : "");
    if (f.size() >= 6 && f[5] == "unexpected") {
      *line = i;
      return Quoted(f[0]) + " " + Quoted(f[1]) + " (answered " + f[4] + ")";
    }
  }
  return "";
}

bool Runner::Check(const Statement& st, const std::string& found, const std::string& prefix) {
  bool ok;
  if (st.match.regex) {
    ok = std::regex_search(found, std::regex(st.match.text));
  } else {
    ok = found == st.match.text;
  }
  if (ok) {
    ++checks_;
    Print("    ok  " + st.source);
    return true;
  }
  return Fail(st, kFailed, "expected " + prefix + (st.match.regex ? "~ " : "") + Quoted(st.match.text) + ", found " +
                               Quoted(found));
}

bool Runner::InfoCheck(const Statement& st, const char* info) {
  if (!info) {
    std::string last;
    int n = m_.box_count();
    if (n > 0) {
      auto f = SplitTabs(m_.box(n - 1) ? m_.box(n - 1) : "");
      if (f.size() >= 2) last = ", the last box: " + Quoted(f[0]) + " " + Quoted(f[1]);
    }
    return Fail(st, kFailed, "the module ended the export early" + last);
  }
  std::string t = text::FromGbk(info);
  if (t != "返回信息") return Fail(st, kFailed, "expected the return text \"返回信息\", found " + Quoted(t));
  return true;
}

namespace {

bool MatchesCall(const Match& m, const std::vector<std::string>& f, const std::string& record) {
  if (m.regex) return std::regex_search(record, std::regex(m.text));
  return f.size() >= 5 && f[4] == m.text;
}

std::vector<std::string> WindowNames(const Module& m) {
  std::vector<std::string> names;
  const char* w = m.windows();
  for (auto& l : Lines(w ? w : "")) names.push_back(SplitTabs(l)[0]);
  return names;
}

}  // namespace

bool Runner::Do(const Statement& st) {
  const auto& a = st.args;
  const std::string& v = st.verb;
  // The failure line shows the script line, which names the window and control; the module's
  // last error says which of them is missing.
  auto ok = [&](int rc) { return rc == 0 || ModuleFailed(st); };

  if (v == "say") {
    Print(a[0]);
    return true;
  }
  if (v == "ini") {
    std::string e;
    return WriteIniKey("omra.ini", a[0], a[1], a[2], e) || Fail(st, kScriptError, e);
  }
  if (v == "sql") return m_.sql(a[0].c_str()) != nullptr || ModuleFailed(st);
  if (v == "time") return ok(m_.set_time(a[0].c_str()));
  if (v == "advance") return ok(m_.advance(st.number));
  if (v == "process") return ok(m_.process_messages());
  if (v == "init") {
    std::string p = text::ToGbk(a[0]), t = text::ToGbk(a[1]), u = text::ToGbk(a[2]);
    if (m_.YzinputInitVariant(p.c_str(), t.c_str(), u.c_str(), 0)) return true;
    return code_ != kPassed ? false : Fail(st, kFailed, "the session set-up returned false");
  }
  if (v == "create" && a[0] == "lookup") return ok(m_.open_demo("lookup"));
  if (v == "create") {
    const char* info = nullptr;
    YzWindow host = m_.host_window();
    YzWindow w = a[0] == "main"    ? m_.MaininputCreateForm(host, &info)
                 : a[0] == "group" ? m_.GroupinputCreateForm(host, &info)
                                   : m_.ConfigEditCreateForm(host, &info);
    if (code_ != kPassed) return false;
    if (!InfoCheck(st, info)) return false;
    return w != 0 || Fail(st, kFailed, "the module handed back no window");
  }
  if (v == "open") {
    const char* info = nullptr;
    bool r = a[0] == "main"    ? m_.MaininputOpenWindow(&info)
             : a[0] == "group" ? m_.GroupinputOpenWindow(&info)
                               : m_.ConfigEditOpenWindow(&info);
    if (code_ != kPassed) return false;
    if (!InfoCheck(st, info)) return false;
    return r || Fail(st, kFailed, "the export returned false");
  }
  if (v == "new" || v == "save" || v == "delete" || v == "undo") {
    bool r = v == "new" ? m_.btnNew() : v == "save" ? m_.btnSave() : v == "delete" ? m_.btnDel() : m_.btnCancel();
    if (code_ != kPassed) return false;
    return r || Fail(st, kFailed, "the command returned false");
  }
  if (v == "close") {
    const char* r = m_.btnClose();
    if (code_ != kPassed) return false;
    if (!r) return Fail(st, kFailed, "btnClose handed back no answer");
    return !st.hasMatch || Check(st, r);
  }
  if (v == "focus") return ok(m_.focus(a[0].c_str(), a[1].c_str()));
  if (v == "click") return ok(m_.click(a[0].c_str(), a[1].c_str()));
  if (v == "dblclick") return ok(m_.dblclick(a[0].c_str(), a[1].c_str()));
  if (v == "settext") return ok(m_.set_text(a[0].c_str(), a[1].c_str(), a[2].c_str()));
  if (v == "type") return ok(m_.type(a[0].c_str(), a[1].c_str(), a[2].c_str()));
  if (v == "key") return ok(m_.key(a[0].c_str(), a[1].c_str(), a[2].c_str()));
  if (v == "menu") return ok(m_.menu(a[0].c_str(), a[1].c_str()));
  if (v == "cell") return ok(m_.grid_cell(a[0].c_str(), a[1].c_str(), st.number, st.number2));
  if (v == "set") return ok(m_.set(a[0].c_str(), a[1].c_str(), a[2].c_str(), a[3].c_str()));
  if (v == "row") return ok(m_.dataset_row(a[0].c_str(), a[1].c_str(), st.number));
  if (v == "closewindow") return ok(m_.close(a[0].c_str(), st.number));
  if (v == "answer") {
    for (auto& x : a) {
      if (m_.queue_answer(std::stoi(x)) != 0) return ModuleFailed(st);
    }
    return true;
  }
  if (v == "fail") return ok(m_.fail_call(a[0].c_str(), a[1].empty() ? nullptr : a[1].c_str()));
  if (v == "clearcalls") return ok(m_.clear_calls());
  if (v == "clearboxes") {
    if (m_.clear_boxes() != 0) return ModuleFailed(st);
    boxSeen_ = 0;
    boxOrigin_.clear();
    return true;
  }
  if (v == "dump") {
    if (Dump(a[0], a[1] == "json") == kPassed) return true;
    return ModuleFailed(st);
  }
  return Fail(st, kScriptError, "yzhost cannot run this line");
}

bool Runner::Expect(const Statement& st) {
  const auto& a = st.args;
  const std::string& v = st.verb;
  if (v == "expect-prop") {
    const char* r = m_.get(a[0].c_str(), a[1].c_str(), a[2].c_str());
    if (!r) return ModuleFailed(st);
    return Check(st, r);
  }
  if (v == "expect-field") {
    const char* r = m_.field(a[0].c_str(), a[1].c_str(), a[2].c_str());
    if (!r) return ModuleFailed(st);
    return Check(st, r);
  }
  if (v == "expect-session") {
    const char* r = m_.session(a[0].c_str());
    if (!r) return ModuleFailed(st);
    return Check(st, r);
  }
  if (v == "expect-sql") {
    const char* r = m_.sql(a[0].c_str());
    if (!r) return ModuleFailed(st);
    return Check(st, StripTrailingNewlines(r));
  }
  if (v == "expect-ini") {
    std::string value;
    if (!ReadIniKey("omra.ini", a[0], a[1], value)) {
      return Fail(st, kFailed, "expected " + Quoted(st.match.text) + ", found no key " + a[1] + " in section [" +
                                   a[0] + "] of omra.ini");
    }
    return Check(st, value);
  }
  if (v == "expect-box" || v == "expect-nobox") {
    int n = m_.box_count();
    std::string next;
    std::vector<std::string> f;
    if (boxSeen_ < n) {
      const char* b = m_.box(boxSeen_);
      f = SplitTabs(b ? b : "");
      f.resize(std::max<size_t>(f.size(), 6));
      next = Quoted(f[0]) + " " + Quoted(f[1]);
    }
    if (v == "expect-nobox") {
      if (next.empty()) {
        ++checks_;
        Print("    ok  " + st.source);
        return true;
      }
      ++boxSeen_;  // the box is reported here, not again as unexpected
      return Fail(st, kFailed, "expected no box, found " + next);
    }
    std::string expected = Quoted(a[0]) + " " + (st.match.regex ? "~ " : "") + Quoted(st.match.text);
    if (next.empty()) return Fail(st, kFailed, "expected box " + expected + ", found no box");
    ++boxSeen_;
    bool textOk = st.match.regex ? std::regex_search(f[1], std::regex(st.match.text)) : f[1] == st.match.text;
    if (f[0] != a[0] || !textOk) return Fail(st, kFailed, "expected box " + expected + ", found " + next);
    ++checks_;
    Print("    ok  " + st.source);
    return true;
  }
  if (v == "expect-call" || v == "expect-nocall") {
    int n = m_.call_count();
    for (int i = 0; i < n; ++i) {
      const char* c = m_.call(i);
      std::string rec = c ? c : "";
      auto f = SplitTabs(rec);
      if (MatchesCall(st.match, f, rec)) {
        if (v == "expect-nocall") {
          return Fail(st, kFailed, "expected no such call, found call " + std::to_string(i + 1) + ": " + Quoted(rec));
        }
        ++checks_;
        Print("    ok  " + st.source);
        return true;
      }
    }
    if (v == "expect-nocall") {
      ++checks_;
      Print("    ok  " + st.source);
      return true;
    }
    std::string found = "no call";
    if (n > 0) {
      const char* c = m_.call(n - 1);
      auto f = SplitTabs(c ? c : "");
      found = std::to_string(n) + " calls, the last " + Quoted(f.size() >= 5 && !f[4].empty() ? f[4] : (c ? c : ""));
    }
    return Fail(st, kFailed,
                "expected a call " + std::string(st.match.regex ? "~ " : "") + Quoted(st.match.text) + ", found " + found);
  }
  if (v == "expect-calls") {
    int n = m_.call_count();
    if (n == st.number) {
      ++checks_;
      Print("    ok  " + st.source);
      return true;
    }
    return Fail(st, kFailed, "expected " + std::to_string(st.number) + " calls, found " + std::to_string(n));
  }
  if (v == "expect-windows" || v == "expect-window" || v == "expect-nowindow") {
    auto names = WindowNames(m_);
    bool pass;
    std::string expected;
    if (v == "expect-windows") {
      auto want = a, have = names;
      std::sort(want.begin(), want.end());
      std::sort(have.begin(), have.end());
      pass = want == have;
      expected = "the windows " + Quoted(text::Join(a, " "));
    } else {
      bool open = std::any_of(names.begin(), names.end(), [&](auto& x) { return x == a[0]; });
      pass = open == (v == "expect-window");
      expected = v == "expect-window" ? a[0] + " open" : a[0] + " not open";
    }
    if (pass) {
      ++checks_;
      Print("    ok  " + st.source);
      return true;
    }
    return Fail(st, kFailed, "expected " + expected + ", found the windows " + Quoted(text::Join(names, " ")));
  }
  return Fail(st, kScriptError, "yzhost cannot check this line");
}

// Dumps go to standard output also when the run is quiet: they were asked for. The runner's
// own lists (calls, boxes, windows) are formatted here; windows and datasets by the module.
int Runner::Dump(const std::string& what, bool json) {
  auto list = [&](const std::vector<std::string>& records, const std::vector<const char*>& keys) {
    std::string r = json ? "[" : "";
    for (size_t i = 0; i < records.size(); ++i) {
      auto f = SplitTabs(records[i]);
      if (json) {
        r += i ? ",\n {" : "\n {";
        for (size_t k = 0; k < keys.size(); ++k) {
          r += (k ? ", " : "") + JsonString(keys[k]) + ": " + JsonString(k < f.size() ? f[k] : "");
        }
        r += "}";
      } else {
        r += std::to_string(i + 1) + "\t" + records[i] + "\n";
      }
    }
    return json ? r + (records.empty() ? "]" : "\n]") : r;
  };
  auto collect = [](int count, auto get) {
    std::vector<std::string> r;
    for (int i = 0; i < count; ++i) {
      const char* rec = get(i);
      r.push_back(rec ? rec : "");
    }
    return r;
  };
  std::string result;
  if (what == "calls") {
    result = list(collect(m_.call_count(), [&](int i) { return m_.call(i); }),
                  {"server", "kind", "name", "params", "text", "answer"});
  } else if (what == "boxes") {
    result = list(collect(m_.box_count(), [&](int i) { return m_.box(i); }),
                  {"caption", "text", "icon", "buttons", "answer", "expected"});
  } else if (what == "windows") {
    const char* w = m_.windows();
    result = list(Lines(w ? w : ""), {"name", "class", "caption"});
  } else {
    const char* d = m_.dump(what.c_str(), json ? "json" : "text");
    if (!d) return kScriptError;
    result = d;
  }
  std::fputs((StripTrailingNewlines(result) + "\n").c_str(), stdout);
  std::fflush(stdout);
  return kPassed;
}

}  // namespace yzhost
