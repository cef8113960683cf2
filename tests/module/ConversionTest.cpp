// Number conversions and the style-text reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "script/NumberConversion.h"
#include "script/StyleValue.h"

namespace plugintest {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr uint32_t kUMax = std::numeric_limits<uint32_t>::max();

TEST(NumberConversion, DoublesTruncateTowardZeroAndClamp) {
  const struct {
    double value;
    int32_t asInt32;
    uint32_t asUInt32;
  } cases[] = {
      {2.9, 2, 2},
      {-2.9, -2, 0},
      {-0.5, 0, 0},
      {NAN, 0, 0},
      {INFINITY, kMax, kUMax},
      {-INFINITY, kMin, 0},
      {3e9, kMax, 3000000000u},
      {-3e9, kMin, 0},
      {5e9, kMax, kUMax},
      {2147483647.9, kMax, 2147483647u},
      {-2147483648.9, kMin, 0},
      {4294967295.5, kMax, kUMax},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(script::TruncateToInt32(c.value), c.asInt32) << c.value;
    EXPECT_EQ(script::TruncateToUInt32(c.value), c.asUInt32) << c.value;
  }
}

TEST(NumberConversion, DecimalTextReadsAsStrtolOnThe32BitTarget) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {{"960px", 960},
               {"  -5", -5},
               {"+7", 7},
               {"abc", 0},
               {"", 0},
               {"12.7", 12},
               {"100%", 100},
               {nullptr, 0},
               {"99999999999", kMax},
               {"-99999999999", kMin}};
  for (const auto& c : cases) {
    EXPECT_EQ(script::ParseDecimal(c.text), c.value) << (c.text ? c.text : "null");
  }
}

TEST(NumberConversion, PagePixelsScaleIntoTheVideoPlane) {
  const struct {
    int32_t pixels;
    double ratio;
    int32_t plane;
  } cases[] = {{100, 1920.0 / 1366, 140}, {-20, 1.5, -30}, {1281, 1.5, 1921},   {kMax, 1.5, kMax},
               {kMin, 1.5, kMin},         {7, NAN, 0},     {1, INFINITY, kMax}, {0, INFINITY, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(script::ScaleToPlane(c.pixels, c.ratio), c.plane) << c.pixels << " x " << c.ratio;
  }
}

TEST(StyleValue, ReadsTheFirstOccurrenceOfAKey) {
  const struct {
    const char* style;
    const char* key;
    int32_t before;
    int32_t after;
  } cases[] = {
      {"left:100px;top:50px", "left", 7, 100},
      {"left:100px;top:50px", "top", 7, 50},
      {"top: 20px", "top", 7, 20},
      {"left:10;top:20px", "left", 7, 10},  // runs to the next "px"
      {"left:12.7px", "left", 7, 12},
      {"left:-20px", "left", 7, -20},
      {"left:px", "left", 7, 7},  // no value: unchanged
      {"left:  px", "left", 7, 0},
      {"margin-left:8px;left:100px", "left", 0, 8},
      {"top:5px", "left", 7, 0},   // no key
      {"left", "left", 7, 0},      // no colon
      {"Left:5px", "left", 7, 0},  // case-sensitive
      {"left:abc", "left", 7, 0},
      {"width:100%", "width", 0, 100},
      {"left:99999999999px", "left", 0, kMax},
  };
  for (const auto& c : cases) {
    int32_t member = c.before;
    script::ReadStyleValue(c.style, c.key, &member);
    EXPECT_EQ(member, c.after) << c.style << " / " << c.key;
  }
}

}  // namespace
}  // namespace plugintest
