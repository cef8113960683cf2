// The video's rectangle on the plane, as SetDisplayArea gives it.
#ifndef PLAYERS_DISPLAYAREA_H
#define PLAYERS_DISPLAYAREA_H

#include <optional>
#include <string>
#include <vector>

namespace players {

// The video plane every player draws into, in pixels: what the TV shows.
constexpr int kPlaneWidth = 1920;
constexpr int kPlaneHeight = 1080;

// A rectangle in plane pixels. Empty (zero width or height) hides the video.
struct PlaneRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const PlaneRect& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

// The whole plane: where video goes until a page places it.
PlaneRect FullPlane();

// Reads x, y, width, height and the height of the coordinate system they
// are in (empty for the plane's own 1080 lines), scales them to the plane
// and clips them to it. Nothing when a value is not a whole number or the
// coordinate height is not positive.
std::optional<PlaneRect> ParseDisplayArea(const std::vector<std::string>& params);

}  // namespace players

#endif  // PLAYERS_DISPLAYAREA_H
