// Pictures read back as pixels, PNG files and what an X display shows, and
// the runs of tvhost and tvbrowser on a page of a test's own that write
// them.
#ifndef TESTS_PICTURES_PICTURES_H
#define TESTS_PICTURES_PICTURES_H

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pictures {

struct Rect {
  int x, y, width, height;
};

struct Rgb {
  int red, green, blue;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows without padding

  bool IsBlack(int x, int y) const { return (pixels[y * width + x] & 0xffffff) == 0; }
};

std::optional<Picture> ReadPng(const std::string& path);

// The colour bars are lit exactly in `area`, and everything else is black;
// all is black for none.
::testing::AssertionResult BarsExactlyIn(const Picture& picture, const std::optional<Rect>& area);
// The same of the PNG at `path`, a picture of the whole plane.
void ExpectPlaneShows(const std::string& path, const std::optional<Rect>& area);
// The colour at x, y, within what scaling does to it.
::testing::AssertionResult HasColourAt(const Picture& picture, int x, int y, const Rgb& colour);

struct Outcome {
  int exitCode;
  std::string out, err;
};

// A folder of the test's own for a program's page and its output, removed
// when the test passes.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes `html`, unless empty, to page.html and runs `program options
  // page.html` on the X display named or, by default, on none, killed
  // after 90 s.
  Outcome Run(const std::string& program, const std::string& options, const std::string& html,
              const std::string& display = "") const;
  // Runs the same on a 1280 x 720 screen of the test's own, grabbing it
  // until `shows` holds or the program ends; `screen` is the last picture.
  Outcome RunOnScreen(const std::string& program, const std::string& options,
                      const std::string& html, const std::function<bool(const Picture&)>& shows,
                      std::optional<Picture>* screen) const;

  std::string m_dir;
};

}  // namespace pictures

#endif  // TESTS_PICTURES_PICTURES_H
