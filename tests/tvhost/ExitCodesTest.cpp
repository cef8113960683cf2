// tvhost as a program: its exit codes and messages, run on small pages
// against the test plug-in.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
  int exitCode = -1;
  std::string stderrText;
};

std::string ReadAll(const std::string& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/tvhost-test-XXXXXX";
    m_path = mkdtemp(pattern);
  }
  ~TempDir() { std::system(("rm -rf '" + m_path + "'").c_str()); }
  std::string Write(const std::string& name, const std::string& content) const {
    std::string path = m_path + "/" + name;
    std::ofstream(path) << content;
    return path;
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

// Runs tvhost; kills it (and fails) if it outlives 30 seconds. A run that
// leaks NPObjects on purpose is not a leak for LeakSanitizer to report.
Outcome RunTvhost(std::vector<std::string> args, const std::string& errPath,
                  bool leaksOnPurpose) {
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (!leaksOnPurpose || std::string(*variable).rfind("ASAN_OPTIONS=", 0) != 0) {
      environment.push_back(*variable);
    }
  }
  if (leaksOnPurpose) {
    const char* asan = getenv("ASAN_OPTIONS");
    environment.push_back(std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") +
                          ":detect_leaks=0");
  }
  std::vector<char*> envp;
  for (auto& variable : environment) envp.push_back(&variable[0]);
  envp.push_back(nullptr);
  args.insert(args.begin(), TVHOST_PATH);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  Outcome outcome;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) return outcome;
  posix_spawn_file_actions_destroy(&actions);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "tvhost did not end";
      return outcome;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.stderrText = ReadAll(errPath);
  return outcome;
}

struct ExitCase {
  const char* name;
  std::vector<std::string> options;
  const char* script;  // the page's script, after one test plug-in element
  int exitCode;
  const char* stderrContains;
  const char* pageName = "page.html";  // another name: a page that is not there
};

class ExitCodeTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodeTest, EndsWithItsCodeAndMessage) {
  const ExitCase& c = GetParam();
  TempDir dir;
  dir.Write(
      "page.html", std::string("<html><body>\n<object id=\"t\" type=\"application/x-tvhost-test\">"
                               "</object>\n<script>\n") + c.script + "\n</script></body></html>\n");
  std::vector<std::string> args = {"--plugin", TEST_PLUGIN_PATH, "--timeout", "10"};
  args.insert(args.end(), c.options.begin(), c.options.end());
  args.push_back(dir.Path() + "/" + c.pageName);
  Outcome outcome = RunTvhost(args, dir.Path() + "/stderr.txt",
                              std::string(c.name).rfind("Leaked", 0) == 0);
  EXPECT_EQ(outcome.exitCode, c.exitCode) << outcome.stderrText;
  EXPECT_NE(outcome.stderrText.find(c.stderrContains), std::string::npos) << outcome.stderrText;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ExitCodeTest,
    ::testing::Values(
        ExitCase{"ExitCode", {}, "tvhost.exit(7);", 7, ""},
        ExitCase{"UncaughtError", {}, "var a = 1;\nnothing.here();", 1, "page.html:5: ReferenceError"},
        ExitCase{"ErrorInCallbackFromAnotherThread", {"--check-leaks"},
                 "var t = document.getElementById('t');\n"
                 "t.callLater(function (x) { throw new Error('late ' + x); }, 'hi');",
                 1, "Error: late hi"},
        ExitCase{"CallbackFromAnotherThread", {"--check-leaks"},
                 "var t = document.getElementById('t');\n"
                 "t.callLater(function (x) { tvhost.exit(x == 'hi' ? 0 : 5); }, 'hi');",
                 0, ""},
        ExitCase{"NumbersAsDoubles", {},
                 "var t = document.getElementById('t');\n"
                 "tvhost.exit(t.typeOf(1) + t.typeOf(1.5) == 'doubledouble' ? 0 : 9);", 0, ""},
        ExitCase{"NumbersAsInt32", {"--numbers", "int32"},
                 "var t = document.getElementById('t');\n"
                 "tvhost.exit(t.typeOf(1) + t.typeOf(1.5) == 'int32double' ? 0 : 9);", 0, ""},
        ExitCase{"LeakedBlock", {"--check-leaks"},
                 "document.getElementById('t').leakBlock(); tvhost.exit(0);", 3,
                 "1 NPN_MemAlloc blocks"},
        ExitCase{"LeakedBlockUnchecked", {},
                 "document.getElementById('t').leakBlock(); tvhost.exit(0);", 0, ""},
        ExitCase{"LeakedObject", {"--check-leaks"},
                 "document.getElementById('t').leakObject(function () {}); tvhost.exit(0);",
                 3, "NPObjects not deallocated"},
        ExitCase{"Timeout", {"--timeout", "0.3"}, "", 124, "timed out after 0.3 seconds"},
        ExitCase{"MissingScript", {}, "</script><script src=\"nowhere.js\">", 2,
                 "cannot load script"},
        ExitCase{"MissingPage", {}, "", 2, "cannot load page", "missing.html"},
        ExitCase{"MissingModule", {"--plugin", "/nonexistent/module.so"}, "", 2,
                 "cannot load module /nonexistent/module.so"},
        ExitCase{"BadOption", {"--numbers", "float"}, "", 2, "bad value for --numbers"}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return info.param.name; });

}  // namespace
