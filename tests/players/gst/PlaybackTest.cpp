// Playback of a local clip at double speed. A run's events, positions,
// seeking, pausing, resuming, stopping and starting again are held by the
// gst-playback and gst-transport pages, which drive the player through the
// module.
#include "PlayerFixture.h"

namespace playertest {
namespace {

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
