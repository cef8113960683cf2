#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "zor/ZorPluginWrapper.h"

namespace {

TEST(NumberToStringTest, WritesDecimalTextReplacingTheOldContent) {
  const struct { int value; const char* text; } cases[] = {
      {0, "0"}, {-1, "-1"}, {5000, "5000"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
  for (const auto& c : cases) {
    std::string out = "stale content";
    CNumberToString::NumberToString(out, c.value);
    EXPECT_EQ(out, c.text) << c.value;
  }
}

}  // namespace
