#include "PlayerSession.h"

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>
#include <utility>

#include "players/DisplayArea.h"
#include "players/NumberParsing.h"
#include "PlayableUrl.h"

namespace players {

namespace {

// Rates the pipeline plays forward. Above this, decoding cannot keep up
// and the sinks would drop nearly every frame.
constexpr double kMaxRate = 64;
// Keeps seconds * 1000 far inside int64.
constexpr int64_t kMaxJumpSeconds = int64_t{1} << 40;

std::string Accepted() { return "I1"; }
std::string Refused() { return "E"; }
std::string Integer(int64_t value) { return "I" + std::to_string(value); }

const std::string& First(const std::vector<std::string>& params) {
  static const std::string kNone;
  return params.empty() ? kNone : params[0];
}

}  // namespace

PlayerSession::PlayerSession(const GstPlayerSettings& settings, std::shared_ptr<VideoPlane> plane,
                             std::shared_ptr<zor::EventSink> events)
    : m_plane(std::move(plane)),
      m_pipeline(settings.planeSink),
      m_driver(m_pipeline, m_view, m_loop, std::move(events), settings.stallTimeout) {
  if (m_pipeline.Window()) m_plane->Add(m_pipeline.Window());
}

PlayerSession::~PlayerSession() {
  if (m_pipeline.Window()) m_plane->Remove(m_pipeline.Window().get());
  // No loop work runs after this, and no streaming thread once the
  // pipeline is down; the members then go in reverse order: the driver
  // with its bus handler and timers, the loop with the tasks it never ran,
  // the pipeline.
  m_loop.Stop();
  m_pipeline.Shutdown();
}

std::string PlayerSession::Execute(const std::string& command, const Params& params) {
  using Handler = std::string (PlayerSession::*)(const Params&);
  static const std::map<std::string, Handler> kCommands = {
      {"InitPlayer", &PlayerSession::InitPlayer},
      {"StartPlayback", &PlayerSession::StartPlayback},
      {"Pause", &PlayerSession::Pause},
      {"Resume", &PlayerSession::Resume},
      {"Stop", &PlayerSession::Stop},
      {"JumpForward", &PlayerSession::JumpForward},
      {"JumpBackward", &PlayerSession::JumpBackward},
      {"SetPlaybackSpeed", &PlayerSession::SetPlaybackSpeed},
      {"GetPlayPosition", &PlayerSession::GetPlayPosition},
      {"GetDuration", &PlayerSession::GetDuration},
      {"SetDisplayArea", &PlayerSession::SetDisplayArea},
      {"SetAppID", &PlayerSession::SetAppID},
  };
  const auto found = kCommands.find(command);
  if (found == kCommands.end() || !m_pipeline.Valid()) return Refused();
  return (this->*found->second)(params);
}

void PlayerSession::Drive(void (PlaybackDriver::*command)()) {
  m_loop.Post([this, command] { (m_driver.*command)(); });
}

std::string PlayerSession::InitPlayer(const Params& params) {
  const std::optional<std::string> uri = PlayableUri(First(params));
  if (!uri) return Refused();
  m_view.With([](PlaybackView& v) {
    v = PlaybackView();
    v.phase = Phase::kReady;
  });
  m_loop.Post([this, uri = *uri] { m_driver.Load(uri); });
  return Accepted();
}

std::string PlayerSession::StartPlayback(const Params&) {
  const Phase before = m_view.With([](PlaybackView& v) {
    const Phase phase = v.phase;
    if (phase == Phase::kReady || phase == Phase::kFinished) {
      v.phase = Phase::kStarted;
      v.paused = false;
      v.seekTargetMs.reset();
    }
    return phase;
  });
  if (before == Phase::kIdle || before == Phase::kFailed) return Refused();
  if (before != Phase::kStarted) Drive(&PlaybackDriver::Start);
  return Accepted();
}

std::string PlayerSession::Pause(const Params&) {
  const bool started = m_view.With([](PlaybackView& v) {
    if (v.phase != Phase::kStarted) return false;
    v.paused = true;
    return true;
  });
  if (!started) return Refused();
  Drive(&PlaybackDriver::Pause);
  return Accepted();
}

std::string PlayerSession::Resume(const Params&) {
  const auto [started, wasPaused] = m_view.With([](PlaybackView& v) {
    const bool paused = v.paused;
    v.paused = false;
    return std::make_pair(v.phase == Phase::kStarted, paused);
  });
  if (!started) return Refused();
  if (wasPaused) Drive(&PlaybackDriver::Resume);
  return Accepted();
}

std::string PlayerSession::Stop(const Params&) {
  const bool loaded = m_view.With([](PlaybackView& v) {
    if (v.phase == Phase::kIdle) return false;
    v.phase = Phase::kReady;
    v.paused = false;
    v.seekTargetMs.reset();
    return true;
  });
  if (loaded) Drive(&PlaybackDriver::Stop);
  return Accepted();
}

std::string PlayerSession::JumpForward(const Params& params) { return Jump(params, 1); }
std::string PlayerSession::JumpBackward(const Params& params) { return Jump(params, -1); }

// Relative to where playback is, or to a seek still under way, and kept
// within the media.
std::string PlayerSession::Jump(const Params& params, int direction) {
  const std::optional<int64_t> seconds = ParseInteger(First(params));
  if (!seconds || *seconds < 0) return Refused();
  const auto [started, pending, known] = m_view.With([](PlaybackView& v) {
    return std::make_tuple(v.phase == Phase::kStarted, v.seekTargetMs, v.durationMs);
  });
  if (!started) return Refused();
  const std::optional<int64_t> from = pending ? pending : m_pipeline.PositionMs();
  if (!from) return Refused();  // not prerolled yet: nothing to jump from
  const std::optional<int64_t> duration = known ? known : m_pipeline.DurationMs();
  const int64_t end = duration.value_or(std::numeric_limits<int64_t>::max());
  const int64_t step = std::min(*seconds, kMaxJumpSeconds) * 1000 * direction;
  const int64_t target = std::clamp<int64_t>(*from + step, 0, end);
  const uint64_t serial = m_view.With([target](PlaybackView& v) {
    v.seekTargetMs = target;
    return ++v.seekSerial;
  });
  m_loop.Post([this, serial, target] { m_driver.Seek(serial, target); });
  return Accepted();
}

std::string PlayerSession::SetPlaybackSpeed(const Params& params) {
  const std::optional<double> rate = ParseDecimal(First(params));
  if (!rate || *rate <= 0 || *rate > kMaxRate) return Refused();
  const bool started = m_view.With([rate = *rate](PlaybackView& v) {
    v.rate = rate;
    return v.phase == Phase::kStarted;
  });
  if (started) Drive(&PlaybackDriver::ApplyRate);
  return Accepted();
}

std::string PlayerSession::GetPlayPosition(const Params&) {
  const auto [phase, pending, duration] = m_view.With([](PlaybackView& v) {
    return std::make_tuple(v.phase, v.seekTargetMs, v.durationMs);
  });
  std::optional<int64_t> position;
  if (phase == Phase::kReady) position = 0;
  if (phase == Phase::kFinished) position = duration;
  if (phase == Phase::kStarted) position = pending ? pending : m_pipeline.PositionMs();
  return position ? Integer(*position) : Refused();
}

std::string PlayerSession::GetDuration(const Params&) {
  const auto [phase, known] = m_view.With([](PlaybackView& v) {
    return std::make_pair(v.phase, v.durationMs);
  });
  if (phase == Phase::kIdle) return Refused();
  const std::optional<int64_t> duration = known ? known : m_pipeline.DurationMs();
  return duration ? Integer(*duration) : Refused();
}

std::string PlayerSession::SetDisplayArea(const Params& params) {
  const std::optional<PlaneRect> area = ParseDisplayArea(params);
  if (!area) return Refused();
  if (m_pipeline.Window()) m_pipeline.Window()->Place(*area);
  return Accepted();
}

std::string PlayerSession::SetAppID(const Params&) { return Accepted(); }

}  // namespace players
