// Number conversions for values that come from page script or page text.
// Script can send any double, so every conversion is defined for all of
// them: truncation toward zero, clamping to the target range, NaN as 0.
#ifndef SCRIPT_NUMBERCONVERSION_H
#define SCRIPT_NUMBERCONVERSION_H

#include <cstdint>

#include "service/ZorCommandFamily.h"

namespace script {

// Truncates toward zero into the signed 32-bit range.
int32_t TruncateToInt32(double value);

// Truncates toward zero into 0 ... 4294967295.
uint32_t TruncateToUInt32(double value);

// Decimal text, read as the player's results are read.
using NSPlRuvoAVObject::ParseDecimal;

// Page pixels times a page-to-video-plane ratio, in double precision,
// truncated toward zero.
int32_t ScaleToPlane(int32_t pixels, double ratio);

}  // namespace script

#endif  // SCRIPT_NUMBERCONVERSION_H
