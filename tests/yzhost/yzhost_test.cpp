// yzhost against a stand-in module: the scenario language's parser, the ini edits, and whole
// runs of the program (exit codes, the one failure line, dumps, modal blocks).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/base/text.h"
#include "script.h"

namespace fs = std::filesystem;
using namespace yzhost;

namespace {

std::string Args(const Statement& st) { return yz::text::Join(st.args, "|"); }

TEST(ScenarioParser, LinesAsATable) {
  struct Case {
    const char* line;
    const char* verb;  // nullptr: the line is malformed
    const char* args;  // or the part of the error message
    const char* match = "";
  };
  const Case cases[] = {
      {"", "", ""},
      {"   # only a comment", "", ""},
      {"say \"两个 \\\"词\\\"\\t!\"  # comment", "say", "两个 \"词\"\t!"},
      {"ini user yp_zy 1011", "ini", "user|yp_zy|1011"},
      {"ini user ill_net_search1 http://h/a?mode=2&s=", "ini", "user|ill_net_search1|http://h/a?mode=2&s="},
      {"sql insert into t values ('a', \"b\") # kept", "sql", "insert into t values ('a', \"b\") # kept"},
      {"sql \"delete from t\"", "sql", "delete from t"},
      {"time 2024-05-06 08:00:00", "time", "2024-05-06 08:00:00"},
      {"time \"2024-05-06 08:00:00\"", "time", "2024-05-06 08:00:00"},
      {"init 000100001 1 00001", "init", "000100001|1|00001"},
      {"open config", "open", "config"},
      {"CLICK frmConfigEdit.btnPost1", "click", "frmConfigEdit|btnPost1"},
      {"click *.btnPost1", "click", "|btnPost1"},
      {"key frmMainInput Alt+S", "key", "frmMainInput||Alt+S"},
      {"key frmMainInput.edtInput Enter", "key", "frmMainInput|edtInput|Enter"},
      {"menu frmMainInput \"打印|长期医嘱单\"", "menu", "frmMainInput|打印|长期医嘱单"},
      {"set a.b.Checked = 1", "set", "a|b|Checked|1"},
      {"set a.Caption \"x y\"", "set", "a||Caption|x y"},
      {"row frmMainInput.dmYzInput.cdsActOrder 2", "row", "frmMainInput|dmYzInput.cdsActOrder"},
      {"answer OK cancel 6 No", "answer", "1|2|6|7"},
      {"closewindow frmConfigEdit yes", "closewindow", "frmConfigEdit"},
      {"fail dspGetDept", "fail", "dspGetDept|"},
      {"dump frmConfigEdit JSON", "dump", "frmConfigEdit|json"},
      {"close = \"1\"", "close", "", "1"},
      {"expect frmConfigEdit.cbxDept.Text = \"0101  内科\"", "expect-prop", "frmConfigEdit|cbxDept|Text", "0101  内科"},
      {"expect frmConfigEdit.Caption ~ ^系统", "expect-prop", "frmConfigEdit||Caption", "^系统"},
      {"expect field w.dm.cds.order_name = x", "expect-field", "w|dm.cds|order_name", "x"},
      {"expect box \"提示\" \"是否?\"", "expect-box", "提示", "是否?"},
      {"expect call ~ \"select .* from xt_user\"", "expect-call", "", "select .* from xt_user"},
      {"expect sql \"select 1\" = 1", "expect-sql", "select 1", "1"},
      {"expect ini user yz_frequence = \"0\"", "expect-ini", "user|yz_frequence", "0"},
      {"expect windows a b", "expect-windows", "a|b"},
      {"expect session x ~ \"\\(\\d+\\) \\\\ \\\"\"", "expect-session", "x", "\\(\\d+\\) \\ \""},
      // Malformed lines, with what the message names.
      {"clik a.b", nullptr, "unknown word \"clik\""},
      {"click frmConfigEdit", nullptr, "expected WINDOW.CONTROL, found \"frmConfigEdit\""},
      {"click a..b", nullptr, "expected WINDOW.CONTROL"},
      {"say \"open", nullptr, "no closing quote"},
      {"say \"a\"b", nullptr, "blank must follow"},
      {"say one two", nullptr, "too many arguments"},
      {"init 1 2", nullptr, "missing arguments"},
      {"open window", nullptr, "unknown window kind \"window\""},
      {"advance soon", nullptr, "must be a whole number"},
      {"cell a.g 0 1", nullptr, "rows count from 1"},
      {"answer Maybe", nullptr, "unknown answer \"Maybe\""},
      {"close = \"2\"", nullptr, "close answers"},
      {"expect a.b.c \"x\"", nullptr, "expected = \"text\" or ~ \"pattern\""},
      {"expect a.b.c = x y", nullptr, "unexpected \"y\""},
      {"expect a.b.c ~ \"(\"", nullptr, "bad pattern"},
      {"expect session user_name", nullptr, "expected = \"text\""},
      {"expect something", nullptr, "unknown expectation \"something\""},
      {"expect calls = many", nullptr, "must be a whole number"},
      {"sql", nullptr, "sql needs a statement"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Statement st;
    std::string error;
    bool ok = ParseLine(c.line, st, error);
    if (!c.verb) {
      EXPECT_FALSE(ok);
      EXPECT_NE(error.find(c.args), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(st.verb, c.verb);
    EXPECT_EQ(Args(st), c.args);
    EXPECT_EQ(st.match.text, c.match);
  }
}

TEST(ScenarioParser, ModalBlocksAttachToTheLineBefore) {
  Script s;
  std::string error;
  ASSERT_TRUE(ParseScript("open config\nmodal frmConfigEdit\n  click frmConfigEdit.btnPost1\n  modal *\n"
                          "    closewindow *\n  end\nend\nsay done\n",
                          "m.yzs", s, error))
      << error;
  ASSERT_EQ(s.statements.size(), 2u);
  ASSERT_EQ(s.statements[0].modals.size(), 1u);
  const ModalBlock& b = s.statements[0].modals[0];
  EXPECT_EQ(b.window, "frmConfigEdit");
  ASSERT_EQ(b.body.size(), 1u);
  EXPECT_EQ(b.body[0].line, 3);
  ASSERT_EQ(b.body[0].modals.size(), 1u);
  EXPECT_EQ(b.body[0].modals[0].window, "*");
  EXPECT_EQ(s.statements[1].line, 8);

  const struct {
    const char* text;
    const char* error;
  } bad[] = {
      {"modal frmConfigEdit\nend\n", "m.yzs:1: modal frmConfigEdit: a modal block must follow the line"},
      {"open config\nmodal frmConfigEdit\nsay x\n", "m.yzs:2: modal block has no end"},
      {"say x\nend\n", "m.yzs:2: end: no modal block to end"},
      {"say x\n\nexpect nobox extra\n", "m.yzs:3: expect nobox extra: too many arguments"},
      {"say \"\xff\"\n", "m.yzs: the script is not UTF-8 text"},
  };
  for (auto& c : bad) {
    EXPECT_FALSE(ParseScript(c.text, "m.yzs", s, error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
  }
}

TEST(ScenarioIni, KeysAreWrittenInGbkAndFoundWithoutCase) {
  fs::path dir = fs::temp_directory_path() / ("yzhost-ini-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string path = (dir / "omra.ini").string();
  std::ofstream(path, std::ios::binary) << "; site settings\r\n[User]\r\nYP_ZY=1011\r\n\r\n[server]\r\nappserver=\r\n";
  std::string e, v;
  ASSERT_TRUE(WriteIniKey(path, "user", "yp_zy", "1012", e));         // replaced in place
  ASSERT_TRUE(WriteIniKey(path, "user", "dept_name", "内科", e));      // added to the section
  ASSERT_TRUE(WriteIniKey(path, "report", "poison_report_code", "9", e));  // a new section
  std::ifstream f(path, std::ios::binary);
  std::stringstream raw;
  raw << f.rdbuf();
  EXPECT_EQ(raw.str(), "; site settings\r\n[User]\r\nYP_ZY=1012\r\ndept_name=\xc4\xda\xbf\xc6\r\n\r\n[server]\r\n"
                       "appserver=\r\n\r\n[report]\r\npoison_report_code=9\r\n");
  ASSERT_TRUE(ReadIniKey(path, "USER", "Dept_Name", v));
  EXPECT_EQ(v, "内科");
  EXPECT_FALSE(ReadIniKey(path, "server", "dept_name", v));
  EXPECT_FALSE(ReadIniKey((dir / "none.ini").string(), "user", "x", v));
  fs::remove_all(dir);
}

// ---------------------------------------------------------------------------------------------
// Whole runs of the program

struct RunResult {
  int code = -1;
  std::string out, err;
};

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

RunResult Yzhost(const std::string& args, const std::string& lib = YZHOST_FAKE_LIB) {
  static int n = 0;
  fs::path dir = fs::temp_directory_path() / ("yzhost-run-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
  fs::create_directories(dir);
  std::string cmd = std::string("cd ") + YZHOST_SCRIPTS + " && " + YZHOST_EXE + (lib.empty() ? "" : " --lib " + lib) +
                    " " + args + " >" + (dir / "out").string() + " 2>" + (dir / "err").string();
  int status = std::system(cmd.c_str());
  RunResult r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = Slurp(dir / "out");
  r.err = Slurp(dir / "err");
  fs::remove_all(dir);
  return r;
}

TEST(YzhostRun, APassingScriptWorksEveryKindOfLine) {
  RunResult r = Yzhost("pass.yzs");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("parameter window, modal\n"), std::string::npos);
  EXPECT_NE(r.out.find("    ok  expect box \"提示\" ~ \"是否重启\"\n"), std::string::npos);
  EXPECT_NE(r.out.find("passed: "), std::string::npos);
  // The closing dump lists the calls since clearcalls, with the fault the last set-up met.
  EXPECT_NE(r.out.find("2\tembedded\tapply\tdspActOrder\t"), std::string::npos);
  EXPECT_NE(r.out.find("\terror: 服务器无法连接"), std::string::npos);

  RunResult quiet = Yzhost("--quiet pass.yzs");
  EXPECT_EQ(quiet.code, 0);
  EXPECT_EQ(quiet.out.find("ok  "), std::string::npos);
  EXPECT_NE(quiet.out.find("\tapply\tdspActOrder\t"), std::string::npos);  // dumps still print
}

TEST(YzhostRun, FailuresGiveOneClearLineAndTheirExitCode) {
  const struct {
    const char* args;
    int code;
    const char* line;  // the whole of standard error
  } cases[] = {
      {"fail.yzs", 1, "fail.yzs:4: expect session ward_name = \"外科一病区\": expected \"外科一病区\", found \"内科一病区\"\n"},
      {"malformed.yzs", 2, "malformed.yzs:3: clik frmConfigEdit.btnPost1: unknown word \"clik\" (yzhost --help lists the words)\n"},
      {"nocontrol.yzs", 2, "nocontrol.yzs:2: click frmConfigEdit.btnNope: no control btnNope in window frmConfigEdit\n"},
      {"modal_fail.yzs", 1, "modal_fail.yzs:4: expect frmConfigEdit.cbxDept.Text = \"0201  外科\": expected \"0201  外科\", found \"0101  内科\"\n"},
      {"modal_missing.yzs", 1, "modal_missing.yzs:1: open config: the modal window frmConfigEdit opened, but no 'modal frmConfigEdit' block follows this line\n"},
      {"unexpected_box.yzs", 1, "unexpected_box.yzs:2: unexpected box \"提示\" \"新参数必须在重启应用程序后才生效，是否重启？\" (answered Cancel) (queue its answer with 'answer' before the line, or check it with 'expect box' after it)\n"},
      // Scripts are all read before any runs: the malformed second script stops the first.
      {"pass.yzs malformed.yzs", 2, "malformed.yzs:3: clik frmConfigEdit.btnPost1: unknown word \"clik\" (yzhost --help lists the words)\n"},
      {"missing.yzs", 2, "yzhost: cannot read the script missing.yzs (yzhost --help shows the usage)\n"},
      {"--frobnicate", 2, "yzhost: unknown option --frobnicate (yzhost --help shows the usage)\n"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.args);
    RunResult r = Yzhost(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.err, c.line);
    EXPECT_EQ(r.out.find("never reached"), std::string::npos);
  }
}

TEST(YzhostRun, TheModuleMustLoadWithEveryExport) {
  RunResult missing = Yzhost("pass.yzs", "/nonexistent/libyzinput.so");
  EXPECT_EQ(missing.code, 3);
  EXPECT_EQ(missing.err.rfind("yzhost: cannot load /nonexistent/libyzinput.so: ", 0), 0u) << missing.err;

  RunResult wrong = Yzhost("pass.yzs", "libm.so.6");  // a library, but not the module
  EXPECT_EQ(wrong.code, 3);
  EXPECT_EQ(wrong.err, "yzhost: libm.so.6: the module has no export YzinputInitVariant\n");
}

TEST(YzhostRun, DumpsAWindowADatasetAndTheCalls) {
  RunResult text = Yzhost("--dump config");
  EXPECT_EQ(text.code, 0) << text.err;
  EXPECT_EQ(text.out.rfind("frmConfigEdit (TfrmConfigEdit) Caption=系统参数维护\n", 0), 0u) << text.out;
  EXPECT_NE(text.out.find("  cbxDept Items=0101  内科\\n0201  外科 Text=0101  内科\n"), std::string::npos);

  RunResult json = Yzhost("--init 000100002 1 00009 --dump config.cdsGetDept --json");
  EXPECT_EQ(json.code, 0) << json.err;
  EXPECT_EQ(json.out, "[{\"dept_name\": \"内科\", \"dept_sn\": \"0101\"}, {\"dept_name\": \"外科\", \"dept_sn\": \"0201\"}]\n");

  RunResult calls = Yzhost("--init 0001 2 \"o'neil\" --dump calls --json");
  EXPECT_EQ(calls.code, 0) << calls.err;
  EXPECT_EQ(calls.out.rfind("[\n {\"server\": \"embedded\", \"kind\": \"open\", \"name\": \"DSP_dict\", \"params\": \"\", "
                            "\"text\": \"select user_name from xt_user where user_mi = 'o'neil'\", \"answer\": \"ok\"},\n",
                            0),
            0u)
      << calls.out;

  RunResult bad = Yzhost("--dump config.cdsNothing");
  EXPECT_EQ(bad.code, 2);
  EXPECT_EQ(bad.err, "yzhost: --dump config.cdsNothing: no dataset cdsNothing in window frmConfigEdit\n");
}

TEST(YzhostRun, OptionsAndTheBundledDemo) {
  RunResult check = Yzhost("--check", "");
  EXPECT_EQ(check.code, 0) << check.err;  // the demo built into the program reads well
  EXPECT_EQ(check.out, "1 script(s) read well\n");
  EXPECT_EQ(Yzhost("--version", "").out, "yzhost 0.1.0\n");
  EXPECT_NE(Yzhost("--help", "").out.find("exit codes: 0 all passed"), std::string::npos);
  EXPECT_EQ(Yzhost("--json pass.yzs").code, 2);

  // A given working directory keeps its own omra.ini and gets the script's edits.
  fs::path dir = fs::temp_directory_path() / ("yzhost-wd-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "omra.ini", std::ios::binary) << "[user]\r\nhospital=0009\r\n";
  std::ofstream(dir / "edit.yzs") << "ini user yp_zy 1011\nexpect ini user hospital = \"0009\"\n";
  RunResult wd = Yzhost("--workdir " + dir.string() + " " + (dir / "edit.yzs").string());
  EXPECT_EQ(wd.code, 0) << wd.err;
  EXPECT_EQ(Slurp(dir / "omra.ini"), "[user]\r\nhospital=0009\r\nyp_zy=1011\r\n");
  fs::remove_all(dir);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The real module

RunResult Real(const std::string& script) {
  return Yzhost(std::string(YZHOST_SCRIPTS) + "/../real/" + script, YZHOST_REAL_LIB);
}

TEST(YzhostReal, SessionAndParameterWindowScenariosPass) {
  for (const char* script : {"session.yzs", "config.yzs", "lookup.yzs"}) {
    RunResult r = Real(script);
    EXPECT_EQ(r.code, 0) << script << "\n" << r.err << r.out;
    EXPECT_NE(r.out.find("passed: "), std::string::npos) << script;
  }
}

TEST(YzhostReal, FailuresNameTheLineWhatWasExpectedAndWhatWasFound) {
  RunResult r = Real("fails.yzs");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("fails.yzs:3: expect session ward_name = \"外科一病区\": expected \"外科一病区\", found "
                       "\"内科一病区\"\n"),
            std::string::npos)
      << r.err;
  RunResult missing = Real("nocontrol.yzs");
  EXPECT_EQ(missing.code, 2);
  EXPECT_NE(missing.err.find("nocontrol.yzs:4: click frmConfigEdit.btnPots1: "), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find("btnPots1"), std::string::npos);
}

TEST(YzhostReal, TheBundledDemoRunsOnAFreshDirectory) {
  RunResult r = Yzhost("", YZHOST_REAL_LIB);
  EXPECT_EQ(r.code, 0) << r.err << r.out;
  EXPECT_NE(r.out.find("The demo is done"), std::string::npos);
}
