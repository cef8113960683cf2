#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "zor/ZorPluginWrapper.h"

namespace zortest {
namespace {

struct NumberCase {
  const char* name;
  int value;
  const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.name; }

class NumberToStringTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberToStringTest, WritesDecimalTextReplacingTheOldContent) {
  std::string out = "stale content";
  CNumberToString::NumberToString(out, GetParam().value);
  EXPECT_EQ(out, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    ZorClient, NumberToStringTest,
    ::testing::Values(NumberCase{"Zero", 0, "0"},
                      NumberCase{"MinusOne", -1, "-1"},
                      NumberCase{"OneDigit", 7, "7"},
                      NumberCase{"Thousands", 5000, "5000"},
                      NumberCase{"IntMax", INT_MAX, "2147483647"},
                      NumberCase{"IntMin", INT_MIN, "-2147483648"}),
    [](const ::testing::TestParamInfo<NumberCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace zortest
