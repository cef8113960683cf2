// Client objects and services the libZorClient tests use.
#ifndef TESTS_ZORCLIENT_TESTCLIENTS_H
#define TESTS_ZORCLIENT_TESTCLIENTS_H

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "zor/ScriptedService.h"
#include "zor/ServiceRegistry.h"
#include "zor/ZorPluginWrapper.h"

namespace zor {
inline void PrintTo(const ConnectAttempt& attempt, std::ostream* os) {
  *os << "{\"" << attempt.version << "\", \"" << attempt.name << "\", "
      << (attempt.accepted ? "accepted" : "not accepted") << "}";
}
}  // namespace zor

namespace zortest {

using namespace std::chrono_literals;

struct Event {
  int type;
  std::string param1;
  std::thread::id thread;
};

// Records every event with the thread it came on, and runs an optional hook
// inside OnEvent.
class RecordingClient : public zor::CZorPluginWrapper {
 public:
  using Hook = std::function<void(RecordingClient& self, int type)>;

  explicit RecordingClient(Hook hook = nullptr)
      : CZorPluginWrapper(zor::CClientAppFactory::ZOR_CLIENT_TYPE), m_hook(std::move(hook)) {}
  // The base destructor would close only after these members are gone.
  ~RecordingClient() override { Close(); }

  int OnEvent(int type, std::string param1, std::string) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_events.push_back({type, std::move(param1), std::this_thread::get_id()});
    }
    if (m_hook) m_hook(*this, type);
    return 1;
  }
  std::vector<Event> Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
  }
  std::vector<int> Types() const {
    std::vector<int> types;
    for (const Event& event : Events()) types.push_back(event.type);
    return types;
  }

 private:
  const Hook m_hook;
  mutable std::mutex m_mutex;
  std::vector<Event> m_events;
};

// Emits event 42 into a new connection before accepting it, and hands the
// test that connection's raw sink. Answers every command "I0".
struct CapturingService : zor::Service {
  struct Session : zor::ServiceSession {
    std::string Execute(const std::string&, const std::vector<std::string>&) override {
      return "I0";
    }
  };
  std::unique_ptr<zor::ServiceSession> Connect(const std::string&, const std::string&,
                                               std::shared_ptr<zor::EventSink> events) override {
    events->Emit(42, "during Connect", "");
    sink = std::move(events);  // Open runs on the test's thread
    return std::make_unique<Session>();
  }
  std::shared_ptr<zor::EventSink> sink;
};

// A scripted "Player" service registered for the length of each case.
class ZorClientTest : public ::testing::Test {
 protected:
  void SetUp() override { zor::RegisterService("Player", player); }
  void TearDown() override { zor::UnregisterAllServices(); }

  static int OpenPlayer(zor::CZorPluginWrapper& client) {
    return client.Open("Player", "1.000", "Player");
  }
  std::shared_ptr<zor::ScriptedConnection> LastConnection() const {
    return player->Connection(player->ConnectionCount() - 1);
  }
  // Opens `client` on a new CapturingService; null when that failed.
  static std::shared_ptr<zor::EventSink> OpenCapture(RecordingClient& client) {
    auto service = std::make_shared<CapturingService>();
    zor::RegisterService("Capture", service);
    return client.Open("Capture", "1.000", "Capture") ? service->sink : nullptr;
  }

  std::shared_ptr<zor::ScriptedService> player = std::make_shared<zor::ScriptedService>();
};

}  // namespace zortest

#endif  // TESTS_ZORCLIENT_TESTCLIENTS_H
