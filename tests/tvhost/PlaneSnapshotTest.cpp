// tvhost with the GStreamer player, as a program: the video plane's
// snapshots and its window show the element's video where its geometry and
// the widget put it, and the whole plane in full screen; tvhost.snapshot
// writes only a plain file name, and only into the snapshot folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "Pictures.h"

namespace pictures {
namespace {

// The 4:3 bars in full screen: the plane's height, centred.
constexpr Rect kFullScreenPicture{240, 0, 1440, 1080};
constexpr char kBars[] = "file://" TEST_MEDIA_DIR "/bars.mp4";

std::string Page(const std::string& elementStyle, const std::string& script) {
  return std::string(
             "<!DOCTYPE html>\n<html><body>\n<object id=\"av\" "
             "type=\"application/x-ruvo-avobject\" data=\"") +
         kBars + "\" style=\"" + elementStyle + "\"></object>\n<script>\n" +
         "var av = document.getElementById(\"av\");\n" + script + "\nav.play(1);\n</script>\n";
}

std::set<std::string> Entries(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

struct PlaneCase {
  const char* name;
  const char* widget;
  const char* style;  // the element's area in page pixels
  Rect picture;       // where the 4:3 bars go on the plane
};

class PlacedVideoTest : public ProgramTest, public ::testing::WithParamInterface<PlaneCase> {};

// The page snapshots the plane while the bars play in the element's area,
// and again in full screen; back in the element's area it ends, and
// --plane-snapshot takes the last picture. Page pixels scale to the plane
// by the widget's width and height separately; the bars keep 4:3 inside
// the area, with black bars where the area is wider. Every name that is
// not one plain file name throws and writes nothing anywhere.
TEST_P(PlacedVideoTest, SnapshotsShowTheVideoInTheElementsAreaAndFullScreen) {
  const PlaneCase& c = GetParam();
  const std::string snapshots = m_dir + "/snapshots";
  const Outcome run = Run(TVHOST_PATH,
                          std::string("--check-leaks --timeout 45 --player gst --widget ") +
                              c.widget + " --snapshot-dir '" + snapshots + "/' --plane-snapshot '" +
                              m_dir + "/exit.png'",
                          Page(c.style, R"(
var names = ["", ".", "..", "../escape.png", "sub/a.png", "sub\\a.png", "/root.png",
             "n".repeat(201), "nul\u0000.png", "line\n.png", 7, undefined];
var taken = false;
av.onPlayStateChange = function (state, detail) {
  if (state === "6") { console.log("error: " + detail); tvhost.exit(1); }
};
av.onUpdateProgress = function (position) {
  if (taken || Number(position) < 500) return;
  taken = true;
  console.log(names.map(function (name) {
    try { return tvhost.snapshot(name); } catch (e) { return e instanceof Error ? "threw" : "?"; }
  }).join(" "));
  console.log(tvhost.snapshot("element.png"));
  av.setFullScreen(1);
  console.log(tvhost.snapshot("n".repeat(200)));
  av.setFullScreen(0);
  tvhost.exit(0);
};)"));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const std::string longest(200, 'n');
  const std::string threw = "threw threw threw threw threw threw threw threw threw threw threw threw";
  EXPECT_EQ(run.out, threw + "\n" + snapshots + "/element.png\n" + snapshots + "/" + longest + "\n");
  EXPECT_EQ(Entries(snapshots), (std::set<std::string>{"element.png", longest}));
  EXPECT_EQ(Entries(m_dir), (std::set<std::string>{"page.html", "stdout", "stderr", "snapshots",
                                                   "exit.png"}));
  ExpectPlaneShows(snapshots + "/element.png", c.picture);
  ExpectPlaneShows(snapshots + "/" + longest, kFullScreenPicture);
  ExpectPlaneShows(m_dir + "/exit.png", c.picture);
}

INSTANTIATE_TEST_SUITE_P(
    Widgets, PlacedVideoTest,
    ::testing::Values(
        // 1.5 plane pixels a page pixel both ways: a 960 x 540 area at
        // 480, 270, the bars 720 wide in its middle.
        PlaneCase{"PlaneRatio", "1280x720", "left:320px;top:180px;width:640px;height:360px",
                  Rect{600, 270, 720, 540}},
        // 1 across and 2 down: an 800 x 600 area at 100, 200 the bars fill.
        PlaneCase{"OtherRatio", "1920x540", "left:100px;top:100px;width:800px;height:300px",
                  Rect{100, 200, 800, 600}}),
    [](const ::testing::TestParamInfo<PlaneCase>& info) { return info.param.name; });

using PlaneWindowTest = ProgramTest;

// With --video window the plane is shown at half size in a window at the
// screen's corner (no window manager moves it): the bars of the element at
// 480, 270 on the plane show at 300, 135, and nothing else is lit. The page
// plays on for a few seconds while the screen is looked at.
TEST_F(PlaneWindowTest, TheWindowShowsThePlaneAtHalfSize) {
  constexpr Rect kPictureInWindow{300, 135, 360, 270};
  std::optional<Picture> screen;
  const Outcome run = RunOnScreen(
      TVHOST_PATH, "--check-leaks --timeout 45 --player gst --video window",
      Page("left:320px;top:180px;width:640px;height:360px", R"(
var ending = false;
av.onUpdateProgress = function (position) {
  if (ending || Number(position) < 500) return;
  ending = true;
  setTimeout(function () { tvhost.exit(0); }, 3000);
};)"),
      [&](const Picture& picture) {
        return static_cast<bool>(BarsExactlyIn(picture, kPictureInWindow));
      },
      &screen);
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  ASSERT_TRUE(screen) << "the screen could not be read";
  EXPECT_TRUE(BarsExactlyIn(*screen, kPictureInWindow));
}

}  // namespace
}  // namespace pictures
