#include "ServiceWorker.h"

#include <utility>

namespace zor {

ServiceWorker::~ServiceWorker() { Shutdown(); }

bool ServiceWorker::Post(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_shutdown) return false;
  m_tasks.push_back(std::move(task));
  if (!m_thread.joinable()) m_thread = std::thread([this] { Run(); });
  m_wake.notify_one();
  return true;
}

void ServiceWorker::Shutdown() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_shutdown = true;
    thread = std::move(m_thread);
    m_wake.notify_one();
  }
  if (thread.joinable()) thread.join();
}

void ServiceWorker::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [&] { return m_shutdown || !m_tasks.empty(); });
    if (m_tasks.empty()) break;  // shut down and drained
    std::function<void()> task = std::move(m_tasks.front());
    m_tasks.pop_front();
    lock.unlock();
    task();
    task = nullptr;  // what the task holds goes before the next wait
    lock.lock();
  }
}

}  // namespace zor
