// A player client that records every event with the time it arrived, and
// waits for events with a deadline.
#ifndef TESTS_PLAYERS_GST_RECORDINGPLAYER_H
#define TESTS_PLAYERS_GST_RECORDINGPLAYER_H

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
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

  RecordingPlayer() : CZorPluginWrapper(zor::CClientAppFactory::ZOR_CLIENT_TYPE) {}
  // Closes before the recorded events go: OnEvent may be running.
  ~RecordingPlayer() override { Close(); }

  int OnEvent(int type, std::string param1, std::string param2) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_events.push_back({type, std::move(param1), std::move(param2), Clock::now()});
    }
    m_arrived.notify_all();
    return 1;
  }

  // Opens the connection to "Player"; false when refused.
  bool OpenPlayer() { return Open("Player", "1.000", "Player") != 0; }
  // A command with four parameters, the first one given.
  std::string Do(const std::string& command, const std::string& param = "") {
    return Execute(command, param, "", "", "");
  }

  std::vector<Event> Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
  }
  size_t Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events.size();
  }
  // The first event from index `from` on that matches, waiting up to
  // `timeout` for it to arrive.
  std::optional<Event> WaitFor(const Match& match, milliseconds timeout, size_t from = 0) {
    std::unique_lock<std::mutex> lock(m_mutex);
    std::optional<Event> found;
    m_arrived.wait_for(lock, timeout, [&] {
      for (; from < m_events.size() && !found; ++from) {
        if (match(m_events[from])) found = m_events[from];
      }
      return found.has_value();
    });
    return found;
  }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_arrived;
  std::vector<Event> m_events;
};

inline RecordingPlayer::Match OfType(int type) {
  return [type](const Event& e) { return e.type == type; };
}
// Events 1 to 6.
inline bool AnError(const Event& e) { return e.type >= 1 && e.type <= 6; }
// The position of a progress event.
inline long long PositionOf(const Event& progress) { return std::atoll(progress.param1.c_str()); }
inline RecordingPlayer::Match ProgressAtLeast(long long positionMs) {
  return [positionMs](const Event& e) { return e.type == 14 && PositionOf(e) >= positionMs; };
}

}  // namespace playertest

#endif  // TESTS_PLAYERS_GST_RECORDINGPLAYER_H
