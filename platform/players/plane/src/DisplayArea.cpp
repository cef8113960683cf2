#include "players/DisplayArea.h"

#include <algorithm>
#include <cstdint>

#include "players/NumberParsing.h"

namespace players {

namespace {

constexpr int64_t kWidth = kPlaneWidth;
constexpr int64_t kHeight = kPlaneHeight;

// Values arrive as 32-bit integers from script; in 64 bits neither the
// scaling nor x + width can overflow.
PlaneRect Clip(int64_t x, int64_t y, int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return {};
  const int64_t left = std::clamp<int64_t>(x, 0, kWidth);
  const int64_t top = std::clamp<int64_t>(y, 0, kHeight);
  const int64_t right = std::clamp<int64_t>(x + width, 0, kWidth);
  const int64_t bottom = std::clamp<int64_t>(y + height, 0, kHeight);
  if (right <= left || bottom <= top) return {};
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

constexpr int64_t kMaxScriptValue = int64_t{1} << 32;

}  // namespace

PlaneRect FullPlane() {
  return {0, 0, kPlaneWidth, kPlaneHeight};
}

std::optional<PlaneRect> ParseDisplayArea(const std::vector<std::string>& params) {
  if (params.size() < 4) return std::nullopt;
  int64_t values[4];
  for (int i = 0; i < 4; ++i) {
    const std::optional<int64_t> value = ParseInteger(params[i]);
    if (!value || *value > kMaxScriptValue || *value < -kMaxScriptValue) return std::nullopt;
    values[i] = *value;
  }
  int64_t lines = kHeight;
  if (params.size() > 4 && !params[4].empty()) {
    const std::optional<int64_t> given = ParseInteger(params[4]);
    if (!given || *given <= 0 || *given > kMaxScriptValue) return std::nullopt;
    lines = *given;
  }
  auto scaled = [lines](int64_t v) { return v * kHeight / lines; };
  return Clip(scaled(values[0]), scaled(values[1]), scaled(values[2]), scaled(values[3]));
}

}  // namespace players
