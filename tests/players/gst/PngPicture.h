// Pictures read back through GStreamer as RGB pixels: PNG files, and what
// an X display shows.
#ifndef TESTS_PLAYERS_GST_PNGPICTURE_H
#define TESTS_PLAYERS_GST_PNGPICTURE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace playertest {

struct Rect {
  int x, y, width, height;
  bool Contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows without padding

  bool IsBlack(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width + x) * 3;
    return rgb[at] == 0 && rgb[at + 1] == 0 && rgb[at + 2] == 0;
  }
};

std::optional<Picture> ReadPng(const std::string& path);
// The whole screen of the X display named, e.g. ":99".
std::optional<Picture> GrabScreen(const std::string& display);

// The smallest rectangle holding every pixel that is not black; none for a
// black picture.
std::optional<Rect> LitBounds(const Picture& picture);

}  // namespace playertest

#endif  // TESTS_PLAYERS_GST_PNGPICTURE_H
