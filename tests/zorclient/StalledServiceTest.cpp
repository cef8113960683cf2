// A service that answers late, never, or ends the connection itself: the
// client's command waits at most the bound, and a command that outlived it
// closes the connection. What an ended connection still delivers and
// answers is held by the stalled-service page.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TestClients.h"

namespace zortest {
namespace {

constexpr auto kBound = 200ms;

class StalledServiceTest : public ZorClientTest {
 protected:
  void SetUp() override {
    ZorClientTest::SetUp();
    zor::SetCommandTimeout(kBound);
  }
  void TearDown() override {
    zor::SetCommandTimeout(5s);
    ZorClientTest::TearDown();
  }

  // The service's end of a connection runs until its session is gone; a
  // command held for ever keeps it past the client's Close.
  static bool WaitSessionGone(const std::shared_ptr<zor::ScriptedConnection>& connection) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (connection->IsOpen()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }
};

// Answers within the bound arrive and leave the connection open; an answer
// later than the bound, or none, gives "E" once the bound passed, and the
// connection is then closed: the next command answers "E" without reaching
// the service, and events emitted later are not delivered.
TEST_F(StalledServiceTest, CommandAnsweredLateOrNeverGivesErrorAndClosesTheConnection) {
  struct Case {
    const char* name;
    std::chrono::milliseconds delay;
    bool answered;
  };
  const std::vector<Case> cases = {{"at once", 0ms, true},
                                   {"within the bound", 20ms, true},
                                   {"after the bound", 600ms, false},
                                   {"never", -1ms, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingClient client;
    ASSERT_NE(OpenPlayer(client), 0);
    auto connection = LastConnection();
    connection->Answer("GetDuration", "I5000", c.delay);
    const auto start = std::chrono::steady_clock::now();
    const std::string answer = client.Execute("GetDuration", "", "", "", "");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(answer, c.answered ? "I5000" : "E");
    if (!c.answered) {
      EXPECT_GE(waited, kBound);
    }

    EXPECT_EQ(client.Execute("Play", "1", "", "", ""), c.answered ? "I1" : "E");
    connection->Emit(7, "after", "");
    EXPECT_TRUE(connection->WaitDelivered());
    EXPECT_EQ(client.Types(), c.answered ? std::vector<int>{7} : std::vector<int>{});
    EXPECT_EQ(connection->Received().size(), c.answered ? 2u : 1u);
    client.Close();
    connection->End();  // a command held for ever returns now
    EXPECT_TRUE(WaitSessionGone(connection));
  }
}

// The client object may go while the service still runs the abandoned
// command; that command's return then touches nothing of the client.
TEST_F(StalledServiceTest, ClientDestroyedWhileTheServiceStillRunsTheCommand) {
  std::shared_ptr<zor::ScriptedConnection> connection;
  {
    RecordingClient client;
    ASSERT_NE(OpenPlayer(client), 0);
    connection = LastConnection();
    connection->Answer("Stop", "I1", -1ms);
    EXPECT_EQ(client.Execute("Stop", "", "", "", ""), "E");
    EXPECT_TRUE(connection->IsOpen());  // the service is still inside the call
  }
  zor::UnregisterAllServices();
  player.reset();  // the service object going releases the held command
  EXPECT_TRUE(WaitSessionGone(connection));
}

// A command held by a delay returns "E" as soon as the service ends the
// connection, well before its delay.
TEST_F(StalledServiceTest, EndReleasesAHeldCommand) {
  zor::SetCommandTimeout(1h);
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  auto connection = LastConnection();
  connection->Answer("Stop", "I1", -1ms);
  std::thread ender([&] {
    while (connection->Received().empty()) std::this_thread::yield();
    connection->End();
  });
  EXPECT_EQ(client.Execute("Stop", "", "", "", ""), "E");
  ender.join();
}

}  // namespace
}  // namespace zortest
