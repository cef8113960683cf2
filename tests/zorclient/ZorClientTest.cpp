// libZorClient through a client object. What an ended connection still
// delivers and answers is held by the stalled-service page.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "zor/ScriptedService.h"
#include "zor/ServiceRegistry.h"
#include "zor/ZorPluginWrapper.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

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
// test that connection's raw sink.
struct CapturingService : zor::ScriptedService {
  std::unique_ptr<zor::ServiceSession> Connect(const std::string& version, const std::string& name,
                                               std::shared_ptr<zor::EventSink> events) override {
    events->Emit(42, "during Connect", "");
    sink = events;  // Open runs on the test's thread
    return ScriptedService::Connect(version, name, std::move(events));
  }
  std::shared_ptr<zor::EventSink> sink;
};

// A scripted "Player" service registered for the length of each case.
class ZorClientTest : public ::testing::Test {
 protected:
  void SetUp() override { zor::RegisterService("Player", player); }
  void TearDown() override {
    zor::UnregisterAllServices();
    zor::SetCommandTimeout(5s);
  }

  static int OpenPlayer(zor::CZorPluginWrapper& client) {
    return client.Open("Player", "1.000", "Player");
  }
  std::shared_ptr<zor::ScriptedConnection> LastConnection() const {
    return player->Connection(player->ConnectionCount() - 1);
  }
  std::shared_ptr<zor::ScriptedService> player = std::make_shared<zor::ScriptedService>();
};

