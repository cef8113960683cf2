#include "EventDelivery.h"

#include <algorithm>
#include <utility>

namespace zor {

EventDelivery::~EventDelivery() {
  // The running thread holds a reference to this object, so it can only
  // still be joinable here when the thread itself dropped the last one.
  if (!m_thread.joinable()) return;
  if (m_thread.get_id() == std::this_thread::get_id()) {
    m_thread.detach();
  } else {
    m_thread.join();
  }
}

void EventDelivery::Emit(int type, std::string param1, std::string param2) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_stopped || m_endedByService) return;
  m_queue.push_back(Event{type, std::move(param1), std::move(param2)});
  ++m_accepted;
  m_queued.notify_one();
}

bool EventDelivery::WaitDelivered(std::chrono::milliseconds timeout) {
  // A day stands for "no limit": a longer timeout would overflow the clock.
  timeout = std::min(timeout, std::chrono::milliseconds(std::chrono::hours(24)));
  std::unique_lock<std::mutex> lock(m_mutex);
  const uint64_t target = m_accepted;
  return m_progress.wait_for(lock, timeout, [&] { return m_done >= target; });
}

void EventDelivery::EndConnection() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_endedByService = true;
}

bool EventDelivery::EndedByService() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_endedByService;
}

void EventDelivery::Start(Handler handler) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_started || m_stopped) return;
  m_handler = std::move(handler);
  try {
    m_thread = std::thread([self = shared_from_this()] { self->Run(); });
  } catch (...) {
    // Not started: Stop must not wait for a thread that never ran.
    m_handler = nullptr;
    throw;
  }
  m_threadId = m_thread.get_id();
  m_started = true;
}

void EventDelivery::Stop() {
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_stopped) {
      m_stopped = true;
      m_done += m_queue.size();  // dropped
      m_queue.clear();
      m_queued.notify_all();
      m_progress.notify_all();
    }
    if (!m_started || std::this_thread::get_id() == m_threadId) return;
    m_progress.wait(lock, [&] { return m_finished; });
  }
  JoinThread();
}

bool EventDelivery::IsDeliveryThread() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_started && std::this_thread::get_id() == m_threadId;
}

void EventDelivery::JoinThread() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Concurrent Stop calls: one joins, the others already saw m_finished.
    thread = std::move(m_thread);
  }
  if (thread.joinable()) thread.join();
}

void EventDelivery::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_queued.wait(lock, [&] { return m_stopped || !m_queue.empty(); });
    if (m_stopped) break;
    Event event = std::move(m_queue.front());
    m_queue.pop_front();
    lock.unlock();
    m_handler(event.type, std::move(event.param1), std::move(event.param2));
    lock.lock();
    ++m_done;
    m_progress.notify_all();
  }
  m_finished = true;
  m_progress.notify_all();
}

}  // namespace zor
