// Scenario scripts: the line-based language yzhost runs (docs/scripting.md), its parser and
// its runner. A script is parsed whole before anything runs, so a malformed line stops the
// run before the module is touched.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

namespace yzhost {

struct Module;

// How a value is compared: the whole text, or a regular expression searched in it.
struct Match {
  bool regex = false;
  std::string text;
};

struct ModalBlock;

// One action or expectation. `verb` is the first word ("click"; for expectations
// "expect" followed by the kind: "expect-prop", "expect-box", ...). `args` holds the words
// and texts after it (targets split at dots into window, control, property...), `match` the
// value compared by expectations.
struct Statement {
  std::string file;
  int line = 0;
  std::string source;  // the line as written, trimmed
  std::string verb;
  std::vector<std::string> args;
  int number = 0;   // rows, columns, milliseconds, counts
  int number2 = 0;
  bool hasMatch = false;
  Match match;
  std::vector<ModalBlock> modals;  // blocks run when a modal window opens during this line
};

struct ModalBlock {
  std::string window;  // "*" for any window
  int line = 0;
  std::vector<Statement> body;
};

struct Script {
  std::string file;
  std::vector<Statement> statements;
};

// Parses a script. On a malformed line returns false with "file:line: message" in `error`.
bool ParseScript(const std::string& text, const std::string& file, Script& out, std::string& error);
// Parses one line (no modal blocks); for the parser's tests and for error texts.
bool ParseLine(const std::string& line, Statement& out, std::string& error);

// Writes a key into an ini file (GBK on disk), creating the file and the section when
// missing; false with a message when the file cannot be written.
bool WriteIniKey(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value, std::string& error);
// Reads a key of an ini file as UTF-8; false when the file, the section or the key is missing.
bool ReadIniKey(const std::string& path, const std::string& section, const std::string& key, std::string& value);

// Exit codes of yzhost.
enum ExitCode { kPassed = 0, kFailed = 1, kScriptError = 2, kLoadError = 3 };

class Runner {
 public:
  // `out` receives the steps and the passed checks (nullptr: quiet); `err` the one failure line.
  Runner(const Module& m, std::FILE* out, std::FILE* err);
  ~Runner();
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // Runs a script; answers one of the exit codes. The first failure ends the run.
  int Run(const Script& s);
  // Runs one dump request ("calls", "boxes", "windows", "session", a window or a dataset).
  int Dump(const std::string& what, bool json);
  // Number of expectations passed so far.
  int Checks() const { return checks_; }
  // The failure line of the last run, "" when it passed.
  const std::string& FailureText() const { return failure_; }

 private:
  struct Frame {
    const std::vector<ModalBlock>* blocks;
    std::vector<bool> used;
    const Statement* statement;  // the line being run, which opened the modal window
  };
  static int OnModal(const char* window, void* self);
  int HandleModal(const std::string& window);
  bool ExecList(const std::vector<Statement>& list);
  bool Exec(const Statement& st);
  bool Do(const Statement& st);
  bool Expect(const Statement& st);
  bool Fail(const Statement& st, int code, const std::string& message);
  bool ModuleFailed(const Statement& st);
  bool Check(const Statement& st, const std::string& found, const std::string& expectedPrefix = "");
  void NoteBoxes(const Statement& st);
  std::string UnseenUnexpectedBox(int* line) const;
  bool InfoCheck(const Statement& st, const char* info);
  void Print(const std::string& text);

  const Module& m_;
  std::FILE* out_;
  std::FILE* err_;
  std::vector<Frame> frames_;
  int code_ = kPassed;
  std::string failure_;
  int checks_ = 0;
  int boxSeen_ = 0;                      // boxes examined by 'expect box'
  std::vector<std::string> boxOrigin_;  // "file:line" that showed each box
};

// Splits a box or call record of the automation interface at tabs.
std::vector<std::string> SplitTabs(const std::string& s);
// A text in double quotes with quotes, backslashes, tabs and line ends escaped.
std::string Quoted(const std::string& s);

// Reads a whole file as bytes; false when it cannot be read.
bool ReadWhole(const std::string& path, std::string& out);

}  // namespace yzhost
