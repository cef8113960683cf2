// A service whose answers a test sets and whose commands a test reads back,
// and which sends events from a service-side thread of its own.
#ifndef ZOR_SCRIPTEDSERVICE_H
#define ZOR_SCRIPTEDSERVICE_H

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "zor/ServiceRegistry.h"

namespace zor {

struct ZOR_EXPORT ReceivedCommand {
  std::string name;
  std::vector<std::string> params;  // four, or ten for the long form
  bool operator==(const ReceivedCommand& other) const {
    return name == other.name && params == other.params;
  }
};

// One call of ScriptedService::Connect: the version and the name the
// client's Open passed, and whether the service returned a session.
struct ZOR_EXPORT ConnectAttempt {
  std::string version;
  std::string name;
  bool accepted;
  bool operator==(const ConnectAttempt& other) const {
    return version == other.version && name == other.name &&
           accepted == other.accepted;
  }
};

// One connection of a ScriptedService. Stays valid after it closes.
class ZOR_EXPORT ScriptedConnection {
 public:
  virtual ~ScriptedConnection() = default;
  // Queues one answer for the next `command` on this connection, given
  // after `delay`; a negative delay never answers (the call returns "E" only
  // when the connection is ended by End or the service object goes).
  virtual void Answer(const std::string& command, std::string result,
                      std::chrono::milliseconds delay = {}) = 0;
  // Ends the connection from the service's side, after the events emitted
  // so far; a command held by a delay returns "E" at once. When End
  // returns, the client's commands answer "E". Not from the service thread.
  virtual void End() = 0;
  // Every command received so far, in order.
  virtual std::vector<ReceivedCommand> Received() const = 0;
  virtual void ClearReceived() = 0;
  // Sends an event from the service thread; returns at once.
  virtual void Emit(int type, std::string param1, std::string param2) = 0;
  // Waits until every event emitted so far reached the client (its OnEvent
  // returned) or was dropped. False when `timeout` passed first.
  virtual bool WaitDelivered(
      std::chrono::milliseconds timeout = std::chrono::seconds(5)) = 0;
  virtual bool IsOpen() const = 0;
};

// Answers are looked up in this order: the connection's queue for the
// command, the service's queue for it, the service's default for it, and
// last the fallback answer (default "I1").
class ZOR_EXPORT ScriptedService : public Service {
 public:
  ScriptedService();
  ~ScriptedService() override;

  void Answer(const std::string& command, std::string result);
  void SetDefault(const std::string& command, std::string result);
  void SetFallback(std::string result);
  // Refuses the next `count` connection attempts.
  void RefuseConnections(int count);
  // Connection attempts so far, refused ones included, in order.
  std::vector<ConnectAttempt> Attempts() const;

  // Connections in the order they were accepted, closed ones included.
  size_t ConnectionCount() const;
  std::shared_ptr<ScriptedConnection> Connection(size_t index) const;

  std::unique_ptr<ServiceSession> Connect(
      const std::string& version, const std::string& name,
      std::shared_ptr<EventSink> events) override;

 private:
  class State;
  std::shared_ptr<State> m_state;
};

}  // namespace zor

#endif  // ZOR_SCRIPTEDSERVICE_H
