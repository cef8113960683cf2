// tvbrowser's screen as the pictures it writes: the page's own graphics
// over the video plane, an element's video at its area on the plane through
// the widget ratio, the whole plane in full screen; with the stand-in plane
// of the simulated player and with GStreamer's real picture, in the
// pictures written and in the window.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Pictures.h"

namespace pictures {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPageRed{255, 0, 0};
constexpr Rgb kPageBlue{0, 0, 255};
constexpr Rgb kPlaying{0, 153, 51};  // the stand-in's colour for a playing element

// A page of `body`, the simulated player's element at 100, 50, 320 x 180
// page pixels under a blue square of the page's own; `script` follows.
std::string SimPage(const std::string& body, const std::string& script) {
  return R"(<!DOCTYPE html>
<html><body style="margin:0">
<div style="position:absolute;left:200px;top:100px;width:40px;height:40px;background:#00f"></div>
<object id="av" type="application/x-ruvo-avobject" data="http://tv/a.mp4"
        style="position:absolute;left:100px;top:50px;width:320px;height:180px"></object>
)" + body + "<script>\nvar av = document.getElementById(\"av\");\n" + script + "\n</script>\n";
}

// Headless, with the screenshot at exit in exit.png and the snapshots in
// snapshots/.
std::string Headless(const std::string& dir, const std::string& player) {
  return "--check-leaks --timeout 45 --headless --screenshot '" + dir +
         "/exit.png' --snapshot-dir '" + dir + "/snapshots' --player " + player;
}

struct Probe {
  const char* picture;  // in the run's folder
  int x, y;             // plane pixels
  Rgb colour;
  const char* what;
};

using ScreenTest = ProgramTest;

// In the 1280 x 720 widget the element's video is the stand-in rectangle
// at 150, 75, 480 x 270 on the plane. Two squares of the page's own, one
// beside the video and one over it, show at the same ratio.
TEST_F(ScreenTest, ThePageIsDrawnOverTheVideoPlane) {
  const Outcome run = Run(TVBROWSER_PATH, Headless(m_dir, "sim"), SimPage(R"(
<div style="position:absolute;left:20px;top:20px;width:60px;height:40px;background:#f00"></div>
)", R"(
av.onPlayStateChange = function (state) {
  if (state != 1) return;
  console.log(tvhost.snapshot("element.png"));
  av.setFullScreen(1);
  console.log(tvhost.snapshot("full.png"));
  av.setFullScreen(0);
  tvhost.exit(0);
};
av.play(1);)"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string snapshots = m_dir + "/snapshots/";
  EXPECT_EQ(run.out, snapshots + "element.png\n" + snapshots + "full.png\n");

  const Probe probes[] = {
      {"snapshots/element.png", 75, 60, kPageRed, "the page's square beside the video"},
      {"snapshots/element.png", 330, 180, kPageBlue, "the page's square over the video"},
      {"snapshots/element.png", 155, 340, kPlaying, "video, bottom left"},
      {"snapshots/element.png", 625, 80, kPlaying, "video, top right"},
      {"snapshots/element.png", 145, 340, kBlack, "left of the video"},
      {"snapshots/element.png", 625, 70, kBlack, "above the video"},
      {"snapshots/element.png", 635, 340, kBlack, "right of the video"},
      {"snapshots/element.png", 625, 350, kBlack, "below the video"},
      {"snapshots/full.png", 75, 60, kPageRed, "the page over full screen"},
      {"snapshots/full.png", 5, 1075, kPlaying, "full screen, bottom left"},
      {"snapshots/full.png", 1915, 5, kPlaying, "full screen, top right"},
      {"exit.png", 330, 180, kPageBlue, "at exit, the page"},
      {"exit.png", 625, 340, kPlaying, "at exit, back in the element's area"},
      {"exit.png", 635, 340, kBlack, "at exit, right of the video"},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(std::string(p.picture) + ": " + p.what);
    const std::optional<Picture> picture = ReadPng(m_dir + "/" + p.picture);
    ASSERT_TRUE(picture && picture->width == 1920 && picture->height == 1080)
        << "not a PNG picture of the whole plane";
    EXPECT_TRUE(HasColourAt(*picture, p.x, p.y, p.colour));
  }
}

// In the window (a 1280 x 720 screen of the test's own, the window at its
// corner) the plane is scaled to the widget: the video shows where the
// element is, under the page's square. The page plays on while the screen
// is looked at.
TEST_F(ScreenTest, TheWindowShowsThePageOverThePlane) {
  std::optional<Picture> screen;
  const Outcome run = RunOnScreen(
      TVBROWSER_PATH, "--check-leaks --timeout 45 --player sim",
      SimPage("", "av.play(1);\nsetTimeout(function () { tvhost.exit(0); }, 3000);"),
      [](const Picture& picture) {
        return static_cast<bool>(HasColourAt(picture, 415, 225, kPlaying));
      },
      &screen);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ASSERT_TRUE(screen) << "the screen could not be read";
  EXPECT_TRUE(HasColourAt(*screen, 105, 225, kPlaying));
  EXPECT_TRUE(HasColourAt(*screen, 415, 225, kPlaying));
  EXPECT_TRUE(HasColourAt(*screen, 220, 120, kPageBlue));
  EXPECT_TRUE(HasColourAt(*screen, 95, 225, kBlack));
  EXPECT_TRUE(HasColourAt(*screen, 425, 225, kBlack));
  EXPECT_TRUE(HasColourAt(*screen, 415, 235, kBlack));
}

// GStreamer's colour bars (4:3) in an element at 320, 180, 640 x 360 page
// pixels: the area 480, 270, 960 x 540 on the plane, the bars 720 wide in
// its middle; the transparent page leaves the rest black.
TEST_F(ScreenTest, TheRealPictureShowsInTheElementsArea) {
  const Outcome run = Run(TVBROWSER_PATH, Headless(m_dir, "gst"), R"(<!DOCTYPE html>
<html><body style="margin:0">
<object id="av" type="application/x-ruvo-avobject" data="file://)" TEST_MEDIA_DIR R"(/bars.mp4"
        style="position:absolute;left:320px;top:180px;width:640px;height:360px"></object>
<script>
var av = document.getElementById("av");
av.onPlayStateChange = function (state, detail) {
  if (state == 6) { console.log("error: " + detail); tvhost.exit(1); }
};
av.onUpdateProgress = function (position) { if (position >= 500) tvhost.exit(0); };
av.play(1);
</script>)");
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  ExpectPlaneShows(m_dir + "/exit.png", Rect{600, 270, 720, 540});
}

}  // namespace
}  // namespace pictures
