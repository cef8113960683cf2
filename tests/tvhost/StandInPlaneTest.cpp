// The stand-in video plane in front of a player: what it draws for the
// commands and events that pass, as pixels of the composed plane.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

#include "players/DisplayArea.h"
#include "players/StandInPlane.h"

namespace players {
namespace {

using Rgb = std::array<int, 3>;
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPlaying{0, 153, 51};
constexpr Rgb kPaused{204, 153, 0};
constexpr Rgb kError{204, 0, 0};
constexpr Rgb kStopped{102, 102, 102};
constexpr Rgb kFinished{102, 51, 153};

// A player that refuses "Resume" and accepts everything else, and keeps the
// sink its connection's events go to.
struct FakePlayer : zor::Service {
  struct Session : zor::ServiceSession {
    std::string Execute(const std::string& command, const std::vector<std::string>&) override {
      return command == "Resume" ? "E" : "I1";
    }
  };
  std::unique_ptr<zor::ServiceSession> Connect(const std::string&, const std::string&,
                                               std::shared_ptr<zor::EventSink> events) override {
    sink = std::move(events);
    return std::make_unique<Session>();
  }
  std::shared_ptr<zor::EventSink> sink;
};

struct NullSink : zor::EventSink {
  void Emit(int, std::string, std::string) override {}
  bool WaitDelivered(std::chrono::milliseconds) override { return true; }
};

Rgb At(const std::vector<uint8_t>& plane, int x, int y) {
  const size_t at = (static_cast<size_t>(y) * kPlaneWidth + x) * 4;
  return {plane[at], plane[at + 1], plane[at + 2]};
}

struct Step {
  const char* command;  // or, when null, the player's event `event`
  int event;
};

struct StandInCase {
  const char* name;
  std::vector<Step> steps;
  Rgb inside;  // well inside the area 150, 75, 480 x 270, below the label
};

class StandInPlaneTest : public ::testing::TestWithParam<StandInCase> {};

// The element's rectangle shows at the area the last accepted
// SetDisplayArea gave, in the colour of the play state the traffic shows,
// and the rest of the plane stays black. Events come from a thread of the
// player's while the plane is composed.
TEST_P(StandInPlaneTest, DrawsTheStateInTheDisplayArea) {
  auto player = std::make_shared<FakePlayer>();
  StandInPlane plane(player);
  auto session = plane.Connect("1.000", "Player", std::make_shared<NullSink>());
  ASSERT_TRUE(session);
  session->Execute("SetDisplayArea", {"150", "75", "480", "270", ""});
  for (const Step& step : GetParam().steps) {
    if (step.command != nullptr) {
      session->Execute(step.command, {"", "", "", ""});
    } else {
      std::thread([&] { player->sink->Emit(step.event, "", ""); }).join();
    }
  }
  std::thread late([&] { player->sink->Emit(14, "500", ""); });
  plane.Compose();
  late.join();
  const std::vector<uint8_t> picture = plane.Compose();
  EXPECT_EQ(At(picture, 600, 330), GetParam().inside);
  EXPECT_EQ(At(picture, 160, 330), GetParam().inside);
  EXPECT_EQ(At(picture, 640, 330), kBlack);
  EXPECT_EQ(At(picture, 600, 350), kBlack);
  session.reset();
  EXPECT_EQ(At(plane.Compose(), 600, 330), kBlack) << "a closed connection leaves the plane";
}

INSTANTIATE_TEST_SUITE_P(
    States, StandInPlaneTest,
    ::testing::Values(
        StandInCase{"NoMediaNoPicture", {}, kBlack},
        StandInCase{"Playing", {{"InitPlayer", 0}, {"StartPlayback", 0}, {nullptr, 7}}, kPlaying},
        StandInCase{"Paused", {{"InitPlayer", 0}, {nullptr, 7}, {"Pause", 0}}, kPaused},
        StandInCase{"RefusedResumeKeepsPaused",
                    {{"InitPlayer", 0}, {nullptr, 7}, {"Pause", 0}, {"Resume", 0}}, kPaused},
        StandInCase{"Finished", {{"InitPlayer", 0}, {nullptr, 12}, {nullptr, 8}}, kFinished},
        StandInCase{"ErrorEvent", {{"InitPlayer", 0}, {"StartPlayback", 0}, {nullptr, 3}}, kError},
        StandInCase{"StoppedAfterPlaying", {{"InitPlayer", 0}, {nullptr, 7}, {"Stop", 0}}, kStopped}),
    [](const ::testing::TestParamInfo<StandInCase>& info) { return info.param.name; });

}  // namespace
}  // namespace players
