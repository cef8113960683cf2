// The service side of one connection's commands: a thread of its own that
// runs the service's Execute, so that the client's thread can stop waiting
// for an answer that does not come.
#ifndef ZORCLIENT_COMMANDWORKER_H
#define ZORCLIENT_COMMANDWORKER_H

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "zor/ServiceRegistry.h"

namespace zor {

class CommandWorker : public std::enable_shared_from_this<CommandWorker> {
 public:
  explicit CommandWorker(std::shared_ptr<ServiceSession> session);
  ~CommandWorker();

  CommandWorker(const CommandWorker&) = delete;
  CommandWorker& operator=(const CommandWorker&) = delete;

  // Starts the thread. Throws std::system_error or std::bad_alloc when it
  // cannot be created; Stop then returns at once.
  void Start();

  // Runs one command on the worker's thread and waits at most `bound` for
  // its answer. Empty when the bound passed first (the service's call keeps
  // running), "E" once the worker was stopped.
  std::optional<std::string> Execute(const std::string& command,
                                     std::vector<std::string> params,
                                     std::chrono::milliseconds bound);

  // Ends the worker: queued commands answer "E". When the service is not
  // inside a call, joins the thread and returns the session, for the caller
  // to release. Otherwise returns null and never waits: the thread is let
  // go, and releases the session itself once the service's call returns.
  std::shared_ptr<ServiceSession> Stop();

 private:
  struct Call;

  void Run();

  std::mutex m_mutex;
  std::condition_variable m_queued;    // a call, or the stop
  std::condition_variable m_answered;  // a call done, or the stop
  std::deque<std::shared_ptr<Call>> m_calls;
  std::shared_ptr<ServiceSession> m_session;
  std::thread m_thread;
  bool m_busy = false;     // the service is inside Execute
  bool m_stopped = false;
  bool m_letGo = false;    // stopped while busy: the thread ends on its own
};

}  // namespace zor

#endif  // ZORCLIENT_COMMANDWORKER_H
