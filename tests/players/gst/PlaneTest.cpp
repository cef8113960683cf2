// The video plane: a connection's video appears in its display area,
// scaled, clipped to the plane and keeping its aspect ratio, and nowhere
// else.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "PlayerFixture.h"
#include "PngPicture.h"

namespace playertest {
namespace {

using PlaneTest = PlayerTest;

constexpr int kWidth = players::GstPlayerService::kPlaneWidth;
constexpr int kHeight = players::GstPlayerService::kPlaneHeight;
// Rounding of the black bars' width.
constexpr int kEdgeTolerance = 2;

std::string PlanePath() {
  return ::testing::TempDir() + "plane-" + std::to_string(getpid()) + ".png";
}

void ExpectPlaneShows(players::GstPlayerService& service, const std::optional<Rect>& picture) {
  const std::string path = PlanePath();
  ASSERT_TRUE(service.WritePlanePng(path));
  const std::optional<Picture> plane = ReadPng(path);
  unlink(path.c_str());
  ASSERT_TRUE(plane);
  ASSERT_EQ(plane->width, kWidth);
  ASSERT_EQ(plane->height, kHeight);
  const std::optional<Rect> lit = LitBounds(*plane);
  ASSERT_EQ(lit.has_value(), picture.has_value());
  if (!lit) return;
  EXPECT_LE(std::abs(lit->x - picture->x), kEdgeTolerance) << "left";
  EXPECT_LE(std::abs(lit->y - picture->y), kEdgeTolerance) << "top";
  EXPECT_LE(std::abs(lit->width - picture->width), kEdgeTolerance) << "width";
  EXPECT_LE(std::abs(lit->height - picture->height), kEdgeTolerance) << "height";
}

// The 320 x 240 colour bars are lit out to every edge, so the lit pixels of
// the plane are exactly where the picture went: the area clipped to the
// plane, less the bars that keep the picture 4:3.
TEST_F(PlaneTest, VideoFillsItsDisplayAreaClippedToThePlane) {
  struct Case {
    const char* name;
    std::vector<std::string> area;  // x, y, w, h, coordinate height
    std::optional<Rect> picture;
  };
  const std::vector<Case> cases = {
      {"inside", {"100", "200", "640", "360", "1080"}, Rect{180, 200, 480, 360}},
      {"off the top left", {"-200", "-100", "800", "500", "1080"}, Rect{33, 0, 533, 400}},
      {"off the bottom right", {"1500", "700", "1000", "1000", "1080"}, Rect{1500, 732, 420, 315}},
      {"in 720-line coordinates", {"100", "100", "640", "360", "720"}, Rect{270, 150, 720, 540}},
      {"zero width hides", {"100", "100", "0", "360", "1080"}, std::nullopt},
  };
  RecordingPlayer player;
  Play(player, FileUrl("bars.mp4"));
  WaitUntilPlayingPast(player, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto& a = c.area;
    ASSERT_EQ(player.Execute("SetDisplayArea", a[0], a[1], a[2], a[3], a[4], "", "", "", "", ""),
              "I1");
    ExpectPlaneShows(*m_service, c.picture);
  }
}

}  // namespace
}  // namespace playertest
