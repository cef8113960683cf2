// Number conversions without undefined behaviour for any input.
#include "script/NumberConversion.h"

#include <cmath>
#include <limits>

namespace script {

namespace {

template <typename Int>
Int TruncateInto(double value) {
  if (std::isnan(value)) return 0;
  const double truncated = std::trunc(value);
  // Both limits are exactly representable as doubles for 32-bit targets.
  if (truncated <= static_cast<double>(std::numeric_limits<Int>::min())) {
    return std::numeric_limits<Int>::min();
  }
  if (truncated >= static_cast<double>(std::numeric_limits<Int>::max())) {
    return std::numeric_limits<Int>::max();
  }
  return static_cast<Int>(truncated);
}

}  // namespace

int32_t TruncateToInt32(double value) { return TruncateInto<int32_t>(value); }

uint32_t TruncateToUInt32(double value) { return TruncateInto<uint32_t>(value); }

int32_t ScaleToPlane(int32_t pixels, double ratio) {
  return TruncateToInt32(static_cast<double>(pixels) * ratio);
}

}  // namespace script
