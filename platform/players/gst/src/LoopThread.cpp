#include "LoopThread.h"

#include <algorithm>
#include <utility>

namespace players {

LoopThread::LoopThread() : m_thread([this] { Run(); }) {}

// Notifies under the lock: a streaming thread's last post then ends before
// the lock is free, so the owner's final Stop(), which takes the lock, comes
// after it even where GStreamer joins its threads out of the sanitizer's
// sight, and the condition variable is not destroyed under a notify.
void LoopThread::Post(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_tasks.push_back(std::move(task));
  m_wake.notify_one();
}

void LoopThread::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quit = true;
  }
  m_wake.notify_one();
  if (m_thread.joinable()) m_thread.join();
}

// Tasks first, in order; timers when nothing is waiting to run.
void LoopThread::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_quit) {
    if (!m_tasks.empty()) {
      std::function<void()> task = std::move(m_tasks.front());
      m_tasks.pop_front();
      lock.unlock();
      task();
      task = nullptr;  // what it holds goes on this thread, unlocked
      lock.lock();
      continue;
    }
    const std::optional<Clock::time_point> due = NextDue();
    if (due && *due <= Clock::now()) {
      lock.unlock();
      FireDue();
      lock.lock();
    } else if (due) {
      m_wake.wait_until(lock, *due);
    } else {
      m_wake.wait(lock);
    }
  }
}

// Timers are only set on this thread, so reading them needs no lock; the
// lock guards only the list of them.
std::optional<LoopThread::Clock::time_point> LoopThread::NextDue() const {
  std::optional<Clock::time_point> next;
  for (const LoopTimer* timer : m_timers) {
    if (timer->m_due && (!next || *timer->m_due < *next)) next = timer->m_due;
  }
  return next;
}

void LoopThread::FireDue() {
  std::vector<LoopTimer*> timers;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    timers = m_timers;
  }
  const Clock::time_point now = Clock::now();
  for (LoopTimer* timer : timers) {
    if (!timer->m_due || *timer->m_due > now) continue;
    if (timer->m_repeat) {
      // Steady steps; after a stall the next one is a full period away
      // rather than a burst of catching up.
      timer->m_due = std::max(*timer->m_due + timer->m_period, now + timer->m_period / 2);
    } else {
      timer->m_due.reset();
    }
    // A copy: the callback may restart this very timer.
    std::function<void()> fire = timer->m_fire;
    fire();
  }
}

LoopTimer::LoopTimer(LoopThread& loop) : m_loop(loop) {
  std::lock_guard<std::mutex> lock(m_loop.m_mutex);
  m_loop.m_timers.push_back(this);
}

LoopTimer::~LoopTimer() {
  std::lock_guard<std::mutex> lock(m_loop.m_mutex);
  auto& timers = m_loop.m_timers;
  timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
}

void LoopTimer::Start(std::chrono::milliseconds period, bool repeat,
                      std::function<void()> fire) {
  m_period = period;
  m_repeat = repeat;
  m_fire = std::move(fire);
  m_due = LoopThread::Clock::now() + period;
}

}  // namespace players
