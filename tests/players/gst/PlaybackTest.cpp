// Playback of a local clip: the events of a run, positions, seeking and
// speed. Pausing, resuming, stopping and starting again are held by the
// gst-transport page, which drives them through the module.
#include <algorithm>
#include <cstdlib>

#include "PlayerFixture.h"

namespace playertest {
namespace {

using PlaybackTest = PlayerTest;

// Buffering, then playing, then progress that keeps pace with the media
// clock, and one finish event as the last word.
TEST_F(PlaybackTest, RunGoesBufferingPlayingProgressAndFinishesOnce) {
  RecordingPlayer player;
  Play(player, FileUrl("short.mp4"));
  ASSERT_TRUE(player.WaitFor(OfType(8), kStartDeadline)) << "never finished";
  EXPECT_TRUE(player.StaysQuietFor(kQuietWindow)) << "an event after the finish";

  const std::vector<Event> events = player.Events();
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front().type, 11);
  size_t playing = 1;
  while (playing < events.size() && events[playing].type == 11) ++playing;
  ASSERT_LT(playing, events.size());
  EXPECT_EQ(events[playing].type, 7);
  EXPECT_EQ(events.back().type, 8);
  long long last = -1;
  int progress = 0;
  for (size_t i = playing + 1; i + 1 < events.size(); ++i) {
    SCOPED_TRACE("event " + std::to_string(i));
    ASSERT_EQ(events[i].type, 14);
    EXPECT_EQ(events[i].param2, "");
    const long long position = PositionOf(events[i]);
    const auto elapsed = std::chrono::duration_cast<milliseconds>(events[i].at - events[playing].at);
    EXPECT_GT(position, last);
    EXPECT_LE(std::llabs(position - elapsed.count()), 300) << "elapsed " << elapsed.count();
    last = position;
    ++progress;
  }
  EXPECT_GE(progress, 3);
  const long long duration = AnswerValue(player.Do("GetDuration"));
  EXPECT_NEAR(duration, 2000, 100);
  EXPECT_EQ(AnswerValue(player.Do("GetPlayPosition")), duration);
}

// Each jump is answered at once, clamped to the media, and the next
// progress event (and the position asked for) already carries the target.
TEST_F(PlaybackTest, JumpsLandNearTheirTargetWithinTheMedia) {
  struct Step {
    const char* command;
    const char* seconds;
    long long shiftMs;  // from where playback was; clamped below
  };
  const std::vector<Step> steps = {{"JumpForward", "4", 4000},
                                   {"JumpBackward", "2", -2000},
                                   {"JumpBackward", "60", -60000},
                                   {"JumpForward", "60", 60000}};
  RecordingPlayer player;
  Play(player, FileUrl("clip.mp4"));
  WaitUntilPlayingPast(player, 500);
  const long long duration = AnswerValue(player.Do("GetDuration"));
  ASSERT_NEAR(duration, 10000, 200);
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string(step.command) + " " + step.seconds);
    const long long from = AnswerValue(player.Do("GetPlayPosition"));
    ASSERT_GE(from, 0);
    const long long target = std::clamp(from + step.shiftMs, 0LL, duration);
    const size_t before = player.Count();
    ASSERT_EQ(player.Do(step.command, step.seconds), "I1");
    EXPECT_NEAR(AnswerValue(player.Do("GetPlayPosition")), target, 1000);
    const auto next = player.WaitFor(OfType(14), kStartDeadline, before);
    ASSERT_TRUE(next);
    EXPECT_NEAR(PositionOf(*next), target, 1000);
  }
  EXPECT_TRUE(player.WaitFor(OfType(8), kStartDeadline)) << "a jump to the end finishes";
}

// Cases that time decoding at more than real time: the suite runs them
// alone, so that a busy machine does not slow the decoders down.
using PlaybackRateTest = PlayerTest;

// At speed 2 the media advances twice as fast as the wall clock.
TEST_F(PlaybackRateTest, DoubleSpeedAdvancesProgressTwiceAsFast) {
  RecordingPlayer player;
  Play(player, FileUrl("clip.mp4"));
  WaitUntilPlayingPast(player, 500);
  ASSERT_EQ(player.Do("SetPlaybackSpeed", "2"), "I1");
  // Measured from progress a while after the change, once the pipeline's
  // rate seek has surely gone through.
  const Clock::time_point settled = Clock::now() + milliseconds(1000);
  const auto first = player.WaitFor(
      [settled](const Event& e) { return e.type == 14 && e.at >= settled; }, kStartDeadline);
  ASSERT_TRUE(first);
  const auto later = player.WaitFor(ProgressAtLeast(PositionOf(*first) + 3000), kStartDeadline);
  ASSERT_TRUE(later);
  const double media = static_cast<double>(PositionOf(*later) - PositionOf(*first));
  const double wall = static_cast<double>(
      std::chrono::duration_cast<milliseconds>(later->at - first->at).count());
#ifdef __SANITIZE_THREAD__
  // ThreadSanitizer slows the whole process down so far that decoding may
  // fall behind double speed: playback must still clearly outrun speed 1.
  EXPECT_GT(media / wall, 1.4) << media << " ms of media in " << wall << " ms";
#else
  EXPECT_NEAR(media / wall, 2.0, 0.25) << media << " ms of media in " << wall << " ms";
#endif
}

}  // namespace
}  // namespace playertest
