// serve_folder DIR COMMAND [ARG...]: serves the files under DIR over HTTP on
// 127.0.0.1 while COMMAND runs, and exits as COMMAND does. "@SERVER@" in an
// argument becomes the server's address, http://127.0.0.1:PORT, which is
// also printed on standard error. For page tests that play streams a
// player only fetches over HTTP.
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "TestServers.h"

extern char** environ;

namespace {

constexpr char kPlaceholder[] = "@SERVER@";
constexpr int kExitUsage = 2;

std::string WithServer(std::string arg, const std::string& server) {
  const std::string placeholder = kPlaceholder;
  for (size_t at = arg.find(placeholder); at != std::string::npos;
       at = arg.find(placeholder, at + server.size())) {
    arg.replace(at, placeholder.size(), server);
  }
  return arg;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s DIR COMMAND [ARG...]\n", argv[0]);
    return kExitUsage;
  }
  playertest::FileServer server(argv[1]);
  if (!server.Listening()) {
    fprintf(stderr, "serve_folder: cannot listen on 127.0.0.1\n");
    return kExitUsage;
  }
  // Url("/x") is the address followed by "/x".
  std::string address = server.Url("/");
  address.pop_back();
  fprintf(stderr, "serve_folder: %s at %s\n", argv[1], address.c_str());

  std::vector<std::string> args;
  for (int i = 2; i < argc; ++i) args.push_back(WithServer(argv[i], address));
  std::vector<char*> childArgv;
  for (std::string& arg : args) childArgv.push_back(arg.data());
  childArgv.push_back(nullptr);

  pid_t child = 0;
  const int error = posix_spawnp(&child, childArgv[0], nullptr, nullptr, childArgv.data(), environ);
  if (error != 0) {
    fprintf(stderr, "serve_folder: cannot run %s: %s\n", childArgv[0], strerror(error));
    return kExitUsage;
  }
  int status = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (waited != child) return kExitUsage;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
