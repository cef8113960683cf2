#include "players/SimPlayer.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace players {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kProgressStepMs = 500;   // media time between progress events
constexpr int kBufferingMs = 500;      // virtual time from start to playing
constexpr int kEventPlaying = 7;
constexpr int kEventFinished = 8;
constexpr int kEventBuffering = 11;
constexpr int kEventProgress = 14;
// The longest real wait for a step of the clock. A slower clock would
// overflow the nanoseconds of the next tick's time and run flat out.
constexpr std::chrono::hours kLongestStep{24 * 365};

struct Event {
  int type;
  std::string param1;
};

// A whole number, or false for anything else.
bool ParseCount(const std::string& text, long* value) {
  char* end = nullptr;
  *value = strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0';
}

std::string Integer(long value) { return "I" + std::to_string(value); }

class SimPlayerSession : public zor::ServiceSession {
 public:
  SimPlayerSession(SimPlayerSettings settings, std::shared_ptr<zor::EventSink> events)
      : m_durationMs(static_cast<long>(settings.durationSeconds * 1000)),
        m_timeScale(settings.timeScale),
        m_events(std::move(events)),
        m_clock([this] { RunClock(); }) {}

  ~SimPlayerSession() override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_quit = true;
    }
    m_wake.notify_one();
    m_clock.join();
  }

  std::string Execute(const std::string& command,
                      const std::vector<std::string>& params) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string first = params.empty() ? std::string() : params[0];
    std::string result = Handle(command, first);
    m_changed = true;
    m_wake.notify_one();
    return result;
  }

 private:
  enum class State { kIdle, kReady, kBuffering, kPlaying, kPaused, kFinished };

  std::string Handle(const std::string& command, const std::string& param) {
    if (command == "InitPlayer") return InitPlayer(param);
    if (command == "StartPlayback") return StartPlayback();
    if (command == "Pause") return Pause();
    if (command == "Resume") return Resume();
    if (command == "Stop") return Stop();
    if (command == "JumpForward" || command == "JumpBackward") {
      return Jump(param, command == "JumpForward" ? 1 : -1);
    }
    if (command == "SetPlaybackSpeed") return SetSpeed(param);
    if (command == "GetPlayPosition") return HasMedia() ? Integer(m_positionMs) : "E";
    if (command == "GetDuration") return HasMedia() ? Integer(m_durationMs) : "E";
    if (command == "SetDisplayArea" || command == "SetAppID") return "I1";
    return "E";
  }

  bool HasMedia() const { return m_state != State::kIdle; }
  bool Started() const {
    return m_state == State::kBuffering || m_state == State::kPlaying ||
           m_state == State::kPaused;
  }

  std::string InitPlayer(const std::string& playerUrl) {
    // The URL may carry the streaming component after a '|'.
    if (playerUrl.substr(0, playerUrl.find('|')).empty()) return "E";
    m_state = State::kReady;
    m_positionMs = 0;
    m_speed = 1;
    return "I1";
  }

  std::string StartPlayback() {
    if (!HasMedia()) return "E";
    if (Started()) return "I1";
    if (m_state == State::kFinished) m_positionMs = 0;
    m_state = State::kBuffering;
    m_pending.push_back({kEventBuffering, ""});
    m_nextTick = Clock::now() + Virtual(kBufferingMs);
    return "I1";
  }

  std::string Pause() {
    if (!Started()) return "E";
    m_state = State::kPaused;
    return "I1";
  }

  std::string Resume() {
    if (m_state == State::kPlaying) return "I1";
    if (m_state != State::kPaused) return "E";
    m_state = State::kPlaying;
    m_nextTick = Clock::now() + ProgressInterval();
    return "I1";
  }

  std::string Stop() {
    if (HasMedia()) m_state = State::kReady;
    m_positionMs = 0;
    return "I1";
  }

  std::string Jump(const std::string& seconds, int direction) {
    long count = 0;
    if (!Started() || !ParseCount(seconds, &count) || count < 0) return "E";
    m_positionMs = std::clamp(m_positionMs + direction * count * 1000, 0L, m_durationMs);
    return "I1";
  }

  std::string SetSpeed(const std::string& text) {
    long speed = 0;
    if (!ParseCount(text, &speed) || speed < 1) return "E";
    m_speed = speed;
    return "I1";
  }

  Clock::duration Virtual(double milliseconds) const {
    std::chrono::duration<double, std::milli> real(milliseconds / m_timeScale);
    if (!(real < kLongestStep)) return kLongestStep;
    return std::chrono::duration_cast<Clock::duration>(real);
  }
  Clock::duration ProgressInterval() const {
    return Virtual(static_cast<double>(kProgressStepMs) / static_cast<double>(m_speed));
  }

  // One step of the clock: buffering ends, or the media moves on.
  void Tick() {
    if (m_state == State::kBuffering) {
      m_state = State::kPlaying;
      m_pending.push_back({kEventPlaying, ""});
    } else if (m_positionMs + kProgressStepMs >= m_durationMs) {
      m_positionMs = m_durationMs;
      m_state = State::kFinished;
      m_pending.push_back({kEventProgress, std::to_string(m_positionMs)});
      m_pending.push_back({kEventFinished, ""});
      return;
    } else {
      m_positionMs += kProgressStepMs;
      m_pending.push_back({kEventProgress, std::to_string(m_positionMs)});
    }
    m_nextTick = Clock::now() + ProgressInterval();
  }

  // Events go out from this thread only, in order, and never under the lock.
  void RunClock() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
      if (!m_pending.empty()) {
        std::vector<Event> events;
        events.swap(m_pending);
        lock.unlock();
        for (const Event& event : events) m_events->Emit(event.type, event.param1, "");
        lock.lock();
        continue;
      }
      m_changed = false;
      auto woken = [this] { return m_quit || m_changed || !m_pending.empty(); };
      bool running = m_state == State::kBuffering || m_state == State::kPlaying;
      if (!running) {
        m_wake.wait(lock, woken);
      } else if (!m_wake.wait_until(lock, m_nextTick, woken)) {
        Tick();
      }
    }
  }

  const long m_durationMs;
  const double m_timeScale;
  std::shared_ptr<zor::EventSink> m_events;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  State m_state = State::kIdle;
  long m_positionMs = 0;
  long m_speed = 1;
  Clock::time_point m_nextTick;
  std::vector<Event> m_pending;
  bool m_changed = false;
  bool m_quit = false;
  std::thread m_clock;  // last: starts once everything above is set
};

}  // namespace

std::unique_ptr<zor::ServiceSession> SimPlayerService::Connect(
    const std::string&, const std::string&, std::shared_ptr<zor::EventSink> events) {
  return std::make_unique<SimPlayerSession>(m_settings, std::move(events));
}

}  // namespace players
