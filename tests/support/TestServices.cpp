// The service wrappers.
#include "TestServices.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "Transcript.h"

namespace testbrowser {

namespace {

// Writes every command into the transcript before the inner session
// answers it; floods from a thread of its own, as a service's would, in
// bursts that the client keeps up with, so that events are still arriving
// whenever the client closes.
class WrappedSession : public zor::ServiceSession {
 public:
  WrappedSession(std::unique_ptr<zor::ServiceSession> inner,
                 std::shared_ptr<zor::EventSink> events, std::vector<int> types, int count)
      : m_inner(std::move(inner)) {
    if (count == 0) return;
    m_flood = std::thread([this, events = std::move(events), types = std::move(types), count] {
      for (int i = 0; i < count && !m_closed; ++i) {
        events->Emit(types[i % types.size()], std::to_string(i), "flood");
        if (i % 64 == 63) events->WaitDelivered(std::chrono::milliseconds(50));
      }
    });
  }
  // The library destroys the session once the client closed.
  ~WrappedSession() override {
    m_closed = true;
    if (m_flood.joinable()) m_flood.join();
  }

  std::string Execute(const std::string& command,
                      const std::vector<std::string>& params) override {
    std::string line = "> " + command + " ";
    for (size_t i = 0; i < params.size(); ++i) line += (i > 0 ? "|" : "") + params[i];
    RecordLine(std::move(line));
    return m_inner->Execute(command, params);
  }

 private:
  std::unique_ptr<zor::ServiceSession> m_inner;
  std::atomic<bool> m_closed{false};
  std::thread m_flood;
};

class WrappingService : public zor::Service {
 public:
  WrappingService(std::shared_ptr<zor::Service> inner, std::vector<int> floodTypes, int flood)
      : m_inner(std::move(inner)), m_floodTypes(std::move(floodTypes)), m_flood(flood) {}
  std::unique_ptr<zor::ServiceSession> Connect(const std::string& version, const std::string& name,
                                               std::shared_ptr<zor::EventSink> events) override {
    std::unique_ptr<zor::ServiceSession> inner = m_inner->Connect(version, name, events);
    if (!inner) return nullptr;
    return std::make_unique<WrappedSession>(std::move(inner), events, m_floodTypes, m_flood);
  }

 private:
  std::shared_ptr<zor::Service> m_inner;
  std::vector<int> m_floodTypes;
  int m_flood;
};

}  // namespace

std::shared_ptr<zor::Service> Recording(std::shared_ptr<zor::Service> inner) {
  return Flooding(std::move(inner), {}, 0);
}

std::shared_ptr<zor::Service> Flooding(std::shared_ptr<zor::Service> inner,
                                       std::vector<int> types, int perConnection) {
  return std::make_shared<WrappingService>(std::move(inner), std::move(types), perConnection);
}

}  // namespace testbrowser
