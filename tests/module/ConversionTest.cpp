// Number conversions and the style-text reader, at their boundaries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>

#include "script/NumberConversion.h"
#include "script/StyleValue.h"

namespace plugintest {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr uint32_t kUMax = std::numeric_limits<uint32_t>::max();

TEST(NumberConversion, DoublesTruncateTowardZeroAndClamp) {
  // A double, then the same as int32_t and as uint32_t.
  const std::tuple<double, int32_t, uint32_t> cases[] = {
      {2.9, 2, 2},          {-2.9, -2, 0},           {-0.5, 0, 0},         {NAN, 0, 0},
      {5e9, kMax, kUMax},   {INFINITY, kMax, kUMax}, {-INFINITY, kMin, 0}, {-3e9, kMin, 0},
      {3e9, kMax, 3000000000u},    {2147483647.9, kMax, 2147483647u},
      {-2147483648.9, kMin, 0},    {4294967295.5, kMax, kUMax}};
  for (const auto& [value, asInt32, asUInt32] : cases) {
    EXPECT_EQ(script::TruncateToInt32(value), asInt32) << value;
    EXPECT_EQ(script::TruncateToUInt32(value), asUInt32) << value;
  }
}

TEST(NumberConversion, DecimalTextReadsAsStrtolOnThe32BitTarget) {
  const std::pair<const char*, int32_t> cases[] = {
      {"960px", 960}, {"  -5", -5}, {"+7", 7},     {"abc", 0},           {"", 0},
      {"12.7", 12},   {"100%", 100}, {nullptr, 0}, {"99999999999", kMax}, {"-99999999999", kMin}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(script::ParseDecimal(text), value) << (text ? text : "null");
  }
}

TEST(StyleValue, ReadsTheFirstOccurrenceOfAKey) {
  // Style, key, the member before and after.
  const std::tuple<const char*, const char*, int32_t, int32_t> cases[] = {
      {"left:100px;top:50px", "left", 7, 100}, {"left:100px;top:50px", "top", 7, 50},
      {"top: 20px", "top", 7, 20},             {"left:12.7px", "left", 7, 12},
      {"left:-20px", "left", 7, -20},          {"left:abc", "left", 7, 0},
      {"width:100%", "width", 0, 100},         {"left:99999999999px", "left", 0, kMax},
      {"left:10;top:20px", "left", 7, 10},  // runs to the next "px"
      {"left:px", "left", 7, 7},            // no value: unchanged
      {"left:  px", "left", 7, 0},          // blanks only: zero
      {"margin-left:8px;left:100px", "left", 0, 8},  // found inside another key
      {"top:5px", "left", 7, 0},                     // no key
      {"left", "left", 7, 0},                        // no colon
      {"Left:5px", "left", 7, 0}};                   // case-sensitive
  for (const auto& [style, key, before, after] : cases) {
    int32_t member = before;
    script::ReadStyleValue(style, key, &member);
    EXPECT_EQ(member, after) << style << " / " << key;
  }
}

}  // namespace
}  // namespace plugintest
