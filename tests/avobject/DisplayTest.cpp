// Display area and full screen.
#include <gtest/gtest.h>

#include "AVObjectFixture.h"
#include "host/np_log.h"

namespace avtest {
namespace {

using Commands = std::vector<zor::ReceivedCommand>;

zor::ReceivedCommand Area(const char* x, const char* y, const char* w, const char* h) {
  return {"SetDisplayArea", {x, y, w, h, "1080", "", "", "", "", ""}};
}

TEST_F(AVObjectTest, SetDisplayAreaSendsValuesAsTheyCome) {
  av->mscreenHeight = 720;
  EXPECT_EQ(av->SetDisplayArea(-10, 0, 0, 0), 1);
  EXPECT_EQ(av->SetDisplayArea(2147483647, -2147483647 - 1, 5000, 1), 1);
  EXPECT_EQ(Sent(), Commands({Area("-10", "0", "0", "0"),
                              Area("2147483647", "-2147483648", "5000", "1")}));
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, "SetDisplayArea:[-10][0][0][0][720]"));
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kTrace, "[SetDisplayArea:1]"));
}

TEST_F(AVObjectTest, SetDisplayAreaAcceptsOnlyTheIntegerOne) {
  const std::pair<const char*, int> cases[] = {
      {"I1", 1}, {"I0", 0}, {"I2", 0}, {"E", 0}, {"A1", 0}};
  for (const auto& [answer, result] : cases) {
    Answer("SetDisplayArea", answer);
    EXPECT_EQ(av->SetDisplayArea(1, 2, 3, 4), result) << answer;
  }
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kTrace, "[SetDisplayArea:0]"));
}

TEST_F(AVObjectTest, FullScreenSwitchesOnlyOnChange) {
  EXPECT_EQ(av->SetFullScreen(nullptr, false), 1);  // not in full screen
  EXPECT_TRUE(Sent().empty());

  EXPECT_EQ(av->SetFullScreen(nullptr, true), 1);
  EXPECT_EQ(av->SetFullScreen(nullptr, true), 1);
  EXPECT_EQ(av->isFullScreen(nullptr), 1);
  // Script moved the element while in full screen.
  av->stAVObjMember.mdisplayArea.x = 150;
  Answer("SetDisplayArea", "E");  // a refused area still leaves full screen
  EXPECT_EQ(av->SetFullScreen(nullptr, false), 1);
  EXPECT_EQ(av->isFullScreen(nullptr), 0);

  EXPECT_EQ(Sent(), Commands({Area("0", "0", "1920", "1080"),
                              Area("150", "0", "1920", "1080")}));
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, "x: 150, y: 0, w: 1920, h: 1080\n"));
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(browser.PendingAsyncCalls(), 0u);  // no page callback for full screen
}

TEST_F(AVObjectTest, PlaySendsTheElementAreaEvenInFullScreen) {
  av->stAVObjMember.mdisplayArea = {1, 2, 3, 4};
  av->SetFullScreen(nullptr, true);
  Connection()->ClearReceived();
  av->Play(nullptr, 1, NSPlRuvoAVObject::eCOMPONENT_OTHER);
  EXPECT_EQ(Sent()[1], Area("1", "2", "3", "4"));
}

}  // namespace
}  // namespace avtest
