// tvhost with the GStreamer player, as a program: the video plane's
// snapshots and its window show the element's video where its geometry and
// the widget put it, and the whole plane in full screen; tvhost.snapshot
// writes only a plain file name into the snapshot folder, and only with a
// plane.
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "PngPicture.h"
#include "virtualdisplay/VirtualDisplay.h"

namespace {

using playertest::GrabScreen;
using playertest::LitBounds;
using playertest::Picture;
using playertest::ReadPng;
using playertest::Rect;

constexpr int kPlaneWidth = 1920;
constexpr int kPlaneHeight = 1080;
// Rounding of the picture's edges when it is scaled into its area.
constexpr int kEdgeTolerance = 2;
// The colour bars' black parts: the picture is mostly lit.
constexpr double kLeastLitShare = 0.6;
// The 4:3 bars in full screen: the plane's height, centred.
constexpr Rect kFullScreenPicture{240, 0, 1440, 1080};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Outcome {
  int exitCode;
  std::string out;
  std::string err;
};

class PlaneSnapshotTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gst_init(nullptr, nullptr); }

  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->name());
    std::replace(name.begin(), name.end(), '/', '-');
    m_dir = ::testing::TempDir() + "tvhost-plane-" + std::to_string(getpid()) + "-" + name;
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
  }
  void TearDown() override {
    if (!HasFailure()) std::filesystem::remove_all(m_dir);
  }

  // Runs tvhost on a page made of `body`, with `options` before the page,
  // on the X display named or, by default, on none.
  Outcome RunPage(const std::string& options, const std::string& body,
                  const std::string& display = "") const {
    const std::string page = m_dir + "/page.html";
    std::ofstream(page) << "<!DOCTYPE html>\n<html><body>\n" << body << "\n</body></html>\n";
    const std::string environment =
        display.empty() ? "env -u DISPLAY " : "env DISPLAY='" + display + "' ";
    const std::string command = environment + "timeout -s KILL 90 '" TVHOST_PATH
                                "' --check-leaks --timeout 45 " + options + " '" + page +
                                "' >'" + m_dir + "/stdout' 2>'" + m_dir + "/stderr'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(m_dir + "/stdout"),
            ReadAll(m_dir + "/stderr")};
  }

  std::set<std::string> Entries(const std::string& dir) const {
    std::set<std::string> names;
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(dir, missing)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  std::string m_dir;
};

// The share of the pixels inside `area` that are lit.
double LitShare(const Picture& picture, const Rect& area) {
  long lit = 0;
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) lit += picture.IsBlack(x, y) ? 0 : 1;
  }
  return static_cast<double>(lit) / (static_cast<double>(area.width) * area.height);
}

// The video lit inside `picture` and black everywhere else on the plane.
void ExpectVideoExactlyIn(const std::string& png, const Rect& picture) {
  SCOPED_TRACE(png);
  const std::optional<Picture> plane = ReadPng(png);
  ASSERT_TRUE(plane) << "not a PNG picture";
  ASSERT_EQ(plane->width, kPlaneWidth);
  ASSERT_EQ(plane->height, kPlaneHeight);
  const std::optional<Rect> lit = LitBounds(*plane);
  ASSERT_TRUE(lit) << "the plane is black";
  EXPECT_NEAR(lit->x, picture.x, kEdgeTolerance) << "left";
  EXPECT_NEAR(lit->y, picture.y, kEdgeTolerance) << "top";
  EXPECT_NEAR(lit->width, picture.width, kEdgeTolerance) << "width";
  EXPECT_NEAR(lit->height, picture.height, kEdgeTolerance) << "height";
  EXPECT_GE(LitShare(*plane, picture), kLeastLitShare) << "too little of the video shows";
}

struct PlaneCase {
  const char* name;
  const char* widget;
  const char* style;  // the element's area in page pixels
  Rect picture;       // where the 4:3 bars go on the plane
};

void PrintTo(const PlaneCase& c, std::ostream* out) { *out << c.name; }

class PlacedVideoTest : public PlaneSnapshotTest,
                        public ::testing::WithParamInterface<PlaneCase> {};

// The page snapshots the plane while the bars play in the element's area,
// and again in full screen; back in the element's area it ends, and
// --plane-snapshot takes the last picture. Page pixels scale to the plane
// by the widget's width and height separately; the bars keep 4:3 inside
// the area, with black bars where the area is wider.
TEST_P(PlacedVideoTest, SnapshotsShowTheVideoInTheElementsAreaAndFullScreen) {
  const PlaneCase& c = GetParam();
  const std::string snapshots = m_dir + "/snapshots";
  const Outcome run = RunPage(
      std::string("--player gst --widget ") + c.widget + " --snapshot-dir '" + snapshots +
          "' --plane-snapshot '" + m_dir + "/exit.png'",
      std::string("<object id=\"av\" type=\"application/x-ruvo-avobject\" data=\"file://" TEST_MEDIA_DIR
                  "/bars.mp4\" style=\"") +
          c.style + "\"></object>\n" + R"(<script>
var av = document.getElementById("av");
var taken = false;
av.onPlayStateChange = function (state, detail) {
  if (state === "6") { console.log("error: " + detail); tvhost.exit(1); }
};
av.onUpdateProgress = function (position) {
  if (taken || Number(position) < 500) return;
  taken = true;
  console.log(tvhost.snapshot("element.png"));
  av.setFullScreen(1);
  console.log(tvhost.snapshot("full.png"));
  av.setFullScreen(0);
  tvhost.exit(0);
};
av.play(1);
</script>)");
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.out, snapshots + "/element.png\n" + snapshots + "/full.png\n");
  ExpectVideoExactlyIn(snapshots + "/element.png", c.picture);
  ExpectVideoExactlyIn(snapshots + "/full.png", kFullScreenPicture);
  ExpectVideoExactlyIn(m_dir + "/exit.png", c.picture);
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