// Every command of a connection that is not open answers "E" and reaches no
// service, even one whose fallback would answer. The service
// keeps what each attempt passed, refused or accepted; an Open that finds no
// service reaches none.
TEST_F(ZorClientTest, ConnectionThatIsNotOpenAnswersError) {
  const std::string longName = "a name too long to fit inside the string itself";
  const std::vector<std::pair<const char*, std::function<void(RecordingClient&)>>> cases = {
      {"closed without opening", [](auto& c) { c.Close(); }},
      {"unknown service", [](auto& c) { ASSERT_EQ(c.Open("Nobody", "1", "x"), 0); }},
      {"refused", [&](auto& c) {
         player->RefuseConnections(1);
         ASSERT_EQ(c.Open("Player", "1.000", "refused"), 0);
       }},
      {"closed twice", [&](auto& c) {
         ASSERT_NE(c.Open("Player", "2.5", longName), 0);
         c.Close();
         c.Close();
       }}};
  player->SetFallback("I0");
  for (const auto& [name, arrange] : cases) {
    SCOPED_TRACE(name);
    RecordingClient client;
    arrange(client);
    EXPECT_EQ(client.Execute("Play", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"), "E");
  }
  const std::vector<zor::ConnectAttempt> attempts = {{"1.000", "refused", false},
                                                     {"2.5", longName, true}};
  EXPECT_EQ(player->Attempts(), attempts);
  ASSERT_EQ(player->ConnectionCount(), 1u);
  EXPECT_TRUE(LastConnection()->Received().empty());
}

// Most specific first: the connection's queue, the service's queue, the
// service's default, the fallback. Queues are first in, first out, and an
// answer for one command never serves another.
TEST_F(ZorClientTest, AnswersComeFromTheMostSpecificSource) {
  using Answers = std::vector<std::string>;
  struct Case {
    Answers connectionQueue, serviceQueue;
    std::optional<std::string> serviceDefault;
    Answers expected;
  };
  const std::vector<Case> cases = {
      {{"A1", "A2"}, {"A3", "A4"}, "A5", {"A1", "A2", "A3", "A4", "A5", "A5"}},
      {{"A1"}, {"A2"}, {}, {"A1", "A2", "E", "E"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.expected));
    auto service = std::make_shared<zor::ScriptedService>();
    zor::RegisterService("Player", service);
    RecordingClient client;
    ASSERT_NE(OpenPlayer(client), 0);
    auto connection = service->Connection(0);
    connection->Answer("Stop", "Aconnection-stop");
    service->Answer("Stop", "Aservice-stop");
    service->SetDefault("Stop", "Adefault-stop");
    for (const std::string& a : c.connectionQueue) connection->Answer("Play", a);
    for (const std::string& a : c.serviceQueue) service->Answer("Play", a);
    if (c.serviceDefault) service->SetDefault("Play", *c.serviceDefault);
    service->SetFallback("E");
    for (const auto& answer : c.expected) EXPECT_EQ(client.Execute("Play", "", "", "", ""), answer);
  }
}

// Answers queued on one connection and events emitted into it reach that
// client only, on a delivery thread of its own. Open connections keep their
// service when it is replaced or unregistered; only later Opens see the change.
TEST_F(ZorClientTest, ConnectionsAreIndependentOfEachOtherAndOfTheRegistry) {
  RecordingClient first, second, afterReplacing, afterUnregistering;
  ASSERT_NE(OpenPlayer(first), 0);
  ASSERT_NE(OpenPlayer(second), 0);
  player->Connection(0)->Answer("Play", "Afirst");
  EXPECT_EQ(second.Execute("Play", "", "", "", ""), "I1");
  EXPECT_EQ(first.Execute("Play", "", "", "", ""), "Afirst");
  for (int i : {0, 1}) player->Connection(i)->Emit(i, "", "");
  for (int i : {0, 1}) ASSERT_TRUE(player->Connection(i)->WaitDelivered());
  ASSERT_EQ(first.Types(), (std::vector<int>{0}));
  ASSERT_EQ(second.Types(), (std::vector<int>{1}));
  EXPECT_NE(first.Events()[0].thread, second.Events()[0].thread);

  auto replacement = std::make_shared<zor::ScriptedService>();
  replacement->SetFallback("Anew");
  zor::RegisterService("Player", replacement);
  ASSERT_NE(OpenPlayer(afterReplacing), 0);
  EXPECT_EQ(afterReplacing.Execute("Query", "", "", "", ""), "Anew");
  zor::UnregisterService("Player");
  EXPECT_EQ(first.Execute("Query", "", "", "", ""), "I1");
  EXPECT_EQ(OpenPlayer(afterUnregistering), 0);
}

// A second Open closes the first connection, whose later events are
// dropped; an Open from inside OnEvent is refused and closes nothing.
TEST_F(ZorClientTest, OpeningAgainClosesTheFirstConnectionButNotFromInsideOnEvent) {
  std::atomic<int> reopened{-1};
  RecordingClient client([&](RecordingClient& self, int) { reopened = OpenPlayer(self); });
  ASSERT_NE(OpenPlayer(client), 0);
  auto first = LastConnection();
  ASSERT_NE(OpenPlayer(client), 0);
  auto second = LastConnection();
  first->Emit(1, "old", "");
  second->Emit(2, "new", "");
  for (const auto& connection : {first, second}) ASSERT_TRUE(connection->WaitDelivered());
  EXPECT_EQ(client.Types(), (std::vector<int>{2}));
  EXPECT_EQ(reopened, 0);
  EXPECT_FALSE(first->IsOpen());
  EXPECT_TRUE(second->IsOpen());
}

// OnEvent of event 1 blocks until the test lets it go while another thread
// calls Close. In the second round that OnEvent first closes the connection
// itself, which must return at once; the outside Close must still wait, and
// so must a wait for the delivery given no practical limit: its deadline
// must not overflow into the past.
TEST_F(ZorClientTest, CloseWaitsForTheRunningOnEventAndStopsDelivery) {
  for (bool closesItself : {false, true}) {
    SCOPED_TRACE(closesItself ? "OnEvent closed itself" : "closed from outside");
    std::promise<void> entered, release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> closeReturned{false}, ranAfterClose{false}, endedEarly{false};
    std::shared_ptr<zor::ScriptedConnection> connection;
    RecordingClient client([&](RecordingClient& self, int type) {
      if (closeReturned) ranAfterClose = true;
      if (type != 1) return;
      if (closesItself) self.Close();
      entered.set_value();
      EXPECT_EQ(released.wait_for(5s), std::future_status::ready);
      // The service learns of the close only after delivery ended.
      if (!closesItself && !connection->IsOpen()) endedEarly = true;
      if (closeReturned) ranAfterClose = true;
    });
    ASSERT_NE(OpenPlayer(client), 0);
    connection = LastConnection();
    for (int type : {1, 2}) connection->Emit(type, "", "");
    ASSERT_EQ(entered.get_future().wait_for(5s), std::future_status::ready);

    auto waiting = std::async(std::launch::async, [&] {
      return connection->WaitDelivered(std::chrono::milliseconds::max());
    });
    auto closing = std::async(std::launch::async, [&] {
      client.Close();
      closeReturned = true;
    });
    EXPECT_EQ(closing.wait_for(100ms), std::future_status::timeout)
        << "Close returned while OnEvent still ran";
    EXPECT_EQ(waiting.wait_for(0ms), std::future_status::timeout)
        << "the wait returned before the event was delivered";
    release.set_value();
    ASSERT_EQ(closing.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(waiting.get());

    connection->Emit(3, "", "");
    ASSERT_TRUE(connection->WaitDelivered());
    EXPECT_FALSE(ranAfterClose);
    EXPECT_FALSE(endedEarly);
    EXPECT_FALSE(connection->IsOpen());
    // Event 2 may slip in before an outside Close starts, never after.
    const std::vector<int> types = client.Types();
    EXPECT_TRUE(types == std::vector<int>{1} || (!closesItself && types == std::vector<int>{1, 2}))
        << ::testing::PrintToString(types);
  }
}

// An event the service sends before Connect returns waits for the Open.
// Service threads then emit into the sink while the test's thread sends
// commands: all events arrive on one delivery thread, each emitter's in its
// order. The sink outlives the client, and what it gets after Close or after
// the client is gone is dropped.
TEST_F(ZorClientTest, EventsKeepTheirOrderFromOpenToCloseAndAreDroppedAfter) {
  constexpr int kEmitters = 4, kEach = 300;
  auto service = std::make_shared<CapturingService>();
  zor::RegisterService("Capture", service);
  auto client = std::make_unique<RecordingClient>();  // on the heap for ASan
  ASSERT_NE(client->Open("Capture", "1.000", "Capture"), 0);
  const std::shared_ptr<zor::EventSink> sink = service->sink;
  std::vector<std::thread> emitters;
  for (int emitter = 0; emitter < kEmitters; ++emitter) {
    emitters.emplace_back([&sink, emitter] {
      for (int i = 0; i < kEach; ++i) sink->Emit(emitter, std::to_string(i), "");
    });
  }
  for (int i = 0; i < kEach; ++i) EXPECT_EQ(client->Execute("Get", "", "", "", ""), "I1");
  for (std::thread& emitter : emitters) emitter.join();
  ASSERT_TRUE(sink->WaitDelivered(30s));

  const std::vector<Event> events = client->Events();
  ASSERT_EQ(events.size(), 1u + kEmitters * kEach);
  EXPECT_EQ(events[0].type, 42);
  EXPECT_EQ(events[0].param1, "during Connect");
  std::vector<int> nextOf(kEmitters, 0);
  for (size_t i = 1; i < events.size(); ++i) {
    EXPECT_EQ(events[i].thread, events[0].thread);
    EXPECT_EQ(events[i].param1, std::to_string(nextOf.at(events[i].type)++));
  }

  client->Close();
  sink->Emit(1, "", "");
  EXPECT_TRUE(sink->WaitDelivered(5s));
  EXPECT_EQ(client->Events().size(), events.size());
  client.reset();
  sink->Emit(2, "nobody", "listens");
  EXPECT_TRUE(sink->WaitDelivered(5s));
}

// Answers within the bound arrive and leave the connection open; an answer
// later than the bound, or none, gives "E" once the bound passed, and the
// connection is then closed: the next command answers "E" without reaching
// the service, and events emitted later are not delivered. A held command
// returns "E" as soon as the service ends the connection, and one still held
// may outlive the client object: its return then touches nothing of it.
TEST_F(ZorClientTest, CommandAnsweredLateOrNeverGivesErrorAndClosesTheConnection) {
  struct Case {
    const char* name;
    std::chrono::milliseconds delay;  // negative: never answered
    bool answered;
    bool endedByService;
  };
  const std::vector<Case> cases = {{"at once", 0ms, true, false},
                                   {"within the bound", 20ms, true, false},
                                   {"after the bound", 600ms, false, false},
                                   {"never", -1ms, false, false},
                                   {"until the service ends it", -1ms, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A held command may only end by End when the bound is out of reach.
    const std::chrono::milliseconds bound = c.endedByService ? 1h : 200ms;
    zor::SetCommandTimeout(bound);
    auto client = std::make_unique<RecordingClient>();
    ASSERT_NE(OpenPlayer(*client), 0);
    auto connection = LastConnection();
    connection->Answer("GetDuration", "I5000", c.delay);
    std::thread ender([&] {
      while (c.endedByService && connection->Received().empty()) std::this_thread::yield();
      if (c.endedByService) connection->End();
    });
    const auto start = Clock::now();
    EXPECT_EQ(client->Execute("GetDuration", "", "", "", ""), c.answered ? "I5000" : "E");
    ender.join();
    if (!c.answered && !c.endedByService) {
      EXPECT_GE(Clock::now() - start, bound);
    }

    EXPECT_EQ(client->Execute("Play", "1", "", "", ""), c.answered ? "I1" : "E");
    connection->Emit(7, "after", "");
    EXPECT_TRUE(connection->WaitDelivered());
    EXPECT_EQ(client->Types(), c.answered ? std::vector<int>{7} : std::vector<int>{});
    EXPECT_EQ(connection->Received().size(), c.answered ? 2u : 1u);
    client.reset();
    connection->End();  // a command held for ever returns now
    // The service's end of the connection runs until that command returned.
    const auto deadline = Clock::now() + 10s;
    while (connection->IsOpen() && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(connection->IsOpen());
  }
}

TEST(NumberToStringTest, WritesDecimalTextReplacingTheOldContent) {
  const struct { int value; const char* text; } cases[] = {
      {0, "0"}, {-1, "-1"}, {5000, "5000"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
  for (const auto& c : cases) {
    std::string out = "stale content";
    CNumberToString::NumberToString(out, c.value);
    EXPECT_EQ(out, c.text) << c.value;
  }
}

}  // namespace
