#include "MainLoop.h"

#include <algorithm>
#include <utility>

namespace tvhost {

namespace {

// Timers keep to a 32-bit count of milliseconds, as in browsers; longer
// delays would overflow the clock's nanoseconds and fall due at once.
constexpr std::chrono::milliseconds kLongestDelay{0x7FFFFFFF};

}  // namespace

void MainLoop::Post(Task task) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.push_back(std::move(task));
  }
  m_wake.notify_one();
}

void MainLoop::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_one();
}

bool MainLoop::StopRequested() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_stop;
}

int MainLoop::AddTimer(std::chrono::milliseconds delay, bool repeat, Task task) {
  delay = std::clamp(delay, std::chrono::milliseconds(0), kLongestDelay);
  // A repeating timer of 0 ms would starve everything else.
  if (repeat && delay.count() < 1) delay = std::chrono::milliseconds(1);
  int id = m_nextTimerId++;
  m_timers[id] = Timer{Clock::now() + delay, delay, repeat,
                       std::make_shared<Task>(std::move(task))};
  return id;
}

void MainLoop::CancelTimer(int id) { m_timers.erase(id); }

bool MainLoop::RunOneQueued() {
  Task task;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_tasks.empty()) return false;
    task = std::move(m_tasks.front());
    m_tasks.pop_front();
  }
  task();
  return true;
}

bool MainLoop::RunOneDueTimer() {
  auto now = Clock::now();
  auto earliest = m_timers.end();
  for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
    if (it->second.due <= now &&
        (earliest == m_timers.end() || it->second.due < earliest->second.due)) {
      earliest = it;
    }
  }
  if (earliest == m_timers.end()) return false;
  // The task may cancel its own timer or add others: hold it by value.
  std::shared_ptr<Task> task = earliest->second.task;
  if (earliest->second.repeat) {
    earliest->second.due = now + earliest->second.interval;
  } else {
    m_timers.erase(earliest);
  }
  (*task)();
  return true;
}

MainLoop::Clock::time_point MainLoop::NextWake(Clock::time_point deadline) const {
  auto wake = deadline;
  for (const auto& timer : m_timers) {
    if (timer.second.due < wake) wake = timer.second.due;
  }
  return wake;
}

MainLoop::RunResult MainLoop::Run(Clock::time_point deadline) {
  // The deadline is checked after every task and timer: a page that always
  // has one ready (callbacks that queue more, an interval shorter than its
  // handler) still ends at its timeout.
  while (true) {
    // Queued tasks first, each followed by a stop check.
    while (!StopRequested() && Clock::now() < deadline && RunOneQueued()) {
    }
    if (StopRequested()) return RunResult::kStopped;
    if (Clock::now() >= deadline) return RunResult::kTimedOut;
    if (RunOneDueTimer()) continue;
    auto wake = NextWake(deadline);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_until(lock, wake, [this] { return m_stop || !m_tasks.empty(); });
  }
}

size_t MainLoop::RunQueued(size_t limit) {
  size_t ran = 0;
  while (ran < limit && RunOneQueued()) ++ran;
  return ran;
}

}  // namespace tvhost