bool Near(const Rect& a, const Rect& b) {
  return std::abs(a.x - b.x) <= kEdgeTolerance && std::abs(a.y - b.y) <= kEdgeTolerance &&
         std::abs(a.width - b.width) <= kEdgeTolerance &&
         std::abs(a.height - b.height) <= kEdgeTolerance;
}

// With --video window the plane is shown at half size in a window at the
// screen's corner (no window manager moves it): the bars of the element at
// 480, 270 on the plane show at 300, 135, and nothing else is lit. The page
// plays on for a few seconds while the screen is looked at.
TEST_F(PlaneSnapshotTest, TheWindowShowsThePlaneAtHalfSize) {
  constexpr Rect kPictureInWindow{300, 135, 360, 270};
  virtualdisplay::VirtualDisplay display;
  std::string error;
  ASSERT_TRUE(display.Start("1280x720x24", &error)) << error;
  const std::string displayName = display.Name();
  auto run = std::async(std::launch::async, [&] {
    return RunPage("--player gst --video window",
                   "<object id=\"av\" type=\"application/x-ruvo-avobject\" data=\"file://" TEST_MEDIA_DIR
                   "/bars.mp4\" style=\"left:320px;top:180px;width:640px;height:360px\"></object>\n"
                   R"(<script>
var av = document.getElementById("av");
var ending = false;
av.onUpdateProgress = function (position) {
  if (ending || Number(position) < 500) return;
  ending = true;
  setTimeout(function () { tvhost.exit(0); }, 3000);
};
av.play(1);
</script>)",
                   displayName);
  });
  std::optional<Picture> screen;
  std::optional<Rect> lit;
  while (run.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout) {
    screen = GrabScreen(displayName);
    lit = screen ? LitBounds(*screen) : std::nullopt;
    if (lit && Near(*lit, kPictureInWindow)) break;
  }
  const Outcome outcome = run.get();
  ASSERT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
  ASSERT_TRUE(lit) << "nothing showed on the screen";
  EXPECT_TRUE(Near(*lit, kPictureInWindow))
      << "lit " << lit->x << ", " << lit->y << ", " << lit->width << " x " << lit->height;
  EXPECT_GE(LitShare(*screen, kPictureInWindow), kLeastLitShare);
}

struct NamesCase {
  const char* name;
  const char* options;  // besides --snapshot-dir, when the case has one
  bool folder;
  bool writes;  // the two good names are written
};

void PrintTo(const NamesCase& c, std::ostream* out) { *out << c.name; }

class SnapshotNamesTest : public PlaneSnapshotTest,
                          public ::testing::WithParamInterface<NamesCase> {};

// Every name that is not one plain file name throws and writes nothing, as
// does every name without a plane or without a folder. Only the good names
// land in the folder, and nothing lands anywhere else.
TEST_P(SnapshotNamesTest, OnlyPlainNamesWriteAndOnlyIntoTheFolder) {
  const NamesCase& c = GetParam();
  const std::string snapshots = m_dir + "/snapshots";
  const std::string longest(200, 'n');
  std::string options = c.options;
  if (c.folder) options += " --snapshot-dir '" + snapshots + "/'";
  const Outcome run = RunPage(options, R"(<script>
var names = ["good.png", "n".repeat(200),
             "", ".", "..", "../escape.png", "sub/a.png", "sub\\a.png", "/root.png",
             "n".repeat(201), "nul\u0000.png", "line\n.png", 7, undefined];
console.log(names.map(function (name) {
  try { return tvhost.snapshot(name); } catch (e) { return e instanceof Error ? "threw" : "?"; }
}).join("\n"));
tvhost.exit(0);
</script>)");
  ASSERT_EQ(run.exitCode, 0) << run.err;

  std::vector<std::string> expected(14, "threw");
  if (c.writes) {
    expected[0] = snapshots + "/good.png";
    expected[1] = snapshots + "/" + longest;
  }
  std::string lines;
  for (const std::string& line : expected) lines += line + "\n";
  EXPECT_EQ(run.out, lines);

  const std::set<std::string> written =
      c.writes ? std::set<std::string>{"good.png", longest} : std::set<std::string>{};
  EXPECT_EQ(Entries(snapshots), written);
  const std::set<std::string> around = {"page.html", "stdout", "stderr"};
  std::set<std::string> here = Entries(m_dir);
  here.erase("snapshots");
  EXPECT_EQ(here, around);
  if (c.writes) {
    const std::optional<Picture> good = ReadPng(snapshots + "/good.png");
    ASSERT_TRUE(good);
    EXPECT_EQ(good->width, kPlaneWidth);
    EXPECT_EQ(good->height, kPlaneHeight);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Players, SnapshotNamesTest,
    ::testing::Values(NamesCase{"GstWithFolder", "--player gst", true, true},
                      NamesCase{"GstWithoutFolder", "--player gst", false, false},
                      NamesCase{"SimHasNoPlane", "--player sim", true, false},
                      NamesCase{"ScriptedHasNoPlane", "--player scripted", true, false}),
    [](const ::testing::TestParamInfo<NamesCase>& info) { return info.param.name; });

}  // namespace
