// The GStreamer player service on generated media, as the module meets it:
// from "StartPlayback" to the playing event (the process's first pipeline
// and later ones), from a jump to the next progress event, and the process's
// CPU time per second of playback with and without the video plane.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "RecordingPlayer.h"
#include "players/GstPlayerService.h"

namespace {

using playertest::Clock;
using playertest::RecordingPlayer;
using std::chrono::milliseconds;

constexpr int kPlaying = 7;
constexpr int kProgress = 14;

const std::string kClip = std::string("file://") + PLAYER_MEDIA_DIR + "/clip.mp4";

void UsePlayer(players::PlaneSink sink) {
  // GStreamer's plugin cache, kept beside the build rather than in HOME.
  setenv("GST_REGISTRY", PLAYER_GST_REGISTRY, 0);
  players::GstPlayerSettings settings;
  settings.planeSink = sink;
  zor::RegisterService("Player", std::make_shared<players::GstPlayerService>(settings));
}

// Starts the clip and returns the time from "StartPlayback" to the playing
// event; negative when it did not come.
double SecondsToPlaying(RecordingPlayer& player) {
  player.OpenPlayer();
  player.Do("InitPlayer", kClip);
  const Clock::time_point start = Clock::now();
  player.Do("StartPlayback");
  const auto playing = player.WaitFor(playertest::OfType(kPlaying), milliseconds(10000));
  if (!playing) return -1;
  return std::chrono::duration<double>(playing->at - start).count();
}

void StartToPlaying(benchmark::State& state) {
  UsePlayer(players::PlaneSink::kVideoPlane);
  for (auto _ : state) {
    RecordingPlayer player;
    const double seconds = SecondsToPlaying(player);
    if (seconds < 0) state.SkipWithError("no playing event");
    state.SetIterationTime(seconds);
  }
}
// Registered first, so that its one run is the process's first pipeline.
BENCHMARK(StartToPlaying)->Name("StartToPlaying/FirstPipeline")->Iterations(1)->UseManualTime();
BENCHMARK(StartToPlaying)->Name("StartToPlaying/LaterPipelines")->Iterations(10)->UseManualTime();

void JumpToNextProgress(benchmark::State& state) {
  UsePlayer(players::PlaneSink::kVideoPlane);
  RecordingPlayer player;
  if (SecondsToPlaying(player) < 0) state.SkipWithError("no playing event");
  bool forward = true;
  for (auto _ : state) {
    const size_t from = player.Count();
    const Clock::time_point start = Clock::now();
    player.Do(forward ? "JumpForward" : "JumpBackward", "3");
    const auto progress =
        player.WaitFor(playertest::OfType(kProgress), milliseconds(5000), from);
    if (!progress) state.SkipWithError("no progress after the jump");
    state.SetIterationTime(std::chrono::duration<double>(progress->at - start).count());
    forward = !forward;
  }
}
BENCHMARK(JumpToNextProgress)->Iterations(10)->UseManualTime();

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Reports the process's CPU seconds per second of playback, in the
// counter "cpu_per_s".
void PlaybackCpu(benchmark::State& state, players::PlaneSink sink) {
  UsePlayer(sink);
  for (auto _ : state) {
    RecordingPlayer player;
    if (SecondsToPlaying(player) < 0) state.SkipWithError("no playing event");
    const size_t from = player.Count();
    const double cpuStart = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    // Two seconds of playback: four progress events.
    for (int i = 0; i < 4; ++i) {
      player.WaitFor(playertest::OfType(kProgress), milliseconds(5000), player.Count());
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["cpu_per_s"] = (ProcessCpuSeconds() - cpuStart) / wall;
    state.SetIterationTime(wall);
    if (player.Count() <= from) state.SkipWithError("no playback");
  }
}
BENCHMARK_CAPTURE(PlaybackCpu, WithPlane, players::PlaneSink::kVideoPlane)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(PlaybackCpu, WithoutPlane, players::PlaneSink::kDiscard)
    ->Iterations(1)
    ->UseManualTime();

}  // namespace
