// The page widget's size, which the host page exposes as the script global
// `curWidget`. It sets the ratios from page pixels to the video plane.
#ifndef SCRIPT_WIDGETSIZE_H
#define SCRIPT_WIDGETSIZE_H

#include <cstdint>

#include "npruntime.h"

namespace script {

constexpr int32_t kVideoPlaneWidth = 1920;
constexpr int32_t kVideoPlaneHeight = 1080;

// The widget's width or height in page pixels, evaluated in `window`. When
// it cannot be read as a positive integer (no window, a failed evaluation,
// a result that is no string, a failed allocation, text such as "0" or
// "abc") the video plane's own size stands in, so the ratio is 1.0.
int32_t ReadWidgetWidth(NPP instance, NPObject* window);
int32_t ReadWidgetHeight(NPP instance, NPObject* window);

}  // namespace script

#endif  // SCRIPT_WIDGETSIZE_H
