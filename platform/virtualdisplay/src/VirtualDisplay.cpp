#include "virtualdisplay/VirtualDisplay.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace virtualdisplay {

VirtualDisplay::~VirtualDisplay() { Stop(); }

void VirtualDisplay::Stop() {
  m_name.clear();
  if (m_pid <= 0) return;
  kill(m_pid, SIGTERM);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

bool VirtualDisplay::Start(const std::string& screen, std::string* error) {
  Stop();
  int ready[2];
  if (pipe(ready) != 0) {
    *error = "cannot make a pipe for Xvfb";
    return false;
  }
  const std::string readyFd = std::to_string(ready[1]);
  const char* const argv[] = {"Xvfb", "-displayfd", readyFd.c_str(), "-screen", "0",
                              screen.c_str(), "-nolisten", "tcp", "-noreset", nullptr};
  // posix_spawn rather than fork: the caller may already run threads. The
  // server's own chatter is not the caller's output.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, ready[0]);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(argv), environ) != 0) {
    m_pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(ready[1]);
  // Xvfb writes the display number once it accepts clients; end of file
  // when it could not start.
  std::string number;
  char c;
  while (m_pid > 0 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
  close(ready[0]);
  if (number.empty()) {
    Stop();
    *error = "Xvfb did not start (is the xvfb package installed?)";
    return false;
  }
  m_name = ":" + number;
  return true;
}

}  // namespace virtualdisplay
