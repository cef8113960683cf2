#include "VirtualDisplay.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tvbrowser {

VirtualDisplay::~VirtualDisplay() { Stop(); }

void VirtualDisplay::Stop() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGTERM);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

bool VirtualDisplay::Start(std::string* error) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    *error = "cannot make a pipe for Xvfb";
    return false;
  }
  m_pid = fork();
  if (m_pid == 0) {
    close(pipeFds[0]);
    // The server's own chatter is not the page's output.
    int null = open("/dev/null", O_RDWR);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::string fd = std::to_string(pipeFds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24",
           "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  if (m_pid < 0) {
    close(pipeFds[0]);
    *error = "cannot start Xvfb";
    return false;
  }
  // Xvfb writes the display number once it accepts connections.
  std::string number;
  char c;
  while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
  close(pipeFds[0]);
  if (number.empty()) {
    *error = "Xvfb did not start (is the xvfb package installed?)";
    return false;
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
  return true;
}

}  // namespace tvbrowser
