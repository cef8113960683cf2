#include "Watchdog.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

namespace npbrowser {

Watchdog::Watchdog(std::chrono::milliseconds limit, std::function<std::string()> message,
                   int exitCode)
    : m_thread([this, limit, message = std::move(message), exitCode] {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_disarmed.wait_for(lock, limit, [this] { return m_done; })) {
          fprintf(stderr, "%s\n", message().c_str());
          fflush(stderr);
          _exit(exitCode);
        }
      }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
  }
  m_disarmed.notify_one();
  m_thread.join();
}

}  // namespace npbrowser
