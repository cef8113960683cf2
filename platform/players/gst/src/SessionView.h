// What a connection's answers are based on: the client's commands write it
// at once, the loop writes what the pipeline did.
#ifndef PLAYERS_SESSIONVIEW_H
#define PLAYERS_SESSIONVIEW_H

#include <cstdint>
#include <mutex>
#include <optional>

namespace players {

enum class Phase {
  kIdle,      // no URL yet
  kReady,     // a URL, not playing: before start or after Stop
  kStarted,   // playing, buffering or paused
  kFinished,  // reached the end
  kFailed,    // an error event went out; Stop or InitPlayer starts over
};

struct PlaybackView {
  Phase phase = Phase::kIdle;
  bool paused = false;
  double rate = 1;
  // A seek asked for: its position is the one reported until it completes,
  // so the answer and the next progress event already carry it.
  std::optional<int64_t> seekTargetMs;
  uint64_t seekSerial = 0;
  std::optional<int64_t> durationMs;  // kept once known, across Stop
};

class SessionView {
 public:
  // Runs `change` on the view under the lock and returns its result.
  template <typename Change>
  auto With(Change&& change) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return change(m_view);
  }

 private:
  std::mutex m_mutex;
  PlaybackView m_view;
};

}  // namespace players

#endif  // PLAYERS_SESSIONVIEW_H
