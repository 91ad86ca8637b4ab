// yzhost: the host program of the order-entry module. It loads libyzinput.so, calls its
// exports the way a clinical workstation does, and runs scenario scripts that work the
// module's windows through its automation interface (docs/scripting.md).
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "module.h"
#include "platform/base/text.h"
#include "script.h"

namespace fs = std::filesystem;

namespace yzhost {
extern const char* const kDemoScript;  // demo.yzs, built into the program
}

namespace {

using namespace yzhost;

// The demo ward's session: a patient in bed 01 of the medical ward and its head doctor.
constexpr const char* kDemoPatient = "000100001";
constexpr const char* kDemoAdmission = "1";
constexpr const char* kDemoUser = "00001";

const char* kUsage =
    "usage: yzhost [options] [SCRIPT.yzs ...]\n"
    "       yzhost [options] [--init PATIENT ADMISSION USER] --dump WHAT [--json]\n"
    "\n"
    "With no script yzhost runs its bundled demo on the demo ward.\n"
    "\n"
    "options:\n"
    "  --lib PATH       the module to load (default: $YZINPUT_LIB, else the libyzinput.so of\n"
    "                   this build tree, else next to yzhost, else the loader's search path)\n"
    "  --workdir DIR    run in DIR (created when missing; an omra.ini is written when it has\n"
    "                   none). Default: a fresh temporary directory, removed afterwards\n"
    "  --quiet          print only failures and dumps\n"
    "  --check          only check the scripts' wording; the module is not loaded\n"
    "  --init P A U     the session for --dump (default: the demo patient and doctor)\n"
    "  --dump WHAT      print WHAT after the session set-up: main, group or config (the window,\n"
    "                   created embedded), config.DATASET, calls, boxes or windows\n"
    "  --json           --dump as JSON\n"
    "  --version, --help\n"
    "\n"
    "script words (docs/scripting.md has the whole language):\n"
    "  say \"text\" | ini SECTION KEY \"value\" | sql STATEMENT | time \"yyyy-mm-dd hh:nn:ss\"\n"
    "  advance MS | process | init PATIENT ADMISSION USER | create main|group|config\n"
    "  open main|group|config (then: modal WINDOW ... end) | new | save | delete | undo\n"
    "  close [= \"0\"|\"1\"] | focus W.C | settext W.C \"text\" | type W.C \"text\"\n"
    "  key W[.C] KEY | click W.C | dblclick W.C | menu W \"item\" | cell W.GRID ROW COL\n"
    "  set W.C.PROP \"value\" | row W.DATASET N | closewindow W [OK|Cancel|Yes|No]\n"
    "  answer OK|Cancel|Yes|No ... | fail NAME [\"text\"] | clearcalls | clearboxes\n"
    "  dump WHAT [json]\n"
    "  expect W.C.PROP = \"text\" | expect W.C.PROP ~ \"pattern\" | expect field W.DATASET.FIELD = ...\n"
    "  expect box \"caption\" \"text\" | expect nobox | expect call [~] \"text\" | expect nocall [~] \"text\"\n"
    "  expect calls = N | expect sql \"query\" = \"answer\" | expect session KEY = \"text\"\n"
    "  expect ini SECTION KEY = \"text\" | expect windows [NAME ...] | expect window NAME\n"
    "  expect nowindow NAME\n"
    "\n"
    "exit codes: 0 all passed, 1 an expectation failed, 2 a script or usage error,\n"
    "            3 the module could not be loaded\n";

// The settings file of a fresh working directory: the embedded servers (no appserver) and
// the site's defaults; everything else reads its default.
const char* kDefaultIni =
    "; Workstation settings of the order-entry module, written by yzhost.\r\n"
    "[server]\r\n"
    "appserver=\r\n"
    "[user]\r\n"
    "subsys_id=\r\n"
    "hospital=0001\r\n";

std::string ExeDir() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  buf[n] = 0;
  return fs::path(buf).parent_path().string();
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "yzhost: %s (yzhost --help shows the usage)\n", message.c_str());
  return kScriptError;
}

struct Options {
  std::string lib, workdir;
  bool quiet = false, check = false, json = false;
  std::string dump;
  std::vector<std::string> init;
  std::vector<std::string> scripts;
};

