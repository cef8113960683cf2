// The simulated player service, through the service interface the client
// library calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "SimPlayer.h"

namespace tvhost {
namespace {

class RecordingSink : public zor::EventSink {
 public:
  void Emit(int type, std::string param1, std::string) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(std::to_string(type) + (param1.empty() ? "" : ":" + param1));
    m_changed.notify_all();
  }
  bool WaitDelivered(std::chrono::milliseconds) override { return true; }
  // The first `count` events, waiting (bounded) for them; fewer if they did
  // not come.
  std::vector<std::string> First(size_t count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_events.size() >= count; });
    count = std::min(count, m_events.size());
    return std::vector<std::string>(m_events.begin(), m_events.begin() + count);
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<std::string> m_events;
};

std::string Send(zor::ServiceSession& session, const std::string& command,
                 const std::string& param = "") {
  return session.Execute(command, {param, "", "", ""});
}

TEST(SimPlayerTest, AnswersEachCommandByItsState) {
  // A clock this slow never ticks during the test: positions stay put.
  SimPlayerService service({2, 0.0001});
  auto session = service.Connect("1.000", "Player", std::make_shared<RecordingSink>());
  const struct {
    const char* command;
    const char* param;
    const char* answer;
  } cases[] = {
      {"GetDuration", "", "E"},       {"StartPlayback", "", "E"},
      {"InitPlayer", "", "E"},        {"InitPlayer", "|COMPONENT=HAS", "E"},
      {"InitPlayer", "http://a/b.ts|COMPONENT=HLS", "I1"},
      {"GetDuration", "", "I2000"},   {"GetPlayPosition", "", "I0"},
      {"Pause", "", "E"},             {"JumpForward", "1", "E"},
      {"SetPlaybackSpeed", "0", "E"}, {"SetPlaybackSpeed", "2", "I1"},
      {"StartPlayback", "", "I1"},    {"Pause", "", "I1"},
      {"JumpForward", "1", "I1"},     {"GetPlayPosition", "", "I1000"},
      {"JumpForward", "9", "I1"},     {"GetPlayPosition", "", "I2000"},
      {"JumpBackward", "5", "I1"},    {"GetPlayPosition", "", "I0"},
      {"JumpBackward", "x", "E"},     {"Resume", "", "I1"},
      {"Stop", "", "I1"},             {"Resume", "", "E"},
      {"SetDisplayArea", "0", "I1"},  {"SetAppID", "7", "I1"},
      {"Frobnicate", "", "E"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Send(*session, c.command, c.param), c.answer) << c.command << " " << c.param;
  }
}

TEST(SimPlayerTest, PlaybackBuffersPlaysReportsProgressAndFinishes) {
  SimPlayerService service({2, 1000});
  auto sink = std::make_shared<RecordingSink>();
  auto session = service.Connect("1.000", "Player", sink);
  ASSERT_EQ(Send(*session, "InitPlayer", "http://a/b.ts"), "I1");
  ASSERT_EQ(Send(*session, "StartPlayback"), "I1");
  const std::vector<std::string> playback = {"11",      "7",       "14:500", "14:1000",
                                             "14:1500", "14:2000", "8"};
  ASSERT_EQ(sink->First(7), playback);
  EXPECT_EQ(Send(*session, "GetPlayPosition"), "I2000");
  // Playing again starts from the beginning.
  ASSERT_EQ(Send(*session, "StartPlayback"), "I1");
  auto again = sink->First(10);
  EXPECT_EQ(std::vector<std::string>(again.begin() + 7, again.end()),
            (std::vector<std::string>{"11", "7", "14:500"}));
}

}  // namespace
}  // namespace tvhost
