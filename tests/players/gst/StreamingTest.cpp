// Streams over HTTP, adaptive ones tagged the way pages tag them, and
// connections side by side.
#include <string>
#include <vector>

#include "PlayerFixture.h"

namespace playertest {
namespace {

class StreamingTest : public PlayerTest {
 protected:
  players::GstPlayerSettings Settings() const override {
    players::GstPlayerSettings settings;
    settings.planeSink = players::PlaneSink::kDiscard;
    return settings;
  }
};

// Each rendition of the 10 s clip plays, progresses and knows its length.
TEST_F(StreamingTest, HlsDashAndProgressiveHttpPlay) {
  struct Case {
    const char* name;
    std::string url;
  };
  const std::vector<Case> cases = {
      {"HLS", HttpUrl("hls/playlist.m3u8") + "|COMPONENT=HLS"},
      {"DASH", HttpUrl("dash/dash.mpd") + "|COMPONENT=HAS"},
      {"progressive", HttpUrl("clip.mp4")},
  };
  std::vector<std::unique_ptr<RecordingPlayer>> players;
  for (const Case& c : cases) {
    players.push_back(std::make_unique<RecordingPlayer>());
    Play(*players.back(), c.url);
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    WaitUntilPlayingPast(*players[i], 1000);
    EXPECT_NEAR(AnswerValue(players[i]->Do("GetDuration")), 10000, 800);
    EXPECT_FALSE(players[i]->WaitFor(AnError(), milliseconds(0)));
  }
}

// Two connections, two pipelines: pausing one leaves the other playing to
// its end, and only that one finishes.
TEST_F(StreamingTest, ConnectionsPlayOnPipelinesOfTheirOwn) {
  RecordingPlayer held, running;
  Play(held, FileUrl("clip.mp4"));
  Play(running, FileUrl("short.mp4"));
  WaitUntilPlayingPast(held, 500);
  ASSERT_EQ(held.Do("Pause"), "I1");
  const long long position = AnswerValue(held.Do("GetPlayPosition"));

  ASSERT_TRUE(running.WaitFor(OfType(8), kStartDeadline));
  EXPECT_NEAR(AnswerValue(held.Do("GetPlayPosition")), position, 50);
  EXPECT_FALSE(held.WaitFor(OfType(8), milliseconds(0)));
  EXPECT_EQ(running.Do("GetPlayPosition"), running.Do("GetDuration"));
}

}  // namespace
}  // namespace playertest
