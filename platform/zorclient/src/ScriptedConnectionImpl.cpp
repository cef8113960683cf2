#include "ScriptedConnectionImpl.h"

#include <algorithm>
#include <utility>

namespace zor {

ScriptedConnectionImpl::ScriptedConnectionImpl(
    std::shared_ptr<EventSink> sink, std::shared_ptr<ServiceWorker> worker)
    : m_sink(std::move(sink)), m_worker(std::move(worker)) {}

void ScriptedConnectionImpl::Answer(const std::string& command,
                                    std::string result,
                                    std::chrono::milliseconds delay) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_answers.Push(command, std::move(result), delay);
}

void ScriptedConnectionImpl::End() {
  Release();
  // Behind the events already emitted: once they reached the sink, which
  // takes them without waiting, the end follows them.
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint64_t target = m_posted;
    m_passedChanged.wait(lock, [&] { return m_passed >= target; });
  }
  m_sink->EndConnection();
}

bool ScriptedConnectionImpl::Hold(std::chrono::milliseconds delay) {
  std::unique_lock<std::mutex> lock(m_mutex);
  auto ended = [&] { return m_ended; };
  if (delay.count() < 0) {
    m_released.wait(lock, ended);
    return false;
  }
  return !m_released.wait_for(lock, delay, ended);
}

void ScriptedConnectionImpl::Release() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_ended = true;
  m_released.notify_all();
}

std::vector<ReceivedCommand> ScriptedConnectionImpl::Received() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_received;
}

void ScriptedConnectionImpl::ClearReceived() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_received.clear();
}

void ScriptedConnectionImpl::Emit(int type, std::string param1,
                                  std::string param2) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_posted;
  }
  // The task keeps this connection, and with it the sink, alive.
  auto pass = [self = shared_from_this(), type, param1 = std::move(param1),
               param2 = std::move(param2)]() mutable {
    self->m_sink->Emit(type, std::move(param1), std::move(param2));
    self->MarkPassed();
  };
  if (!m_worker->Post(std::move(pass))) MarkPassed();  // service gone: dropped
}

bool ScriptedConnectionImpl::WaitDelivered(std::chrono::milliseconds timeout) {
  // A day stands for "no limit": a longer timeout would overflow the clock.
  timeout = std::min(timeout, std::chrono::milliseconds(std::chrono::hours(24)));
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint64_t target = m_posted;
    if (!m_passedChanged.wait_until(lock, deadline,
                                    [&] { return m_passed >= target; })) {
      return false;
    }
  }
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return m_sink->WaitDelivered(std::max(left, std::chrono::milliseconds(0)));
}

bool ScriptedConnectionImpl::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_open;
}

std::optional<QueuedAnswer> ScriptedConnectionImpl::Receive(
    const std::string& command, const std::vector<std::string>& params) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_received.push_back(ReceivedCommand{command, params});
  return m_answers.Pop(command);
}

void ScriptedConnectionImpl::MarkClosed() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_open = false;
}

void ScriptedConnectionImpl::MarkPassed() {
  std::lock_guard<std::mutex> lock(m_mutex);
  ++m_passed;
  m_passedChanged.notify_all();
}

}  // namespace zor
