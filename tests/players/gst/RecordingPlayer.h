// A player client that records every event with the time it arrived, and
// waits for events with a deadline.
#ifndef TESTS_PLAYERS_GST_RECORDINGPLAYER_H
#define TESTS_PLAYERS_GST_RECORDINGPLAYER_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "zor/ZorPluginWrapper.h"

namespace playertest {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Event {
  int type;
  std::string param1, param2;
  Clock::time_point at;
};

class RecordingPlayer : public zor::CZorPluginWrapper {
 public:
  using Match = std::function<bool(const Event&)>;

  RecordingPlayer();
  // Closes before the recorded events go: OnEvent may be running.
  ~RecordingPlayer() override { Close(); }

  int OnEvent(int type, std::string param1, std::string param2) override;

  // Opens the connection to "Player"; false when refused.
  bool OpenPlayer();
  // A command with four parameters, the first one given.
  std::string Do(const std::string& command, const std::string& param = "");

  std::vector<Event> Events() const;
  size_t Count() const;
  // The first event from index `from` on that matches, waiting up to
  // `timeout` for it to arrive.
  std::optional<Event> WaitFor(const Match& match, milliseconds timeout, size_t from = 0);
  // True when no event arrives within `window`: used after a final event,
  // where a stray one would come within one progress period.
  bool StaysQuietFor(milliseconds window);

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_arrived;
  std::vector<Event> m_events;
};

// Matchers.
RecordingPlayer::Match OfType(int type);
RecordingPlayer::Match ProgressAtLeast(long long positionMs);
// Events 1 to 6.
RecordingPlayer::Match AnError();
// The position of a progress event.
long long PositionOf(const Event& progress);

}  // namespace playertest

#endif  // TESTS_PLAYERS_GST_RECORDINGPLAYER_H
