#include "CommandWorker.h"

#include <algorithm>
#include <utility>

namespace zor {

struct CommandWorker::Call {
  std::string command;
  std::vector<std::string> params;
  std::string answer;
  bool done = false;
};

CommandWorker::CommandWorker(std::shared_ptr<ServiceSession> session)
    : m_session(std::move(session)) {}

CommandWorker::~CommandWorker() {
  // The running thread holds a reference, so the thread can only be
  // joinable here when it dropped the last one itself.
  if (!m_thread.joinable()) return;
  if (m_thread.get_id() == std::this_thread::get_id()) {
    m_thread.detach();
  } else {
    m_thread.join();
  }
}

void CommandWorker::Start() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_stopped || m_thread.joinable()) return;
  m_thread = std::thread([self = shared_from_this()] { self->Run(); });
}

std::optional<std::string> CommandWorker::Execute(
    const std::string& command, std::vector<std::string> params,
    std::chrono::milliseconds bound) {
  auto call = std::make_shared<Call>();
  call->command = command;
  call->params = std::move(params);
  std::unique_lock<std::mutex> lock(m_mutex);
  if (m_stopped || !m_thread.joinable()) return std::string("E");
  m_calls.push_back(call);
  m_queued.notify_one();
  // A day stands for "no limit": a longer bound would overflow the clock.
  bound = std::min(bound, std::chrono::milliseconds(std::chrono::hours(24)));
  if (!m_answered.wait_for(lock, bound, [&] { return call->done || m_stopped; })) {
    return std::nullopt;
  }
  if (!call->done) return std::string("E");
  return std::move(call->answer);
}

std::shared_ptr<ServiceSession> CommandWorker::Stop() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_stopped) {
      m_stopped = true;
      m_calls.clear();  // their callers see the stop and answer "E"
      m_queued.notify_all();
      m_answered.notify_all();
    }
    if (m_letGo) return nullptr;
    if (m_busy) {
      m_letGo = true;
      if (m_thread.joinable()) m_thread.detach();
      return nullptr;
    }
    thread = std::move(m_thread);
  }
  if (thread.joinable()) thread.join();  // idle: it ends at once
  std::lock_guard<std::mutex> lock(m_mutex);
  return std::move(m_session);
}

void CommandWorker::Run() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_queued.wait(lock, [&] { return m_stopped || !m_calls.empty(); });
    if (m_stopped) break;
    std::shared_ptr<Call> call = std::move(m_calls.front());
    m_calls.pop_front();
    m_busy = true;
    lock.unlock();
    std::string answer;
    try {
      answer = m_session->Execute(call->command, call->params);
    } catch (...) {
      answer = "E";  // a service that throws answers nothing usable
    }
    lock.lock();
    m_busy = false;
    call->answer = std::move(answer);
    call->done = true;
    m_answered.notify_all();
  }
  if (!m_letGo) return;  // Stop joins and releases the session
  std::shared_ptr<ServiceSession> session = std::move(m_session);
  lock.unlock();
  session.reset();  // the abandoned call returned: the service learns of the close
}

}  // namespace zor
