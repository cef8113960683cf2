// Events: order, the delivery thread, and how Close ends delivery.
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "TestClients.h"

namespace zortest {
namespace {

TEST_F(ZorClientTest, EventsArriveInOrderOneAtATimeOnALibraryThread) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  std::vector<int> sent;
  for (int type = 0; type < 100; ++type) {
    LastConnection()->Emit(type, std::to_string(type), "p2");
    sent.push_back(type);
  }
  ASSERT_TRUE(LastConnection()->WaitDelivered());

  EXPECT_EQ(client.Types(), sent);
  EXPECT_FALSE(client.Overlapped());
  std::set<std::thread::id> threads;
  for (const Event& event : client.Events()) {
    threads.insert(event.thread);
    EXPECT_EQ(event.param1, std::to_string(event.type));
    EXPECT_EQ(event.param2, "p2");
  }
  EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

TEST_F(ZorClientTest, EachConnectionDeliversOnItsOwnThread) {
  RecordingClient first;
  RecordingClient second;
  ASSERT_NE(OpenPlayer(first), 0);
  ASSERT_NE(OpenPlayer(second), 0);
  player->Connection(0)->Emit(1, "", "");
  player->Connection(1)->Emit(2, "", "");
  ASSERT_TRUE(player->Connection(0)->WaitDelivered());
  ASSERT_TRUE(player->Connection(1)->WaitDelivered());
  ASSERT_EQ(first.Types(), (std::vector<int>{1}));
  ASSERT_EQ(second.Types(), (std::vector<int>{2}));
  EXPECT_NE(first.Events()[0].thread, second.Events()[0].thread);
}

// OnEvent of the first event blocks until the test lets it go; Close is
// called meanwhile from another thread.
TEST_F(ZorClientTest, CloseWaitsForTheRunningOnEventAndStopsDelivery) {
  Gate entered;
  Gate release;
  std::atomic<bool> closeReturned{false};
  std::atomic<bool> startedAfterClose{false};
  std::atomic<bool> sessionEndedDuringOnEvent{false};
  std::atomic<bool> closeReturnedDuringOnEvent{false};
  std::shared_ptr<zor::ScriptedConnection> connection;
  RecordingClient client([&](RecordingClient&, int type) {
    if (closeReturned) startedAfterClose = true;
    if (type != 1) return;
    entered.Open();
    EXPECT_TRUE(release.Wait());
    if (!connection->IsOpen()) sessionEndedDuringOnEvent = true;
    if (closeReturned) closeReturnedDuringOnEvent = true;
  });
  ASSERT_NE(OpenPlayer(client), 0);
  connection = LastConnection();
  connection->Emit(1, "", "");
  connection->Emit(2, "", "");
  ASSERT_TRUE(entered.Wait());

  auto closing = std::async(std::launch::async, [&] {
    client.Close();
    closeReturned = true;
  });
  EXPECT_EQ(closing.wait_for(100ms), std::future_status::timeout)
      << "Close returned while OnEvent still ran";
  release.Open();
  ASSERT_EQ(closing.wait_for(5s), std::future_status::ready);

  connection->Emit(3, "", "");
  ASSERT_TRUE(connection->WaitDelivered());
  EXPECT_FALSE(startedAfterClose);
  EXPECT_FALSE(sessionEndedDuringOnEvent);
  EXPECT_FALSE(closeReturnedDuringOnEvent);
  EXPECT_FALSE(connection->IsOpen());
  EXPECT_EQ(client.Types().front(), 1);
  EXPECT_LE(client.Types().size(), 2u);
}

TEST_F(ZorClientTest, EventsAfterCloseAreDropped) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  auto connection = LastConnection();
  client.Close();
  connection->Emit(1, "", "");
  EXPECT_TRUE(connection->WaitDelivered());
  EXPECT_TRUE(client.Types().empty());
}

TEST_F(ZorClientTest, TheSinkOutlivesItsClient) {
  auto service = std::make_shared<CapturingService>();
  zor::RegisterService("Capture", service);
  std::shared_ptr<zor::EventSink> sink;
  {
    RecordingClient client;
    ASSERT_NE(client.Open("Capture", "1.000", "Capture"), 0);
    sink = service->Sink();
  }
  sink->Emit(1, "nobody", "listens");
  EXPECT_TRUE(sink->WaitDelivered(5s));
}

TEST_F(ZorClientTest, CloseInsideOnEventEndsDeliveryAfterThatEvent) {
  RecordingClient client([](RecordingClient& self, int type) {
    if (type == 1) self.Close();
  });
  ASSERT_NE(OpenPlayer(client), 0);
  auto connection = LastConnection();
  for (int type = 0; type < 4; ++type) connection->Emit(type, "", "");
  ASSERT_TRUE(connection->WaitDelivered());

  EXPECT_EQ(client.Types(), (std::vector<int>{0, 1}));
  EXPECT_FALSE(connection->IsOpen());
  EXPECT_EQ(client.Execute("Play", "", "", "", ""), "E");
}

// The destructor's Close must still wait for an OnEvent that closed the
// connection itself and has not returned yet.
TEST_F(ZorClientTest, CloseFromOutsideWaitsForAnOnEventThatClosedItself) {
  Gate closedInside;
  Gate release;
  std::atomic<bool> closeReturned{false};
  std::atomic<bool> closeReturnedDuringOnEvent{false};
  RecordingClient client([&](RecordingClient& self, int) {
    self.Close();
    closedInside.Open();
    EXPECT_TRUE(release.Wait());
    if (closeReturned) closeReturnedDuringOnEvent = true;
  });
  ASSERT_NE(OpenPlayer(client), 0);
  LastConnection()->Emit(1, "", "");
  ASSERT_TRUE(closedInside.Wait());

  auto closing = std::async(std::launch::async, [&] {
    client.Close();
    closeReturned = true;
  });
  EXPECT_EQ(closing.wait_for(100ms), std::future_status::timeout)
      << "Close returned while OnEvent still ran";
  release.Open();
  ASSERT_EQ(closing.wait_for(5s), std::future_status::ready);
  EXPECT_FALSE(closeReturnedDuringOnEvent);
}

TEST_F(ZorClientTest, DestroyingAClientWhileEventsFlowIsSafe) {
  for (int round = 0; round < 20; ++round) {
    std::shared_ptr<zor::ScriptedConnection> connection;
    auto client = std::make_unique<RecordingClient>();  // on the heap for ASan
    ASSERT_NE(OpenPlayer(*client), 0);
    connection = LastConnection();
    for (int i = 0; i < 50; ++i) connection->Emit(i, std::string(64, 'x'), "");
    client.reset();
    EXPECT_TRUE(connection->WaitDelivered());
  }
}

// Several service threads emit straight into the sink while the client's
// thread sends commands; each emitter's events keep their order.
TEST_F(ZorClientTest, ConcurrentEmittersKeepTheirOrderWhileCommandsRun) {
  auto service = std::make_shared<CapturingService>();
  zor::RegisterService("Capture", service);
  RecordingClient capturing;
  ASSERT_NE(capturing.Open("Capture", "1.000", "Capture"), 0);
  RecordingClient scripted;
  ASSERT_NE(OpenPlayer(scripted), 0);
  auto connection = LastConnection();

  constexpr int kEmitters = 4;
  constexpr int kEach = 300;
  std::shared_ptr<zor::EventSink> sink = service->Sink();
  std::vector<std::thread> emitters;
  for (int emitter = 0; emitter < kEmitters; ++emitter) {
    emitters.emplace_back([&, emitter] {
      for (int i = 0; i < kEach; ++i) {
        sink->Emit(emitter, std::to_string(i), "");
        connection->Emit(emitter, std::to_string(i), "");
      }
    });
  }
  for (int i = 0; i < kEach; ++i) {
    connection->Answer("Get", "I" + std::to_string(i));
    EXPECT_EQ(scripted.Execute("Get", std::to_string(i), "", "", ""),
              "I" + std::to_string(i));
    EXPECT_EQ(capturing.Execute("Get", "", "", "", ""), "I0");
    EXPECT_EQ(connection->Received().size(), static_cast<size_t>(i + 1));
  }
  for (std::thread& emitter : emitters) emitter.join();
  ASSERT_TRUE(sink->WaitDelivered(30s));
  ASSERT_TRUE(connection->WaitDelivered(30s));

  for (const RecordingClient* client : {&capturing, &scripted}) {
    std::vector<std::vector<std::string>> perEmitter(kEmitters);
    for (const Event& event : client->Events()) {
      perEmitter.at(event.type).push_back(event.param1);
    }
    for (const auto& sequence : perEmitter) {
      ASSERT_EQ(sequence.size(), static_cast<size_t>(kEach));
      for (int i = 0; i < kEach; ++i) EXPECT_EQ(sequence[i], std::to_string(i));
    }
    EXPECT_FALSE(client->Overlapped());
  }
}

TEST_F(ZorClientTest, EventsOfAServiceThatIsGoneAreDropped) {
  auto service = std::make_shared<zor::ScriptedService>();
  zor::RegisterService("Short-lived", service);
  RecordingClient client;
  ASSERT_NE(client.Open("Short-lived", "1.000", "x"), 0);
  auto connection = service->Connection(0);
  zor::UnregisterService("Short-lived");
  service.reset();  // joins the service thread

  connection->Emit(1, "", "");
  EXPECT_TRUE(connection->WaitDelivered());
  EXPECT_TRUE(client.Types().empty());
  EXPECT_TRUE(connection->IsOpen());  // the session lives until Close
}

}  // namespace
}  // namespace zortest
