// The service side of libZorClient: how a host or a test plugs platform
// services into the library before client objects open connections.
#ifndef ZOR_SERVICEREGISTRY_H
#define ZOR_SERVICEREGISTRY_H

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "zor/ZorPluginWrapper.h"

namespace zor {

// Where a service sends the events of one connection. Thread-safe. Events
// reach the client's OnEvent on the connection's own delivery thread, one at
// a time and in the order emitted; once the connection is closed, further
// events are dropped.
class ZOR_EXPORT EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void Emit(int type, std::string param1, std::string param2) = 0;
  // Waits until every event emitted before the call was delivered (its
  // OnEvent returned) or dropped. False when `timeout` passed first, which
  // is always the case when called from inside OnEvent.
  virtual bool WaitDelivered(std::chrono::milliseconds timeout) = 0;
  // Ends the connection from the service's side: events emitted before the
  // call are still delivered, later ones are dropped, and the client's
  // commands answer "E" at once from now on.
  virtual void EndConnection() {}
};

// One accepted connection, service side. Destroyed by the library after the
// client closed the connection and event delivery stopped.
class ZOR_EXPORT ServiceSession {
 public:
  virtual ~ServiceSession() = default;
  // Answers one command with a tagged result. `params` holds the arguments
  // after the command name: four, or ten for the long form. Called on a
  // thread the library keeps for this connection, one command at a time.
  // A call the client stopped waiting for (see CommandTimeout) may go on
  // running after the client closed; the session is destroyed once it
  // returned, on that thread.
  virtual std::string Execute(const std::string& command,
                              const std::vector<std::string>& params) = 0;
};

class ZOR_EXPORT Service {
 public:
  virtual ~Service() = default;
  // Accepts a new connection with a session, or refuses it with null.
  virtual std::unique_ptr<ServiceSession> Connect(
      const std::string& version, const std::string& name,
      std::shared_ptr<EventSink> events) = 0;
};

// The process-wide registry. Thread-safe. Connections already open keep
// their session when their service is unregistered or replaced.
ZOR_EXPORT void RegisterService(const std::string& name,
                                std::shared_ptr<Service> service);
ZOR_EXPORT void UnregisterService(const std::string& name);
ZOR_EXPORT void UnregisterAllServices();

// How long a client's Execute waits for the service's answer before it
// answers "E" and closes the connection (5 s unless set). Process-wide;
// clamped to at least 1 ms. Read at the start of each command.
ZOR_EXPORT void SetCommandTimeout(std::chrono::milliseconds bound);
ZOR_EXPORT std::chrono::milliseconds CommandTimeout();

}  // namespace zor

#endif  // ZOR_SERVICEREGISTRY_H
