#include "RecordingPlayer.h"

#include <cstdlib>
#include <utility>

namespace playertest {

RecordingPlayer::RecordingPlayer() : CZorPluginWrapper(zor::CClientAppFactory::ZOR_CLIENT_TYPE) {}

int RecordingPlayer::OnEvent(int type, std::string param1, std::string param2) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back({type, std::move(param1), std::move(param2), Clock::now()});
  }
  m_arrived.notify_all();
  return 1;
}

bool RecordingPlayer::OpenPlayer() { return Open("Player", "1.000", "Player") != 0; }

std::string RecordingPlayer::Do(const std::string& command, const std::string& param) {
  return Execute(command, param, "", "", "");
}

std::vector<Event> RecordingPlayer::Events() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_events;
}

size_t RecordingPlayer::Count() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_events.size();
}

std::optional<Event> RecordingPlayer::WaitFor(const Match& match, milliseconds timeout,
                                              size_t from) {
  const Clock::time_point deadline = Clock::now() + timeout;
  std::unique_lock<std::mutex> lock(m_mutex);
  size_t next = from;
  std::optional<Event> found;
  m_arrived.wait_until(lock, deadline, [&] {
    for (; next < m_events.size() && !found; ++next) {
      if (match(m_events[next])) found = m_events[next];
    }
    return found.has_value();
  });
  return found;
}

bool RecordingPlayer::StaysQuietFor(milliseconds window) {
  const size_t seen = Count();
  return !WaitFor([](const Event&) { return true; }, window, seen);
}

RecordingPlayer::Match OfType(int type) {
  return [type](const Event& e) { return e.type == type; };
}

RecordingPlayer::Match ProgressAtLeast(long long positionMs) {
  return [positionMs](const Event& e) { return e.type == 14 && PositionOf(e) >= positionMs; };
}

RecordingPlayer::Match AnError() {
  return [](const Event& e) { return e.type >= 1 && e.type <= 6; };
}

long long PositionOf(const Event& progress) { return std::atoll(progress.param1.c_str()); }

}  // namespace playertest