// Removes the temporary working directory when yzhost made one.
struct TempDir {
  std::string path;
  ~TempDir() {
    if (path.empty()) return;
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

int Main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return kPassed;
    } else if (a == "--version") {
      std::printf("yzhost %s\n", YZ_VERSION);
      return kPassed;
    } else if (a == "--quiet" || a == "-q") {
      o.quiet = true;
    } else if (a == "--check") {
      o.check = true;
    } else if (a == "--json") {
      o.json = true;
    } else if (a == "--lib" || a == "--workdir" || a == "--dump") {
      const char* v = value();
      if (!v || !*v) return UsageError(a + " needs a value");
      (a == "--lib" ? o.lib : a == "--workdir" ? o.workdir : o.dump) = v;
    } else if (a == "--init") {
      if (i + 3 >= argc) return UsageError("--init needs PATIENT ADMISSION USER");
      o.init = {argv[i + 1], argv[i + 2], argv[i + 3]};
      i += 3;
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError("unknown option " + a);
    } else {
      o.scripts.push_back(a);
    }
  }
  if (!o.dump.empty() && !o.scripts.empty()) return UsageError("--dump runs without scripts");
  if (o.json && o.dump.empty()) return UsageError("--json goes with --dump");
  if (!o.init.empty() && o.dump.empty()) return UsageError("--init goes with --dump (scripts use the word init)");

  // Every script is read and parsed before anything runs.
  std::vector<Script> scripts;
  if (o.dump.empty()) {
    if (o.scripts.empty()) {
      scripts.emplace_back();
      std::string error;
      if (!ParseScript(kDemoScript, "demo.yzs", scripts.back(), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kScriptError;
      }
    }
    for (auto& path : o.scripts) {
      std::string body, error;
      if (!ReadWhole(path, body)) return UsageError("cannot read the script " + path);
      scripts.emplace_back();
      if (!ParseScript(body, path, scripts.back(), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kScriptError;
      }
    }
  }
  if (o.check) {
    if (!o.quiet) std::printf("%zu script(s) read well\n", scripts.size());
    return kPassed;
  }

  // The library path is fixed before the working directory changes.
  std::string lib = o.lib.empty() ? DefaultLibraryPath(ExeDir()) : o.lib;
  if (lib.find('/') != std::string::npos) lib = fs::absolute(lib).lexically_normal().string();

  TempDir temp;
  std::string workdir = o.workdir;
  std::error_code ec;
  if (workdir.empty()) {
    std::string tmpl = (fs::temp_directory_path(ec) / "yzhost-XXXXXX").string();
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back(0);
    if (!::mkdtemp(buf.data())) return UsageError("cannot make a working directory in " + tmpl);
    workdir = temp.path = buf.data();
  } else {
    fs::create_directories(workdir, ec);
    if (ec) return UsageError("cannot make the working directory " + workdir + ": " + ec.message());
  }
  if (::chdir(workdir.c_str()) != 0) return UsageError("cannot enter the working directory " + workdir);
  if (!fs::exists("omra.ini")) {
    std::ofstream ini("omra.ini", std::ios::binary);
    ini << yz::text::ToGbk(kDefaultIni);
    if (!ini) return UsageError("cannot write omra.ini in " + workdir);
  }

  Module m;
  std::string error;
  if (!LoadModule(lib, m, error)) {
    std::fprintf(stderr, "yzhost: %s\n", error.c_str());
    return kLoadError;
  }
  std::FILE* out = o.quiet ? nullptr : stdout;
  Runner runner(m, out, stderr);

  if (!o.dump.empty()) {
    std::vector<std::string> who = o.init.empty()
                                       ? std::vector<std::string>{kDemoPatient, kDemoAdmission, kDemoUser}
                                       : o.init;
    // The dump of a window creates it first, embedded into a host window.
    std::string what = o.dump, kind = what.substr(0, what.find('.'));
    std::string script = "init \"" + who[0] + "\" \"" + who[1] + "\" \"" + who[2] + "\"\n";
    static const struct {
      const char *kind, *window;
    } kinds[] = {{"main", "frmMainInput"}, {"group", "frm_groupyz_input"}, {"config", "frmConfigEdit"}};
    for (auto& k : kinds) {
      if (kind == k.kind || kind == k.window) {
        script += std::string("create ") + k.kind + "\n";
        what = k.window + what.substr(kind.size());
      }
    }
    Script s;
    if (!ParseScript(script, "--dump", s, error)) return UsageError(error);
    int rc = runner.Run(s);
    if (rc != kPassed) return rc;
    rc = runner.Dump(what, o.json);
    if (rc != kPassed) {
      std::string e = m.LastError();
      std::fprintf(stderr, "yzhost: --dump %s: %s\n", o.dump.c_str(), e.empty() ? "nothing to dump" : e.c_str());
    }
    return rc;
  }

  if (out) std::fprintf(out, "yzhost %s: module %s, working directory %s\n", YZ_VERSION, lib.c_str(), workdir.c_str());
  for (auto& s : scripts) {
    if (out && scripts.size() > 1) std::fprintf(out, "== %s\n", s.file.c_str());
    int rc = runner.Run(s);
    if (rc != kPassed) return rc;
  }
  if (out) std::fprintf(out, "passed: %d check(s) in %zu script(s)\n", runner.Checks(), scripts.size());
  return kPassed;
}

}  // namespace

int main(int argc, char** argv) {
  // Output piped into a pager that quits early must not kill yzhost before it removes its
  // temporary working directory.
  std::signal(SIGPIPE, SIG_IGN);
  return Main(argc, argv);
}
