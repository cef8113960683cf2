// tvhost as a program: its exit codes and messages, run on small pages
// against the test plug-in.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ExitCase {
  const char* name;
  std::vector<std::string> options;
  const char* script;  // the page's script, after one test plug-in element `t`
  int exitCode;
  const char* stderrContains;
  const char* pageName = "page.html";  // another name: a page that is not there
};

class ExitCodeTest : public ::testing::TestWithParam<ExitCase> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tvhost-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // Runs tvhost, killed after 30 seconds (exit code 137). A run that leaks
  // on purpose is not a leak for LeakSanitizer to report.
  int Run(const std::vector<std::string>& args, bool leaksOnPurpose) {
    std::string command = leaksOnPurpose ? "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " : "";
    command += "timeout -s KILL 30 '" TVHOST_PATH "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    int status = std::system((command + " >/dev/null 2>'" + dir + "/stderr.txt'").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Stderr() const {
    std::ostringstream text;
    text << std::ifstream(dir + "/stderr.txt").rdbuf();
    return text.str();
  }

  std::string dir;
};

TEST_P(ExitCodeTest, EndsWithItsCodeAndMessage) {
  const ExitCase& c = GetParam();
  std::ofstream(dir + "/page.html")
      << "<html><body>\n<object id=\"t\" type=\"application/x-tvhost-test\"></object>\n"
      << "<script>\nvar t = document.getElementById('t');\n" << c.script << "\n</script>\n";
  std::vector<std::string> args = {"--plugin", TEST_PLUGIN_PATH, "--timeout", "10"};
  args.insert(args.end(), c.options.begin(), c.options.end());
  args.push_back(dir + "/" + c.pageName);
  EXPECT_EQ(Run(args, std::string(c.name).rfind("Leaked", 0) == 0), c.exitCode) << Stderr();
  EXPECT_NE(Stderr().find(c.stderrContains), std::string::npos) << Stderr();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ExitCodeTest,
    ::testing::Values(
        ExitCase{"ExitCode", {}, "tvhost.exit(7);", 7, ""},
        ExitCase{"UncaughtError", {}, "nothing.here();", 1, "page.html:5: ReferenceError"},
        ExitCase{"ErrorInCallbackFromAnotherThread", {"--check-leaks"},
                 "t.callLater(function (x) { throw new Error('late ' + x); }, 'hi');", 1,
                 "Error: late hi"},
        ExitCase{"NumbersAsDoubles", {},
                 "tvhost.exit(t.typeOf(1) + t.typeOf(1.5) == 'doubledouble' ? 0 : 9);", 0, ""},
        ExitCase{"NumbersAsInt32", {"--numbers", "int32"},
                 "tvhost.exit(t.typeOf(1) + t.typeOf(1.5) == 'int32double' ? 0 : 9);", 0, ""},
        ExitCase{"LeakedBlock", {"--check-leaks"}, "t.leakBlock(); tvhost.exit(0);", 3,
                 "1 NPN_MemAlloc blocks"},
        ExitCase{"LeakedBlockUnchecked", {}, "t.leakBlock(); tvhost.exit(0);", 0, ""},
        ExitCase{"LeakedObject", {"--check-leaks"},
                 "t.leakObject(function () {}); tvhost.exit(0);", 3, "NPObjects not deallocated"},
        ExitCase{"Timeout", {"--timeout", "0.3"}, "", 124, "timed out after 0.3 seconds"},
        ExitCase{"MissingScript", {}, "</script><script src=\"nowhere.js\">", 2,
                 "cannot load script"},
        ExitCase{"MissingPage", {}, "", 2, "cannot load page", "missing.html"},
        ExitCase{"MissingModule", {"--plugin", "/nonexistent/module.so"}, "", 2,
                 "cannot load module /nonexistent/module.so"},
        ExitCase{"BadOption", {"--numbers", "float"}, "", 2, "bad value for --numbers"}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return info.param.name; });

}  // namespace
