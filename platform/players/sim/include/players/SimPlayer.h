// A simulated player service: plays a virtual media of a given duration for
// any non-empty URL, on a clock that may run faster than real time. Each
// connection has a clock thread of its own that sends the events.
#ifndef PLAYERS_SIMPLAYER_H
#define PLAYERS_SIMPLAYER_H

#include <memory>
#include <string>

#include "zor/ServiceRegistry.h"

namespace players {

struct SimPlayerSettings {
  double durationSeconds = 30;
  double timeScale = 1;  // virtual seconds per real second
};

class SimPlayerService : public zor::Service {
 public:
  explicit SimPlayerService(SimPlayerSettings settings) : m_settings(settings) {}
  std::unique_ptr<zor::ServiceSession> Connect(
      const std::string& version, const std::string& name,
      std::shared_ptr<zor::EventSink> events) override;

 private:
  SimPlayerSettings m_settings;
};

}  // namespace players

#endif  // PLAYERS_SIMPLAYER_H
