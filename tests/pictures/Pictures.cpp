#include "Pictures.h"

#include <X11/Xlib.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>

#include "virtualdisplay/VirtualDisplay.h"

namespace pictures {

namespace {

constexpr int kPlaneWidth = 1920;
constexpr int kPlaneHeight = 1080;
// Rounding of the picture's edges when it is scaled into its area.
constexpr int kEdgeTolerance = 2;
// The colour bars' black parts: the picture is mostly lit.
constexpr double kLeastLitShare = 0.6;
// Scaling blurs edges only; a probe sits well inside a colour.
constexpr int kColourTolerance = 8;

// Copies whatever `surface` holds into a picture of its own.
std::optional<Picture> ToPicture(cairo_surface_t* surface, int width, int height) {
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(image);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(image);
  std::optional<Picture> picture;
  // An RGB24 row is exactly 4 bytes a pixel: the rows follow each other unpadded.
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    const auto* data = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image));
    picture = Picture{width, height, {data, data + static_cast<size_t>(width) * height}};
  }
  cairo_surface_destroy(image);
  return picture;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The smallest rectangle holding every pixel that is not black; none for a
// black picture.
std::optional<Rect> LitBounds(const Picture& picture) {
  int left = picture.width, top = picture.height, right = -1, bottom = -1;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      if (picture.IsBlack(x, y)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return std::nullopt;
  return Rect{left, top, right - left + 1, bottom - top + 1};
}

// The whole screen of the X display named, e.g. ":99".
std::optional<Picture> GrabScreen(const std::string& display) {
  Display* x = XOpenDisplay(display.c_str());
  if (x == nullptr) return std::nullopt;
  const int screen = DefaultScreen(x);
  const int width = DisplayWidth(x, screen);
  const int height = DisplayHeight(x, screen);
  cairo_surface_t* root = cairo_xlib_surface_create(x, RootWindow(x, screen),
                                                    DefaultVisual(x, screen), width, height);
  std::optional<Picture> picture = ToPicture(root, width, height);
  cairo_surface_destroy(root);
  XCloseDisplay(x);
  return picture;
}

}  // namespace

std::optional<Picture> ReadPng(const std::string& path) {
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  std::optional<Picture> picture;
  if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
    picture =
        ToPicture(png, cairo_image_surface_get_width(png), cairo_image_surface_get_height(png));
  }
  cairo_surface_destroy(png);
  return picture;
}

::testing::AssertionResult BarsExactlyIn(const Picture& picture, const std::optional<Rect>& area) {
  const std::optional<Rect> lit = LitBounds(picture);
  if (lit.has_value() != area.has_value()) {
    return ::testing::AssertionFailure() << (lit ? "lit" : "all black");
  }
  if (!lit) return ::testing::AssertionSuccess();
  if (std::abs(lit->x - area->x) > kEdgeTolerance || std::abs(lit->y - area->y) > kEdgeTolerance ||
      std::abs(lit->width - area->width) > kEdgeTolerance ||
      std::abs(lit->height - area->height) > kEdgeTolerance) {
    return ::testing::AssertionFailure() << "lit at " << lit->x << ", " << lit->y << ", "
                                         << lit->width << " x " << lit->height;
  }
  long litInArea = 0;
  for (int y = area->y; y < area->y + area->height; ++y) {
    for (int x = area->x; x < area->x + area->width; ++x) litInArea += !picture.IsBlack(x, y);
  }
  if (litInArea < kLeastLitShare * area->width * area->height) {
    return ::testing::AssertionFailure() << "too little of the video shows";
  }
  return ::testing::AssertionSuccess();
}

void ExpectPlaneShows(const std::string& path, const std::optional<Rect>& area) {
  const std::optional<Picture> plane = ReadPng(path);
  ASSERT_TRUE(plane && plane->width == kPlaneWidth && plane->height == kPlaneHeight)
      << path << " is not a PNG picture of the whole plane";
  EXPECT_TRUE(BarsExactlyIn(*plane, area)) << path;
}

::testing::AssertionResult HasColourAt(const Picture& picture, int x, int y, const Rgb& colour) {
  const uint32_t pixel = picture.pixels[y * picture.width + x];
  const Rgb at{static_cast<int>(pixel >> 16 & 0xff), static_cast<int>(pixel >> 8 & 0xff),
               static_cast<int>(pixel & 0xff)};
  if (std::abs(at.red - colour.red) <= kColourTolerance &&
      std::abs(at.green - colour.green) <= kColourTolerance &&
      std::abs(at.blue - colour.blue) <= kColourTolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "at " << x << ", " << y << ": " << at.red << " " << at.green << " " << at.blue;
}

void ProgramTest::SetUp() {
  m_dir = ::testing::TempDir() + "pictures-XXXXXX";
  ASSERT_NE(mkdtemp(m_dir.data()), nullptr) << m_dir;
}

void ProgramTest::TearDown() {
  if (!HasFailure()) std::filesystem::remove_all(m_dir);
}

Outcome ProgramTest::Run(const std::string& program, const std::string& options,
                         const std::string& html, const std::string& display) const {
  const std::string page = m_dir + "/page.html";
  if (!html.empty()) std::ofstream(page) << html;
  const std::string screen = display.empty() ? "env -u DISPLAY " : "env DISPLAY='" + display + "' ";
  const std::string command = screen + "timeout -s KILL 90 '" + program + "' " + options + " '" +
                              page + "' >'" + m_dir + "/stdout' 2>'" + m_dir + "/stderr'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(m_dir + "/stdout"),
          ReadAll(m_dir + "/stderr")};
}

Outcome ProgramTest::RunOnScreen(const std::string& program, const std::string& options,
                                 const std::string& html,
                                 const std::function<bool(const Picture&)>& shows,
                                 std::optional<Picture>* screen) const {
  virtualdisplay::VirtualDisplay display;
  std::string error;
  if (!display.Start("1280x720x24", &error)) return {-1, "", error};
  auto run =
      std::async(std::launch::async, [&] { return Run(program, options, html, display.Name()); });
  do {
    *screen = GrabScreen(display.Name());
  } while (!(*screen && shows(**screen)) &&
           run.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout);
  return run.get();
}

}  // namespace pictures
