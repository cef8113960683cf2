// Commands: what reaches the service, what comes back, and how the scripted
// service picks its answers.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "TestClients.h"

namespace zortest {
namespace {

using Commands = std::vector<zor::ReceivedCommand>;

TEST_F(ZorClientTest, ShortFormPassesFourParams) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  client.Execute("SetDisplayArea", "0", "10", "", "720");
  EXPECT_EQ(LastConnection()->Received(),
            (Commands{{"SetDisplayArea", {"0", "10", "", "720"}}}));
}

TEST_F(ZorClientTest, LongFormPassesTenParams) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  client.Execute("InitPlayer", "a", "b", "c", "d", "e", "f", "g", "h", "i",
                 "j");
  EXPECT_EQ(LastConnection()->Received(),
            (Commands{{"InitPlayer",
                       {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}}}));
}

TEST_F(ZorClientTest, CommandsAreRecordedInOrderUntilCleared) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  client.Execute("Play", "1", "", "", "");
  client.Execute("Stop", "", "", "", "");
  EXPECT_EQ(LastConnection()->Received(),
            (Commands{{"Play", {"1", "", "", ""}}, {"Stop", {"", "", "", ""}}}));
  LastConnection()->ClearReceived();
  client.Execute("Pause", "", "", "", "");
  EXPECT_EQ(LastConnection()->Received(),
            (Commands{{"Pause", {"", "", "", ""}}}));
}

TEST_F(ZorClientTest, AnswersComeBackUnchanged) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  const std::vector<std::string> answers = {
      "I0", "I-2147483648", "Asome text", "A", "E", "", "I 12 garbage"};
  for (const std::string& answer : answers) {
    LastConnection()->Answer("Query", answer);
    EXPECT_EQ(client.Execute("Query", "", "", "", ""), answer);
  }
}

TEST_F(ZorClientTest, CommandsRunOnTheCallersThread) {
  auto service = std::make_shared<CapturingService>();
  zor::RegisterService("Capture", service);
  RecordingClient client;
  ASSERT_NE(client.Open("Capture", "1.000", "Capture"), 0);
  EXPECT_EQ(client.Execute("Play", "", "", "", ""), "I0");
  EXPECT_EQ(service->CommandThread(), std::this_thread::get_id());
}

// Where an answer may come from, most specific first. Each case asks
// "Play" four times.
struct LookupCase {
  const char* name;
  std::optional<std::string> connectionQueue;
  std::optional<std::string> serviceQueue;
  std::optional<std::string> serviceDefault;
  std::optional<std::string> fallback;
  std::vector<std::string> expected;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class AnswerLookupTest : public ZorClientTest,
                         public ::testing::WithParamInterface<LookupCase> {};

TEST_P(AnswerLookupTest, TakesTheMostSpecificAnswer) {
  const LookupCase& c = GetParam();
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  auto connection = LastConnection();
  // Answers for another command never serve "Play".
  connection->Answer("Stop", "Aconnection-stop");
  player->Answer("Stop", "Aservice-stop");
  player->SetDefault("Stop", "Adefault-stop");
  if (c.connectionQueue) connection->Answer("Play", *c.connectionQueue);
  if (c.serviceQueue) player->Answer("Play", *c.serviceQueue);
  if (c.serviceDefault) player->SetDefault("Play", *c.serviceDefault);
  if (c.fallback) player->SetFallback(*c.fallback);

  std::vector<std::string> answers;
  for (int i = 0; i < 4; ++i) {
    answers.push_back(client.Execute("Play", "", "", "", ""));
  }
  EXPECT_EQ(answers, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ZorClient, AnswerLookupTest,
    ::testing::Values(
        LookupCase{"NothingSet", {}, {}, {}, {}, {"I1", "I1", "I1", "I1"}},
        LookupCase{"Fallback", {}, {}, {}, "E", {"E", "E", "E", "E"}},
        LookupCase{"DefaultBeatsFallback", {}, {}, "I5", "E",
                   {"I5", "I5", "I5", "I5"}},
        LookupCase{"ServiceQueueBeatsDefault", {}, "I0", "I5", {},
                   {"I0", "I5", "I5", "I5"}},
        LookupCase{"ConnectionQueueFirst", "Aconn", "Asvc", "Adef", "E",
                   {"Aconn", "Asvc", "Adef", "Adef"}},
        LookupCase{"QueuesRunOutIntoTheFallback", "Aconn", "Asvc", {}, "E",
                   {"Aconn", "Asvc", "E", "E"}}),
    [](const ::testing::TestParamInfo<LookupCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(ZorClientTest, QueuedAnswersAreServedInOrder) {
  RecordingClient client;
  ASSERT_NE(OpenPlayer(client), 0);
  LastConnection()->Answer("Play", "I1");
  LastConnection()->Answer("Play", "I2");
  player->Answer("Play", "I3");
  player->Answer("Play", "I4");
  std::vector<std::string> answers;
  for (int i = 0; i < 4; ++i) {
    answers.push_back(client.Execute("Play", "", "", "", ""));
  }
  EXPECT_EQ(answers, (std::vector<std::string>{"I1", "I2", "I3", "I4"}));
}

TEST_F(ZorClientTest, ConnectionQueuesBelongToTheirConnection) {
  RecordingClient first;
  RecordingClient second;
  ASSERT_NE(OpenPlayer(first), 0);
  ASSERT_NE(OpenPlayer(second), 0);
  player->Connection(0)->Answer("Play", "Afirst");
  EXPECT_EQ(second.Execute("Play", "", "", "", ""), "I1");
  EXPECT_EQ(first.Execute("Play", "", "", "", ""), "Afirst");
}

}  // namespace
}  // namespace zortest
