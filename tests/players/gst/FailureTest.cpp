// Failures: each class of failure gives exactly one error event and then
// silence; hostile input gives "E" or an error event, at once, and never a
// crash or a hang.
#include <string>
#include <vector>

#include "PlayerFixture.h"

namespace playertest {
namespace {

constexpr milliseconds kStallTimeout{2000};

class FailureTest : public PlayerTest {
 protected:
  players::GstPlayerSettings Settings() const override {
    players::GstPlayerSettings settings;
    settings.stallTimeout = kStallTimeout;
    settings.planeSink = players::PlaneSink::kDiscard;
    return settings;
  }
};

// All classes at once, each on a connection of its own.
TEST_F(FailureTest, EachFailureGivesOneErrorEventWithItsMessageAndThenSilence) {
  struct Case {
    const char* name;
    std::string url;
    int event;
  };
  const std::vector<Case> cases = {
      {"refused connection", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/clip.mp4", 1},
      {"stalled host", HttpUrl("stalled/clip.mp4"), 1},
      {"HTTP 404", HttpUrl("missing.mp4"), 2},
      {"missing file", FileUrl("missing.mp4"), 2},
      {"not a media file", FileUrl("notvideo.mp4"), 3},
      {"not a media file over HTTP", HttpUrl("notvideo.mp4"), 3},
      {"truncated file", FileUrl("truncated.mp4"), 4},
      {"long request", HttpUrl(std::string(60 * 1024, 'a')), 2},
  };
  std::vector<std::unique_ptr<RecordingPlayer>> players;
  for (const Case& c : cases) {
    players.push_back(std::make_unique<RecordingPlayer>());
    Play(*players.back(), c.url);
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_TRUE(players[i]->WaitFor(AnError, kStartDeadline)) << cases[i].name;
  }
  // One quiet window serves all: the runs go on side by side, so a stray
  // event on any connection would have arrived by its end.
  const auto any = [](const Event&) { return true; };
  EXPECT_FALSE(players[0]->WaitFor(any, kQuietWindow, players[0]->Count()));
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    RecordingPlayer& player = *players[i];
    const std::vector<Event> events = player.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, cases[i].event) << events.back().param2;
    EXPECT_FALSE(events.back().param2.empty());
    for (size_t e = 0; e + 1 < events.size(); ++e) EXPECT_EQ(events[e].type, 11);
    EXPECT_EQ(player.Do("StartPlayback"), "E") << "a failed run needs a new start";
  }
}

// Every answer comes at once; what cannot be done is refused with "E".
// The steps run in order on one connection, each after the ones before.
TEST_F(FailureTest, HostileCommandsAreRefusedAtOnce) {
  struct Step {
    std::string command, param, answer;
  };
  const std::string megabyte(1 << 20, 'a');
  const std::vector<Step> steps = {
      {"StartPlayback", "", "E"}, {"Pause", "", "E"}, {"Resume", "", "E"},
      {"JumpForward", "5", "E"}, {"GetPlayPosition", "", "E"}, {"GetDuration", "", "E"},
      {"Stop", "", "I1"}, {"Frobnicate", "", "E"}, {"", "", "E"},
      {"InitPlayer", "", "E"}, {"InitPlayer", "not a url", "E"},
      {"InitPlayer", "gopherx://127.0.0.1/clip.mp4", "E"}, {"InitPlayer", "http://", "E"},
      {"InitPlayer", "http://127.0.0.1/" + megabyte, "E"},
      {"InitPlayer", "http://127.0.0.1/" + megabyte + "|COMPONENT=HLS", "E"},
      {"InitPlayer", FileUrl("clip.mp4") + "|COMPONENT=HAS", "I1"},
      {"GetPlayPosition", "", "I0"}, {"JumpForward", "5", "E"},
      {"SetPlaybackSpeed", "0", "E"}, {"SetPlaybackSpeed", "-1", "E"},
      {"SetPlaybackSpeed", "fast", "E"}, {"SetPlaybackSpeed", "nan", "E"},
      {"SetPlaybackSpeed", "inf", "E"}, {"SetPlaybackSpeed", "1e999", "E"},
      {"SetPlaybackSpeed", " 2", "E"}, {"SetPlaybackSpeed", "1", "I1"},
      {"StartPlayback", "", "I1"}, {"StartPlayback", "", "I1"},
      {"JumpForward", "abc", "E"}, {"JumpBackward", "-3", "E"},
      {"JumpForward", "99999999999999999999", "E"}, {"SetDisplayArea", "left", "E"},
      {"SetAppID", "7", "I1"}, {"Stop", "", "I1"}, {"Stop", "", "I1"},
      {"Pause", "", "E"}, {"Resume", "", "E"}, {"JumpBackward", "1", "E"},
      {"GetPlayPosition", "", "I0"},
  };
  RecordingPlayer player;
  ASSERT_TRUE(player.OpenPlayer());
  for (const Step& step : steps) {
    SCOPED_TRACE(step.command + " " + step.param.substr(0, 40));
    const Clock::time_point sent = Clock::now();
    EXPECT_EQ(player.Do(step.command, step.param), step.answer);
    EXPECT_LT(Clock::now() - sent, kAnswerDeadline);
  }
  EXPECT_EQ(player.Execute("SetDisplayArea", "1", "2", "3", "x", "1080", "", "", "", "", ""), "E");
  EXPECT_EQ(player.Execute("SetDisplayArea", "1", "2", "3", "4", "0", "", "", "", "", ""), "E");
  EXPECT_EQ(player.Execute("SetDisplayArea", "-2147483648", "30", "2147483647", "-15", "1080",
                           "", "", "", "", ""),
            "I1");
}

// Closing while the pipeline waits on a host that never answers returns
// at once: tearing down does not wait on the network.
TEST_F(FailureTest, CloseWhileBufferingOnAStalledHostReturnsAtOnce) {
  RecordingPlayer player;
  Play(player, HttpUrl("stalled/clip.mp4"));
  ASSERT_TRUE(player.WaitFor(OfType(11), kStartDeadline));
  ASSERT_TRUE(m_server->WaitForStalled(kStallTimeout)) << "the source never asked";
  const Clock::time_point closing = Clock::now();
  player.Close();
  EXPECT_LT(Clock::now() - closing, milliseconds(1000));
  EXPECT_EQ(player.Do("GetPlayPosition"), "E");
}

}  // namespace
}  // namespace playertest
