// Connections: Open's rules, answers of a connection that is not open, where
// scripted answers come from, and how connections and the registry stay apart.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestClients.h"

namespace zortest {
namespace {

using Answers = std::vector<std::string>;

// Every command of a connection that is not open answers "E", in both forms,
// and reaches no service, even one whose fallback would answer.
TEST_F(ZorClientTest, ConnectionThatIsNotOpenAnswersError) {
  using Arrange = std::function<void(RecordingClient&)>;
  const std::vector<std::pair<const char*, Arrange>> cases = {
      {"closed without opening", [](auto& c) { c.Close(); }},
      {"unknown service", [](auto& c) { ASSERT_EQ(c.Open("Nobody", "1", "x"), 0); }},
      {"refused", [&](auto& c) { player->RefuseConnections(1); ASSERT_EQ(OpenPlayer(c), 0); }},
      {"closed twice", [](auto& c) { ASSERT_NE(OpenPlayer(c), 0); c.Close(); c.Close(); }}};
  player->SetFallback("I0");
  for (const auto& [name, arrange] : cases) {
    SCOPED_TRACE(name);
    RecordingClient client;
    arrange(client);
    EXPECT_EQ(client.Execute("Play", "1", "", "", ""), "E");
    EXPECT_EQ(client.Execute("Play", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"), "E");
  }
  ASSERT_EQ(player->ConnectionCount(), 1u);
  EXPECT_TRUE(LastConnection()->Received().empty());
}

// Each attempt keeps what Open passed, refused or accepted; an Open that
// finds no service reaches none.
TEST_F(ZorClientTest, ServiceRecordsTheVersionAndNameOfEachAttempt) {
  const std::string longName = "a name too long to fit inside the string itself";
  RecordingClient client;
  player->RefuseConnections(1);
  EXPECT_EQ(client.Open("Player", "1.000", "refused"), 0);
  EXPECT_EQ(client.Open("Player", "2.5", longName), 1);
  EXPECT_EQ(client.Open("Nobody", "3", "unknown service"), 0);
  const std::vector<zor::ConnectAttempt> expected = {{"1.000", "refused", false},
                                                     {"2.5", longName, true}};
  EXPECT_EQ(player->Attempts(), expected);
  EXPECT_EQ(player->ConnectAttempts(), 2);
}

// Most specific first: the connection's queue, the service's queue, the
// service's default, the fallback ("I1" unless set). Queues are first in,
// first out, and an answer for one command never serves another.
TEST_F(ZorClientTest, AnswersComeFromTheMostSpecificSource) {
  struct Case {
    Answers connectionQueue, serviceQueue;
    std::optional<std::string> serviceDefault, fallback;
    Answers expected;
  };
  const std::vector<Case> cases = {
      {{}, {}, {}, {}, {"I1", "I1"}},
      {{"A1", "A2"}, {"A3", "A4"}, "A5", "E", {"A1", "A2", "A3", "A4", "A5", "A5"}},
      {{"A1"}, {"A2"}, {}, "E", {"A1", "A2", "E", "E"}}};
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
    if (c.fallback) service->SetFallback(*c.fallback);
    for (const auto& answer : c.expected) EXPECT_EQ(client.Execute("Play", "", "", "", ""), answer);
  }
}

// Answers queued on one connection and events emitted into it reach that
// client only, on a delivery thread of its own.
TEST_F(ZorClientTest, ConnectionsOfOneServiceAreIndependent) {
  RecordingClient first, second;
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
  EXPECT_NE(first.Events()[0].thread, std::this_thread::get_id());
}

TEST_F(ZorClientTest, OpeningAgainClosesTheFirstConnection) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  auto first = LastConnection();
  ASSERT_NE(OpenPlayer(client), 0);
  auto second = LastConnection();
  EXPECT_FALSE(first->IsOpen());
  EXPECT_TRUE(second->IsOpen());
  first->Emit(1, "old", "");
  second->Emit(2, "new", "");
  ASSERT_TRUE(first->WaitDelivered());
  ASSERT_TRUE(second->WaitDelivered());
  EXPECT_EQ(client.Types(), (std::vector<int>{2}));
}

TEST_F(ZorClientTest, OpenInsideOnEventIsRefused) {
  std::atomic<int> reopened{-1};
  RecordingClient client([&](RecordingClient& self, int) { reopened = OpenPlayer(self); });
  ASSERT_NE(OpenPlayer(client), 0);
  LastConnection()->Emit(1, "", "");
  ASSERT_TRUE(LastConnection()->WaitDelivered());
  EXPECT_EQ(reopened, 0);
  EXPECT_EQ(player->ConnectionCount(), 1u);
  EXPECT_TRUE(LastConnection()->IsOpen());
}

// Open connections keep their service when it is replaced or unregistered;
// only later Opens see the change.
TEST_F(ZorClientTest, RegistryChangesLeaveOpenConnectionsAlone) {
  RecordingClient before, after, late;
  ASSERT_NE(OpenPlayer(before), 0);
  auto replacement = std::make_shared<zor::ScriptedService>();
  replacement->SetFallback("Anew");
  zor::RegisterService("Player", replacement);
  ASSERT_NE(OpenPlayer(after), 0);
  EXPECT_EQ(after.Execute("Query", "", "", "", ""), "Anew");
  zor::UnregisterService("Player");
  EXPECT_EQ(before.Execute("Query", "", "", "", ""), "I1");
  EXPECT_EQ(OpenPlayer(late), 0);
}

}  // namespace
}  // namespace zortest
