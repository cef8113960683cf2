// A connection's own thread: the client's commands, the pipeline's bus
// messages and the timers all run there, one at a time and in the order
// they came, so that no GStreamer work blocks the client's thread and every
// event leaves from one thread, in order.
//
// The loop is built on the standard library rather than a GLib main loop:
// its hand-overs are then visible to the thread sanitizer, and no GLib
// frame sits under the connection's own code.
#ifndef PLAYERS_LOOPTHREAD_H
#define PLAYERS_LOOPTHREAD_H

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace players {

class LoopTimer;

class LoopThread {
 public:
  using Clock = std::chrono::steady_clock;

  LoopThread();
  ~LoopThread() { Stop(); }
  LoopThread(const LoopThread&) = delete;
  LoopThread& operator=(const LoopThread&) = delete;

  // Runs `task` on the loop thread, after every task posted before it.
  // Thread-safe.
  void Post(std::function<void()> task);
  // Lets the task under way finish, then ends the thread; tasks not yet
  // run are dropped with the loop.
  void Stop();

 private:
  friend class LoopTimer;
  void Run();
  std::optional<Clock::time_point> NextDue() const;
  void FireDue();

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::function<void()>> m_tasks;
  std::vector<LoopTimer*> m_timers;
  bool m_quit = false;
  std::thread m_thread;  // last: starts once everything above is set
};

// A one-shot or repeating timer that fires on its loop's thread. Start and
// Cancel belong to that thread.
class LoopTimer {
 public:
  explicit LoopTimer(LoopThread& loop);
  ~LoopTimer();
  LoopTimer(const LoopTimer&) = delete;
  LoopTimer& operator=(const LoopTimer&) = delete;

  // (Re)starts the timer to fire `period` from now.
  void Start(std::chrono::milliseconds period, bool repeat, std::function<void()> fire);
  void Cancel() { m_due.reset(); }
  bool Running() const { return m_due.has_value(); }

 private:
  friend class LoopThread;

  LoopThread& m_loop;
  std::optional<LoopThread::Clock::time_point> m_due;
  std::chrono::milliseconds m_period{0};
  bool m_repeat = false;
  std::function<void()> m_fire;
};

}  // namespace players

#endif  // PLAYERS_LOOPTHREAD_H
