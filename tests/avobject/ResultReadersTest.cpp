// Reading the player's tagged results, and the integer command forms.
#include <gtest/gtest.h>

#include <tuple>

#include "AVObjectFixture.h"
#include "service/ZorBase.h"

namespace avtest {
namespace {

using NSPlRuvoAVObject::CZorBase;

TEST(ResultReaders, GetIntegerReadsOnlyIntegerResults) {
  // A result, what GetInteger answers and its output, which starts at 77.
  const std::tuple<const char*, int, int> cases[] = {
      {"I1", 1, 1},    {"I", 1, 0},    {"I-3", 1, -3},     {"I12abc", 1, 12},
      {"I  +42", 1, 42},  {"I99999999999", 1, 2147483647},  {"I-99999999999", 1, -2147483647 - 1},
      {"", 0, 77},     {"1", 0, 77},   {"A1", 0, 77},      {"E", 0, 77},  {"i1", 0, 77}};
  for (const auto& [text, returned, expected] : cases) {
    std::string result = text;
    int value = 77;
    EXPECT_EQ(CZorBase::GetInteger(result, &value), returned) << text;
    EXPECT_EQ(value, expected) << text;
  }
  std::string result = "I1";
  EXPECT_EQ(CZorBase::GetInteger(result, nullptr), 0);
}

TEST(ResultReaders, IsErrorTakesOnlyTheUpperCaseTag) {
  const std::pair<const char*, int> cases[] = {
      {"E", 1}, {"Eanything", 1}, {"", 0}, {"I1", 0}, {"e", 0}, {"AE", 0}};
  for (const auto& [text, expected] : cases) {
    std::string result = text;
    EXPECT_EQ(CZorBase::IsError(result), expected) << text;
  }
}

TEST(ResultReaders, GetASCIIReadsTextResults) {
  const struct {
    const char* result;
    int returned;
    const char* text;  // the output, which starts as "old"
  } cases[] = {{"Ahello", 1, "hello"}, {"A", 1, ""}, {"I1", 0, "old"},
               {"", 0, "old"}, {"E", 0, "old"}};
  for (const auto& c : cases) {
    std::string result = c.result;
    std::string text = "old";
    EXPECT_EQ(CZorBase::GetASCII(result, text), c.returned) << c.result;
    EXPECT_EQ(text, c.text) << c.result;
    // Not zero-filled: the reader writes the terminator itself.
    char buffer[16];
    memset(buffer, 'x', sizeof buffer);
    memcpy(buffer, "old", 4);
    EXPECT_EQ(CZorBase::GetASCII(result, buffer), c.returned) << c.result;
    EXPECT_EQ(std::string(buffer, strnlen(buffer, sizeof buffer)), c.text) << c.result;
  }
  std::string result = "Atext";
  EXPECT_EQ(CZorBase::GetASCII(result, static_cast<char*>(nullptr)), 0);
}

TEST_F(AVObjectTest, IntegerCommandFormsSendDecimalText) {
  av->Execute(nullptr, "Cmd", -2147483647 - 1, "s", 0, 42);
  av->Execute(nullptr, "Cmd", "s", 1, -1, 7);
  av->Execute(nullptr, "Cmd", 1, 2, 3, 4);
  av->ExecuteWithTenParameters(nullptr, "Ten", "1", "2", "3", "4", "5", "6",
                               "7", "8", "9", "10");
  const std::vector<zor::ReceivedCommand> expected = {
      {"Cmd", {"-2147483648", "s", "0", "42"}},
      {"Cmd", {"s", "1", "-1", "7"}},
      {"Cmd", {"1", "2", "3", "4"}},
      {"Ten", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}}};
  EXPECT_EQ(Sent(), expected);
}

TEST_F(AVObjectTest, ResultComesBackUnchanged) {
  Answer("Query", "Asome text");
  EXPECT_EQ(av->Execute("Query", "", "", "", ""), "Asome text");
}

TEST(PlayerConnection, CommandsWithoutAServiceAnswerError) {
  testbrowser::TestBrowser browser;
  browser.InstallIntoModule();
  zor::UnregisterAllServices();
  NSPlRuvoAVObject::CPlRuvoAVObject av;
  EXPECT_EQ(av.Execute("Stop", "", "", "", ""), "E");
  EXPECT_EQ(av.Stop(nullptr), 0);
  EXPECT_EQ(av.stAVObjMember.mplayState, NSPlRuvoAVObject::eAVOBJ_PLAYSTATE_ERROR);
}

}  // namespace
}  // namespace avtest
