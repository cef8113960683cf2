// The last resort behind --timeout: a script that never returns cannot be
// stopped by the main loop, so a thread ends the process if the run
// overstays its limit.
#ifndef NPBROWSER_WATCHDOG_H
#define NPBROWSER_WATCHDOG_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace npbrowser {

class Watchdog {
 public:
  // After `limit`, prints what `message` says then and exits with `exitCode`.
  // `message` runs on the watchdog's own thread.
  Watchdog(std::chrono::milliseconds limit, std::function<std::string()> message,
           int exitCode);
  ~Watchdog();  // disarms
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex m_mutex;
  std::condition_variable m_disarmed;
  bool m_done = false;
  std::thread m_thread;
};

}  // namespace npbrowser

#endif  // NPBROWSER_WATCHDOG_H
