// The browser's main loop: a queue of tasks that any thread may post to, and
// timers that only the main thread sets. Everything runs on the thread that
// calls Run.
#ifndef TVHOST_MAINLOOP_H
#define TVHOST_MAINLOOP_H

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "TaskPoster.h"

namespace tvhost {

class MainLoop : public npbrowser::TaskPoster {
 public:
  using Clock = std::chrono::steady_clock;

  // Any thread; wakes the loop.
  void Post(Task task) override;
  // Any thread; Run returns after the task it is running.
  void Stop();
  bool StopRequested() const;

  // Main thread. Returns an id above 0.
  int AddTimer(std::chrono::milliseconds delay, bool repeat, Task task);
  void CancelTimer(int id);

  enum class RunResult { kStopped, kTimedOut };
  // Runs tasks and timers until Stop or the deadline.
  RunResult Run(Clock::time_point deadline);
  // Runs the queued tasks, also those they queue, up to `limit`; returns how
  // many ran. For shutdown, when no timer may fire any more.
  size_t RunQueued(size_t limit);

 private:
  struct Timer {
    Clock::time_point due;
    std::chrono::milliseconds interval;
    bool repeat;
    std::shared_ptr<Task> task;
  };

  bool RunOneQueued();
  bool RunOneDueTimer();
  Clock::time_point NextWake(Clock::time_point deadline) const;

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Task> m_tasks;
  bool m_stop = false;
  std::map<int, Timer> m_timers;  // main thread only
  int m_nextTimerId = 1;
};

}  // namespace tvhost

#endif  // TVHOST_MAINLOOP_H
