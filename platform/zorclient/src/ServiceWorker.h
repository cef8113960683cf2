// One service-side thread that runs posted tasks in the order posted, the
// way a platform service sends its events from a thread of its own.
#ifndef ZORCLIENT_SERVICEWORKER_H
#define ZORCLIENT_SERVICEWORKER_H

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zor {

class ServiceWorker {
 public:
  ServiceWorker() = default;
  ~ServiceWorker();

  ServiceWorker(const ServiceWorker&) = delete;
  ServiceWorker& operator=(const ServiceWorker&) = delete;

  // Queues a task, starting the thread on first use. False, and the task
  // is not run, once the worker was shut down.
  bool Post(std::function<void()> task);

  // Runs what is still queued, then ends the thread and joins it. Must not
  // be called from a task.
  void Shutdown();

 private:
  void Run();

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<std::function<void()>> m_tasks;
  std::thread m_thread;
  bool m_shutdown = false;
};

}  // namespace zor

#endif  // ZORCLIENT_SERVICEWORKER_H
