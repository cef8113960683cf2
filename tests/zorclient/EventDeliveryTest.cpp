// Events: how Close ends delivery, early and late events, concurrent emitters.
#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TestClients.h"

namespace zortest {
namespace {

// OnEvent of event 1 blocks until the test lets it go while another thread
// calls Close. In the second round that OnEvent first closes the connection
// itself, which must return at once; the outside Close must still wait.
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

    auto closing = std::async(std::launch::async, [&] {
      client.Close();
      closeReturned = true;
    });
    EXPECT_EQ(closing.wait_for(100ms), std::future_status::timeout)
        << "Close returned while OnEvent still ran";
    release.set_value();
    ASSERT_EQ(closing.wait_for(5s), std::future_status::ready);

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

// A wait given no practical limit still waits: its deadline must not
// overflow into the past.
TEST_F(ZorClientTest, WaitingWithoutALimitWaitsForTheEvent) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  RecordingClient client([&](RecordingClient&, int) { released.wait(); });
  ASSERT_NE(OpenPlayer(client), 0);
  auto connection = LastConnection();
  connection->Emit(1, "", "");
  auto waiting = std::async(std::launch::async, [&] {
    return connection->WaitDelivered(std::chrono::milliseconds::max());
  });
  EXPECT_EQ(waiting.wait_for(100ms), std::future_status::timeout)
      << "returned before the event was delivered";
  release.set_value();
  ASSERT_EQ(waiting.wait_for(5s), std::future_status::ready);
  EXPECT_TRUE(waiting.get());
}

// An event the service sends before Connect returns waits for the Open; the
// sink outlives the client, and what it gets after Close or after the client
// is gone is dropped.
TEST_F(ZorClientTest, EventsBeforeOpenWaitAndEventsAfterCloseAreDropped) {
  auto client = std::make_unique<RecordingClient>();  // on the heap for ASan
  auto sink = OpenCapture(*client);
  ASSERT_TRUE(sink && sink->WaitDelivered(5s));
  ASSERT_EQ(client->Types(), std::vector<int>{42});
  EXPECT_EQ(client->Events()[0].param1, "during Connect");
  client->Close();
  sink->Emit(1, "", "");
  EXPECT_TRUE(sink->WaitDelivered(5s));
  EXPECT_EQ(client->Types().size(), 1u);
  client.reset();
  sink->Emit(2, "nobody", "listens");
  EXPECT_TRUE(sink->WaitDelivered(5s));
}

// Service threads emit into one sink while the test's thread sends commands:
// all events arrive on one delivery thread, each emitter's in its order.
TEST_F(ZorClientTest, ConcurrentEmittersKeepTheirOrderWhileCommandsRun) {
  constexpr int kEmitters = 4, kEach = 300;
  RecordingClient client;
  auto sink = OpenCapture(client);
  ASSERT_TRUE(sink);
  std::vector<std::thread> emitters;
  for (int emitter = 0; emitter < kEmitters; ++emitter) {
    emitters.emplace_back([&sink, emitter] {
      for (int i = 0; i < kEach; ++i) sink->Emit(emitter, std::to_string(i), "");
    });
  }
  for (int i = 0; i < kEach; ++i) EXPECT_EQ(client.Execute("Get", "", "", "", ""), "I0");
  for (std::thread& emitter : emitters) emitter.join();
  ASSERT_TRUE(sink->WaitDelivered(30s));

  const std::vector<Event> events = client.Events();
  std::vector<int> nextOf(kEmitters, 0);
  for (const Event& event : events) {
    EXPECT_EQ(event.thread, events[0].thread);
    if (event.type == 42) continue;  // sent during Connect
    EXPECT_EQ(event.param1, std::to_string(nextOf.at(event.type)++));
  }
  EXPECT_EQ(nextOf, std::vector<int>(kEmitters, kEach));
}

}  // namespace
}  // namespace zortest
