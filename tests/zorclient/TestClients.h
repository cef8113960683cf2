// Client objects and services the libZorClient tests use.
#ifndef TESTS_ZORCLIENT_TESTCLIENTS_H
#define TESTS_ZORCLIENT_TESTCLIENTS_H

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "zor/ScriptedService.h"
#include "zor/ServiceRegistry.h"
#include "zor/ZorPluginWrapper.h"

namespace zortest {

using namespace std::chrono_literals;

// A flag one thread raises and others wait for, never without a bound.
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
  }
  bool Wait(std::chrono::milliseconds timeout = 5s) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_open; });
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_open = false;
};

struct Event {
  int type;
  std::string param1;
  std::string param2;
  std::thread::id thread;
};

// A client that records every event with the thread it came on, and runs
// an optional hook inside OnEvent.
class RecordingClient : public zor::CZorPluginWrapper {
 public:
  using Hook = std::function<void(RecordingClient& self, int type)>;

  explicit RecordingClient(Hook hook = nullptr)
      : CZorPluginWrapper(zor::CClientAppFactory::ZOR_CLIENT_TYPE),
        m_hook(std::move(hook)) {}

  // The base destructor would close only after these members are gone.
  ~RecordingClient() override { Close(); }

  int OnEvent(int type, std::string param1, std::string param2) override {
    if (++m_running != 1) m_overlapped = true;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_events.push_back(Event{type, std::move(param1), std::move(param2),
                               std::this_thread::get_id()});
    }
    if (m_hook) m_hook(*this, type);
    --m_running;
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

  // True when two OnEvent calls ever ran at the same time.
  bool Overlapped() const { return m_overlapped; }

 private:
  const Hook m_hook;
  mutable std::mutex m_mutex;
  std::vector<Event> m_events;
  std::atomic<int> m_running{0};
  std::atomic<bool> m_overlapped{false};
};

// A service that hands the test the raw event sink of its last connection
// and notes on which thread commands arrive.
class CapturingService : public zor::Service {
 public:
  std::unique_ptr<zor::ServiceSession> Connect(
      const std::string& /*version*/, const std::string& /*name*/,
      std::shared_ptr<zor::EventSink> events) override {
    if (m_emitOnConnect) events->Emit(42, "during", "connect");
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sink = std::move(events);
    return std::make_unique<Session>(*this);
  }

  std::shared_ptr<zor::EventSink> Sink() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sink;
  }

  std::thread::id CommandThread() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commandThread;
  }

  void EmitOnConnect() { m_emitOnConnect = true; }

 private:
  class Session : public zor::ServiceSession {
   public:
    explicit Session(CapturingService& service) : m_service(service) {}
    std::string Execute(const std::string& /*command*/,
                        const std::vector<std::string>& /*params*/) override {
      std::lock_guard<std::mutex> lock(m_service.m_mutex);
      m_service.m_commandThread = std::this_thread::get_id();
      return "I0";
    }

   private:
    CapturingService& m_service;
  };

  mutable std::mutex m_mutex;
  std::shared_ptr<zor::EventSink> m_sink;
  std::thread::id m_commandThread;
  std::atomic<bool> m_emitOnConnect{false};
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
    const size_t count = player->ConnectionCount();
    return count == 0 ? nullptr : player->Connection(count - 1);
  }

  std::shared_ptr<zor::ScriptedService> player =
      std::make_shared<zor::ScriptedService>();
};

}  // namespace zortest

#endif  // TESTS_ZORCLIENT_TESTCLIENTS_H
