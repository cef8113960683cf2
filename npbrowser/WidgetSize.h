// The size of curWidget, the page's viewport, as both hosts take it from
// their command lines: "WxH", each side a decimal from 1 to 100000.
#ifndef NPBROWSER_WIDGET_SIZE_H
#define NPBROWSER_WIDGET_SIZE_H

#include <charconv>
#include <string_view>
#include <system_error>

namespace npbrowser {

constexpr int kLargestWidgetSide = 100000;

// Digits only: no sign, no space, nothing after them.
inline bool ReadWidgetSide(std::string_view text, int* side) {
  const char* const end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, *side);
  return error == std::errc() && stop == end && *side >= 1 && *side <= kLargestWidgetSide;
}

// Sets both sides, or neither when `text` is not a size.
inline bool ReadWidgetSize(std::string_view text, int* width, int* height) {
  const size_t x = text.find('x');
  int w = 0;
  int h = 0;
  if (x == std::string_view::npos || !ReadWidgetSide(text.substr(0, x), &w) ||
      !ReadWidgetSide(text.substr(x + 1), &h)) {
    return false;
  }
  *width = w;
  *height = h;
  return true;
}

}  // namespace npbrowser

#endif  // NPBROWSER_WIDGET_SIZE_H
