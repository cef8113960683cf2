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

// Forwards every command to the inner session; subclasses add behaviour.
class ForwardingSession : public zor::ServiceSession {
 public:
  explicit ForwardingSession(std::unique_ptr<zor::ServiceSession> inner)
      : m_inner(std::move(inner)) {}
  std::string Execute(const std::string& command,
                      const std::vector<std::string>& params) override {
    return m_inner->Execute(command, params);
  }

 private:
  std::unique_ptr<zor::ServiceSession> m_inner;
};

class RecordingSession : public ForwardingSession {
 public:
  using ForwardingSession::ForwardingSession;
  std::string Execute(const std::string& command,
                      const std::vector<std::string>& params) override {
    std::string line = "> " + command + " ";
    for (size_t i = 0; i < params.size(); ++i) line += (i > 0 ? "|" : "") + params[i];
    RecordLine(std::move(line));
    return ForwardingSession::Execute(command, params);
  }
};

// The flood runs on a thread of the session, like a service's own.
class FloodingSession : public ForwardingSession {
 public:
  FloodingSession(std::unique_ptr<zor::ServiceSession> inner,
                  std::shared_ptr<zor::EventSink> events, std::vector<int> types, int count)
      : ForwardingSession(std::move(inner)) {
    // In bursts that the client keeps up with, so that events are still
    // arriving whenever the client closes.
    m_thread = std::thread([this, events = std::move(events), types = std::move(types), count] {
      for (int i = 0; i < count && !m_closed; ++i) {
        events->Emit(types[i % types.size()], std::to_string(i), "flood");
        if (i % 64 == 63) events->WaitDelivered(std::chrono::milliseconds(50));
      }
    });
  }
  // The library destroys the session once the client closed.
  ~FloodingSession() override {
    m_closed = true;
    m_thread.join();
  }

 private:
  std::atomic<bool> m_closed{false};
  std::thread m_thread;
};

template <typename Wrap>
class WrappingService : public zor::Service {
 public:
  WrappingService(std::shared_ptr<zor::Service> inner, Wrap wrap)
      : m_inner(std::move(inner)), m_wrap(std::move(wrap)) {}
  std::unique_ptr<zor::ServiceSession> Connect(const std::string& version, const std::string& name,
                                               std::shared_ptr<zor::EventSink> events) override {
    std::unique_ptr<zor::ServiceSession> session = m_inner->Connect(version, name, events);
    if (!session) return nullptr;
    return m_wrap(std::move(session), std::move(events));
  }

 private:
  std::shared_ptr<zor::Service> m_inner;
  Wrap m_wrap;
};

template <typename Wrap>
std::shared_ptr<zor::Service> Wrapping(std::shared_ptr<zor::Service> inner, Wrap wrap) {
  return std::make_shared<WrappingService<Wrap>>(std::move(inner), std::move(wrap));
}

}  // namespace

std::shared_ptr<zor::Service> Recording(std::shared_ptr<zor::Service> inner) {
  return Wrapping(std::move(inner), [](std::unique_ptr<zor::ServiceSession> session,
                                       std::shared_ptr<zor::EventSink>) {
    return std::unique_ptr<zor::ServiceSession>(
        std::make_unique<RecordingSession>(std::move(session)));
  });
}

std::shared_ptr<zor::Service> Flooding(std::shared_ptr<zor::Service> inner,
                                       std::vector<int> types, int perConnection) {
  return Wrapping(std::move(inner), [types = std::move(types), perConnection](
                                        std::unique_ptr<zor::ServiceSession> session,
                                        std::shared_ptr<zor::EventSink> events) {
    return std::unique_ptr<zor::ServiceSession>(std::make_unique<FloodingSession>(
        std::move(session), std::move(events), types, perConnection));
  });
}

}  // namespace testbrowser
