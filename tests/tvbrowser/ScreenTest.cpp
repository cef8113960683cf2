// tvbrowser's screen as the pictures it writes: the page's own graphics
// over the video plane, an element's video at its area on the plane through
// the widget ratio, the whole plane in full screen; with the stand-in plane
// of the simulated player and with GStreamer's real picture, in the
// pictures written and in the window.
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#include "PngPicture.h"
#include "virtualdisplay/VirtualDisplay.h"

namespace {

using playertest::GrabScreen;
using playertest::LitBounds;
using playertest::Picture;
using playertest::ReadPng;
using playertest::Rect;

struct Rgb {
  int red, green, blue;
};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPageRed{255, 0, 0};
constexpr Rgb kPageBlue{0, 0, 255};
constexpr Rgb kPlaying{0, 153, 51};  // the stand-in's colour for a playing element
// Scaling blurs edges only; a probe sits well inside a colour.
constexpr int kColourTolerance = 8;
constexpr int kEdgeTolerance = 2;

bool HasColourAt(const Picture& picture, int x, int y, const Rgb& colour) {
  const size_t at = (static_cast<size_t>(y) * picture.width + x) * 3;
  return std::abs(picture.rgb[at] - colour.red) <= kColourTolerance &&
         std::abs(picture.rgb[at + 1] - colour.green) <= kColourTolerance &&
         std::abs(picture.rgb[at + 2] - colour.blue) <= kColourTolerance;
}

void ExpectColourAt(const Picture& picture, int x, int y, const Rgb& colour) {
  const size_t at = (static_cast<size_t>(y) * picture.width + x) * 3;
  EXPECT_TRUE(HasColourAt(picture, x, y, colour))
      << "at " << x << ", " << y << ": " << int{picture.rgb[at]} << " " << int{picture.rgb[at + 1]}
      << " " << int{picture.rgb[at + 2]};
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

class ScreenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

  void SetUp() override {
    m_dir = ::testing::TempDir() + "tvbrowser-screen-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    if (!HasFailure()) std::filesystem::remove_all(m_dir);
  }

  // Runs tvbrowser on a page made of `body`: headless, with its screenshot
  // at exit in exit.png and its snapshots in snapshots/, or, given a
  // display, in a window there. The exit code, and the page's console
  // output in `out`.
  int RunPage(const std::string& options, const std::string& body, std::string* out,
              const std::string& display = "") const {
    const std::string page = m_dir + "/page.html";
    std::ofstream(page) << "<!DOCTYPE html>\n<html><body style=\"margin:0\">\n" << body
                        << "\n</body></html>\n";
    const std::string screen =
        display.empty() ? "env -u DISPLAY " : "env DISPLAY='" + display + "' ";
    const std::string pictures = display.empty() ? "--headless --screenshot '" + m_dir +
                                                       "/exit.png' --snapshot-dir '" + m_dir +
                                                       "/snapshots' "
                                                 : "";
    const std::string command = screen + "timeout -s KILL 90 '" TVBROWSER_PATH
                                "' --check-leaks --timeout 45 " + pictures + options + " '" +
                                page + "' >'" + m_dir + "/stdout' 2>'" + m_dir + "/stderr'";
    const int status = std::system(command.c_str());
    *out = ReadAll(m_dir + "/stdout");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string m_dir;
};

struct Probe {
  const char* picture;  // in the run's folder
  int x, y;             // plane pixels
  Rgb colour;
  const char* what;
};

// A page on the simulated player with an element at 100, 50, 320 x 180
// page pixels in the 1280 x 720 widget: its video is the stand-in rectangle
// at 150, 75, 480 x 270 on the plane. Two squares of the page's own, one
// beside the video and one over it, show at the same ratio.
TEST_F(ScreenTest, ThePageIsDrawnOverTheVideoPlane) {
  std::string out;
  const int code = RunPage("--player sim", R"(
<div style="position:absolute;left:20px;top:20px;width:60px;height:40px;background:#f00"></div>
<div style="position:absolute;left:200px;top:100px;width:40px;height:40px;background:#00f"></div>
<object id="av" type="application/x-ruvo-avobject" data="http://tv/a.mp4"
        style="position:absolute;left:100px;top:50px;width:320px;height:180px"></object>
<script>
var av = document.getElementById("av");
av.onPlayStateChange = function (state) {
  if (state != 1) return;
  console.log(tvhost.snapshot("element.png"));
  av.setFullScreen(1);
  console.log(tvhost.snapshot("full.png"));
  try { tvhost.snapshot("../escape.png"); } catch (e) { console.log("threw"); }
  av.setFullScreen(0);
  tvhost.exit(0);
};
av.play(1);
</script>)", &out);
  ASSERT_EQ(code, 0) << ReadAll(m_dir + "/stderr");
  const std::string snapshots = m_dir + "/snapshots/";
  EXPECT_EQ(out, snapshots + "element.png\n" + snapshots + "full.png\nthrew\n");
  std::set<std::string> written;
  for (const auto& entry : std::filesystem::directory_iterator(snapshots)) {
    written.insert(entry.path().filename().string());
  }
  EXPECT_EQ(written, (std::set<std::string>{"element.png", "full.png"}));
  EXPECT_FALSE(std::filesystem::exists(m_dir + "/escape.png"));

  const Probe probes[] = {
      {"snapshots/element.png", 75, 60, kPageRed, "the page's square beside the video"},
      {"snapshots/element.png", 330, 180, kPageBlue, "the page's square over the video"},
      {"snapshots/element.png", 155, 340, kPlaying, "video, bottom left"},
      {"snapshots/element.png", 625, 80, kPlaying, "video, top right"},
      {"snapshots/element.png", 625, 340, kPlaying, "video, bottom right"},
      {"snapshots/element.png", 145, 340, kBlack, "left of the video"},
      {"snapshots/element.png", 625, 70, kBlack, "above the video"},
      {"snapshots/element.png", 635, 340, kBlack, "right of the video"},
      {"snapshots/element.png", 625, 350, kBlack, "below the video"},
      {"snapshots/full.png", 75, 60, kPageRed, "the page over full screen"},
      {"snapshots/full.png", 5, 1075, kPlaying, "full screen, bottom left"},
      {"snapshots/full.png", 1915, 5, kPlaying, "full screen, top right"},
      {"snapshots/full.png", 1915, 1075, kPlaying, "full screen, bottom right"},
      {"exit.png", 330, 180, kPageBlue, "at exit, the page"},
      {"exit.png", 625, 340, kPlaying, "at exit, back in the element's area"},
      {"exit.png", 635, 340, kBlack, "at exit, right of the video"},
  };
  std::optional<Picture> picture;
  std::string read;
  for (const Probe& p : probes) {
    SCOPED_TRACE(std::string(p.picture) + ": " + p.what);
    if (read != p.picture) {
      read = p.picture;
      picture = ReadPng(m_dir + "/" + p.picture);
    }
    ASSERT_TRUE(picture) << "not a PNG picture";
    ASSERT_EQ(picture->width, 1920);
    ASSERT_EQ(picture->height, 1080);
    ExpectColourAt(*picture, p.x, p.y, p.colour);
  }
}

// In the window (a 1280 x 720 screen of the test's own, the window at its
// corner) the plane is scaled to the widget: the video shows where the
// element is, under the page's square. The page plays on while the screen
// is looked at.
TEST_F(ScreenTest, TheWindowShowsThePageOverThePlane) {
  virtualdisplay::VirtualDisplay display;
  std::string error;
  ASSERT_TRUE(display.Start("1280x720x24", &error)) << error;
  auto run = std::async(std::launch::async, [&] {
    std::string out;
    return RunPage("--player sim", R"(
<div style="position:absolute;left:200px;top:100px;width:40px;height:40px;background:#00f"></div>
<object id="av" type="application/x-ruvo-avobject" data="http://tv/a.mp4"
        style="position:absolute;left:100px;top:50px;width:320px;height:180px"></object>
<script>
document.getElementById("av").play(1);
setTimeout(function () { tvhost.exit(0); }, 3000);
</script>)", &out, display.Name());
  });
  std::optional<Picture> screen;
  while (run.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout) {
    screen = GrabScreen(display.Name());
    if (screen && HasColourAt(*screen, 415, 225, kPlaying)) break;
  }
  EXPECT_EQ(run.get(), 0) << ReadAll(m_dir + "/stderr");
  ASSERT_TRUE(screen) << "the screen could not be read";
  ExpectColourAt(*screen, 105, 225, kPlaying);
  ExpectColourAt(*screen, 415, 225, kPlaying);
  ExpectColourAt(*screen, 220, 120, kPageBlue);
  ExpectColourAt(*screen, 95, 225, kBlack);
  ExpectColourAt(*screen, 425, 225, kBlack);
  ExpectColourAt(*screen, 415, 235, kBlack);
}

// GStreamer's colour bars (4:3) in an element at 320, 180, 640 x 360 page
// pixels: the area 480, 270, 960 x 540 on the plane, the bars 720 wide in
// its middle; the transparent page leaves the rest black.
TEST_F(ScreenTest, TheRealPictureShowsInTheElementsArea) {
  std::string out;
  const int code = RunPage("--player gst",
                           "<object id=\"av\" type=\"application/x-ruvo-avobject\" data=\"file://" TEST_MEDIA_DIR
                           "/bars.mp4\" style=\"position:absolute;left:320px;top:180px;width:640px;"
                           "height:360px\"></object>\n" R"(<script>
var av = document.getElementById("av");
av.onPlayStateChange = function (state, detail) {
  if (state == 6) { console.log("error: " + detail); tvhost.exit(1); }
};
av.onUpdateProgress = function (position) { if (position >= 500) tvhost.exit(0); };
av.play(1);
</script>)", &out);
  ASSERT_EQ(code, 0) << out << ReadAll(m_dir + "/stderr");
  const std::optional<Picture> screen = ReadPng(m_dir + "/exit.png");
  ASSERT_TRUE(screen) << "not a PNG picture";
  const std::optional<Rect> lit = LitBounds(*screen);
  ASSERT_TRUE(lit) << "the screen is black";
  EXPECT_NEAR(lit->x, 600, kEdgeTolerance);
  EXPECT_NEAR(lit->y, 270, kEdgeTolerance);
  EXPECT_NEAR(lit->width, 720, kEdgeTolerance);
  EXPECT_NEAR(lit->height, 540, kEdgeTolerance);
}

}  // namespace
