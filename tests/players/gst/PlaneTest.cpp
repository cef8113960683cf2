// The video plane: a connection's video appears in its display area,
// scaled, clipped to the plane and keeping its aspect ratio, and nowhere
// else.
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "PlayerFixture.h"
#include "Pictures.h"

namespace playertest {
namespace {

using PlaneTest = PlayerTest;
using pictures::ExpectPlaneShows;
using pictures::Rect;

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
    const std::string path = ::testing::TempDir() + "plane-" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(m_service->WritePlanePng(path));
    ExpectPlaneShows(path, c.picture);
    unlink(path.c_str());
  }
}

}  // namespace
}  // namespace playertest
