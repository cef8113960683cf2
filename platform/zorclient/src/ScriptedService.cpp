#include "zor/ScriptedService.h"

#include <functional>
#include <map>
#include <mutex>
#include <utility>

#include "AnswerQueues.h"
#include "ScriptedConnectionImpl.h"
#include "ServiceWorker.h"

namespace zor {
namespace {

using ServiceAnswer = std::function<std::string(const std::string& command)>;

// The library's end of one scripted connection. Its end is the connection's
// close.
class ScriptedSession : public ServiceSession {
 public:
  ScriptedSession(std::shared_ptr<ScriptedConnectionImpl> connection,
                  ServiceAnswer serviceAnswer)
      : m_connection(std::move(connection)),
        m_serviceAnswer(std::move(serviceAnswer)) {}

  ~ScriptedSession() override { m_connection->MarkClosed(); }

  std::string Execute(const std::string& command,
                      const std::vector<std::string>& params) override {
    std::optional<QueuedAnswer> answer = m_connection->Receive(command, params);
    if (!answer) return m_serviceAnswer(command);
    if (answer->delay.count() != 0 && !m_connection->Hold(answer->delay)) return "E";
    return std::move(answer->result);
  }

 private:
  std::shared_ptr<ScriptedConnectionImpl> m_connection;
  ServiceAnswer m_serviceAnswer;
};

}  // namespace

// Shared with the sessions, which may outlive the service object.
class ScriptedService::State {
 public:
  std::string AnswerFor(const std::string& command) {
    std::lock_guard<std::mutex> lock(mutex);
    if (auto queued = answers.Pop(command)) return std::move(queued->result);
    auto it = defaults.find(command);
    return it != defaults.end() ? it->second : fallback;
  }

  mutable std::mutex mutex;
  AnswerQueues answers;
  std::map<std::string, std::string> defaults;
  std::string fallback = "I1";
  int refusalsLeft = 0;
  std::vector<ConnectAttempt> attempts;
  std::vector<std::shared_ptr<ScriptedConnectionImpl>> connections;
  const std::shared_ptr<ServiceWorker> worker =
      std::make_shared<ServiceWorker>();
};

ScriptedService::ScriptedService() : m_state(std::make_shared<State>()) {}

// Sessions still open keep the state, but the service thread ends here;
// connections' later Emits are dropped, and commands held back for ever
// return, so that no client's command thread outlives the service.
ScriptedService::~ScriptedService() {
  std::vector<std::shared_ptr<ScriptedConnectionImpl>> connections;
  {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    connections = m_state->connections;
  }
  for (const auto& connection : connections) connection->Release();
  m_state->worker->Shutdown();
}

void ScriptedService::Answer(const std::string& command, std::string result) {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->answers.Push(command, std::move(result));
}

void ScriptedService::SetDefault(const std::string& command,
                                 std::string result) {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->defaults[command] = std::move(result);
}

void ScriptedService::SetFallback(std::string result) {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->fallback = std::move(result);
}

void ScriptedService::RefuseConnections(int count) {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->refusalsLeft = count;
}

std::vector<ConnectAttempt> ScriptedService::Attempts() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->attempts;
}

size_t ScriptedService::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  return m_state->connections.size();
}

std::shared_ptr<ScriptedConnection> ScriptedService::Connection(
    size_t index) const {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  if (index >= m_state->connections.size()) return nullptr;
  return m_state->connections[index];
}

// An attempt that throws (out of memory) stays recorded as not accepted,
// and a connection is listed only together with the session returned for it.
std::unique_ptr<ServiceSession> ScriptedService::Connect(
    const std::string& version, const std::string& name,
    std::shared_ptr<EventSink> events) {
  std::lock_guard<std::mutex> lock(m_state->mutex);
  m_state->attempts.push_back(ConnectAttempt{version, name, false});
  if (m_state->refusalsLeft > 0) {
    --m_state->refusalsLeft;
    return nullptr;
  }
  auto connection = std::make_shared<ScriptedConnectionImpl>(
      std::move(events), m_state->worker);
  ServiceAnswer serviceAnswer = [state = m_state](const std::string& command) {
    return state->AnswerFor(command);
  };
  auto session =
      std::make_unique<ScriptedSession>(connection, std::move(serviceAnswer));
  m_state->connections.push_back(std::move(connection));
  m_state->attempts.back().accepted = true;
  return session;
}

}  // namespace zor
