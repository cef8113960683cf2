// tvhost and tvbrowser as programs: their exit codes and messages, run on
// small pages against the test plug-in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "Pictures.h"

namespace {

struct ExitCase {
  const char* name;     // "Leaked...": leaks on purpose, not for LeakSanitizer to report
  const char* options;  // "@" stands for the case's folder, which holds page.html
  const char* script;   // after one test plug-in element `t`; null: no page at all
  int exitCode;
  const char* stderrContains;
  const char* program = TVHOST_PATH;
};

class ExitCodeTest : public pictures::ProgramTest,
                     public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitCodeTest, EndsWithItsCodeAndMessage) {
  const ExitCase& c = GetParam();
  std::string options = std::string("--plugin '" TEST_PLUGIN_PATH "' --timeout 10 ") +
                        (std::string(c.program) == TVHOST_PATH ? "" : "--headless ") + c.options;
  for (size_t at = options.find('@'); at != std::string::npos; at = options.find('@')) {
    options.replace(at, 1, m_dir);
  }
  // conversions(expected): the NPVariantType each value crosses to the
  // plug-in as (3 for int32, 4 for double, 5 for a string, here with its
  // UTF-8 bytes), and a "!" for one that did not come back from echo as
  // itself.
  const std::string page =
      c.script == nullptr
          ? ""
          : std::string(
                "<html><body>\n<object id=\"t\" type=\"application/x-tvhost-test\"></object>\n"
                "<script>\nvar t = document.getElementById('t'); function conversions(expected) {"
                " var values = [7, -2147483648, 2147483648, 2.5, -0, 'h\\u00e9 \"q\"', '',"
                " true, null, undefined, function () {}];"
                " var got = values.map(function (v) {"
                " return t.typeOf(v) + (Object.is(t.echo(v), v) ? '' : '!'); }).join(' ');"
                " if (got !== expected) throw new Error(got); tvhost.exit(0); }\n") +
                c.script + "\n</script>\n";
  const char* asan = getenv("ASAN_OPTIONS");
  const std::string saved = asan != nullptr ? asan : "";
  if (std::string(c.name).rfind("Leaked", 0) == 0) {
    setenv("ASAN_OPTIONS", (saved + ":detect_leaks=0").c_str(), 1);
  }
  const pictures::Outcome run = Run(c.program, options, page);
  setenv("ASAN_OPTIONS", saved.c_str(), 1);
  EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
  EXPECT_NE(run.err.find(c.stderrContains), std::string::npos) << run.err;
}

const ExitCase kCases[] = {
    {"ExitCode", "", "tvhost.exit(7);", 7, ""},
    {"ExitCodeNotANumber", "", "tvhost.exit('seven');", 1, ""},
    {"NumbersAsDoubles", "--check-leaks", "conversions('4 4 4 4 4 5007 5000 2 1 0 6');", 0, ""},
    {"NumbersAsInt32", "--check-leaks --numbers int32",
     "conversions('3 3 4 4 4 5007 5000 2 1 0 6');", 0, ""},
    {"UncaughtError", "", "nothing.here();", 1, "page.html:5: ReferenceError"},
    {"ErrorInQueuedCallback", "--check-leaks",
     "t.callLater(function () { throw new Error('late'); });", 1, "Error: late"},
    {"LeakedObject", "--check-leaks", "t.leakObject({}); tvhost.exit(0);", 3,
     "leak: 1 of 2 NPObjects not deallocated"},
    {"LeakedObjectUnchecked", "", "t.leakObject({}); tvhost.exit(0);", 0, ""},
    {"Timeout", "--timeout 0.3", "", 124, "timed out after 0.3 seconds"},
    // Always something to run: a handler slower than its interval, and
    // callbacks that queue themselves again.
    {"BusyPageTimesOut", "--timeout 0.3 --check-leaks",
     "setInterval(function () { var end = Date.now() + 5; while (Date.now() < end) {} }, 1);"
     "t.callLater(function again() { t.callLater(again); });",
     124, "timed out after 0.3 seconds"},
    // 10^13 ms is 2^32 * 2328 + 1316134912 ms: over fifteen days.
    {"HugeTimerDelayWraps", "",
     "setInterval(function () { tvhost.exit(9); }, 1e13);"
     "setTimeout(function () { tvhost.exit(0); }, 20);",
     0, ""},
    {"StuckInModuleCall", "--timeout 0.2", "t.callLater(function () { t.typeOf(1); t.hang(); });",
     124, "the page's script does not return (in the module: invoke hang on element #t)"},
    // A module call that returned is no longer the one in progress.
    {"StuckInScript", "--timeout 0.2", "t.typeOf(1); for (;;) {}", 124,
     "the page's script does not return (not in a module call)"},
    {"MissingScript", "", "</script><script src=\"nowhere.js\">", 2, "cannot load script"},
    {"MissingPage", "", nullptr, 2, "cannot load page"},
    {"MissingModule", "--plugin /nonexistent/module.so", "", 2,
     "cannot load module /nonexistent/module.so"},
    {"BadOption", "--numbers float", "", 2, "bad value for --numbers"},
    {"BadWidget", "--widget 1280x0", "", 2, "bad value for --widget"},
    {"BadTimeout", "--timeout -1", "", 2, "bad value for --timeout"},
    // A picture of the plane asked for on the command line that cannot
    // be had ends the run with 2, even when the page itself passed.
    {"PlaneSnapshotWithoutPlane", "--plane-snapshot @/exit.png", "tvhost.exit(0);", 2,
     "--plane-snapshot needs --player gst"},
    {"PlaneSnapshotUnwritable", "--player gst --plane-snapshot @/page.html/exit.png",
     "tvhost.exit(0);", 2, "cannot write the plane to"},
    {"SnapshotFolderIsAFile", "--player gst --snapshot-dir @/page.html", "tvhost.exit(0);", 2,
     "cannot make snapshot folder"},
    // tvhost.snapshot needs a plane and a folder; other names than
    // plain ones are for PlaneSnapshotTest.
    {"SnapshotWithoutPlane", "--player sim --snapshot-dir @",
     "tvhost.snapshot('a.png'); tvhost.exit(0);", 1, "this player has no video plane"},
    {"SnapshotWithoutFolder", "--player gst", "tvhost.snapshot('a.png'); tvhost.exit(0);", 1,
     "no folder for snapshots"},
    {"WindowWithoutPlane", "--video window", "tvhost.exit(0);", 2,
     "--video window needs --player gst"},
    {"WindowWithoutDisplay", "--player gst --video window", "tvhost.exit(0);", 2,
     "cannot show the video plane: no display"}};

std::string CaseName(const ::testing::TestParamInfo<ExitCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Pages, ExitCodeTest, ::testing::ValuesIn(kCases), CaseName);

#ifdef TVBROWSER_PATH
// The same run rules in WebKit, its page loaded from a file: URL.
std::vector<ExitCase> InTvbrowser(const std::set<std::string>& names) {
  std::vector<ExitCase> cases;
  for (ExitCase c : kCases) {
    c.program = TVBROWSER_PATH;
    if (names.count(c.name) != 0) cases.push_back(c);
  }
  return cases;
}
INSTANTIATE_TEST_SUITE_P(Tvbrowser, ExitCodeTest,
                         ::testing::ValuesIn(InTvbrowser({"ExitCode", "NumbersAsDoubles",
                                                          "UncaughtError", "ErrorInQueuedCallback",
                                                          "LeakedObject", "Timeout", "MissingPage",
                                                          "MissingModule", "BadWidget",
                                                          "BadTimeout"})),
                         CaseName);
#endif

}  // namespace
