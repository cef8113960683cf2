// The simulated player service, through the service interface the client
// library calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "players/SimPlayer.h"

namespace players {
namespace {

struct RecordingSink : zor::EventSink {
  void Emit(int type, std::string param1, std::string) override {
    std::lock_guard<std::mutex> lock(mutex);
    events.push_back(std::to_string(type) + (param1.empty() ? "" : ":" + param1));
    changed.notify_all();
  }
  bool WaitDelivered(std::chrono::milliseconds) override { return true; }
  // The first `count` events as "type[:param1]", waiting at most 10 s for them.
  std::vector<std::string> First(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(10), [&] { return events.size() >= count; });
    return {events.begin(), events.begin() + std::min(count, events.size())};
  }

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> events;
};

TEST(SimPlayerTest, AnswersEachCommandByItsStateAndClampsJumpsToTheMedia) {
  // A clock this slow never ticks during the test: positions stay put.
  SimPlayerService service({2, 0.0001});
  auto session = service.Connect("1.000", "Player", std::make_shared<RecordingSink>());
  // "command [param] answer"
  const char* const steps[] = {
      "GetDuration E", "StartPlayback E", "InitPlayer E", "InitPlayer |COMPONENT=HAS E",
      "InitPlayer http://a/b.ts|COMPONENT=HLS I1", "GetDuration I2000", "Pause E",
      "JumpForward 1 E", "SetPlaybackSpeed 0 E", "SetPlaybackSpeed 2 I1", "StartPlayback I1",
      "Pause I1", "JumpForward 1 I1", "GetPlayPosition I1000", "JumpForward 9 I1",
      "GetPlayPosition I2000", "JumpBackward 5 I1", "GetPlayPosition I0", "JumpBackward x E",
      "Resume I1", "Stop I1", "Resume E", "SetDisplayArea 0 I1", "SetAppID 7 I1", "Frobnicate E"};
  for (const char* step : steps) {
    std::istringstream words(step);
    std::string command, param, answer;
    words >> command >> param >> answer;
    if (answer.empty()) std::swap(param, answer);
    EXPECT_EQ(session->Execute(command, {param}), answer) << step;
  }
}

TEST(SimPlayerTest, PlaybackBuffersPlaysReportsProgressFinishesAndRestarts) {
  SimPlayerService service({2, 1000});
  auto sink = std::make_shared<RecordingSink>();
  auto session = service.Connect("1.000", "Player", sink);
  ASSERT_EQ(session->Execute("InitPlayer", {"http://a/b.ts"}), "I1");
  ASSERT_EQ(session->Execute("StartPlayback", {}), "I1");
  ASSERT_EQ(sink->First(7), (std::vector<std::string>{"11", "7", "14:500", "14:1000", "14:1500",
                                                       "14:2000", "8"}));
  EXPECT_EQ(session->Execute("GetPlayPosition", {}), "I2000");
  // Playing again starts from the beginning.
  ASSERT_EQ(session->Execute("StartPlayback", {}), "I1");
  auto again = sink->First(10);
  EXPECT_EQ(std::vector<std::string>(again.begin() + 7, again.end()),
            (std::vector<std::string>{"11", "7", "14:500"}));
}

}  // namespace
}  // namespace players
