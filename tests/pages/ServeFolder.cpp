// serve_folder DIR COMMAND [ARG...]: serves the files under DIR over HTTP on
// 127.0.0.1 while COMMAND runs, and exits as COMMAND does. "@SERVER@" in an
// argument becomes the server's address, http://127.0.0.1:PORT. For page
// tests that play streams a player only fetches over HTTP.
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestServers.h"

namespace {

constexpr char kPlaceholder[] = "@SERVER@";
constexpr int kExitUsage = 2;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s DIR COMMAND [ARG...]\n", argv[0]);
    return kExitUsage;
  }
  playertest::FileServer server(argv[1]);
  std::vector<std::string> args(argv + 2, argv + argc);
  std::vector<char*> childArgv;
  for (std::string& arg : args) {
    const size_t at = arg.find(kPlaceholder);
    if (at != std::string::npos) arg.replace(at, sizeof kPlaceholder - 1, server.Url(""));
    childArgv.push_back(arg.data());
  }
  childArgv.push_back(nullptr);
  int status = 0;
  if (!server.Listening() ||
      !g_spawn_sync(nullptr, childArgv.data(), nullptr,
                    static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_CHILD_INHERITS_STDIN),
                    nullptr, nullptr, nullptr, nullptr, &status, nullptr)) {
    fprintf(stderr, "serve_folder: cannot serve %s on 127.0.0.1 or run %s\n", argv[1], argv[2]);
    return kExitUsage;
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
