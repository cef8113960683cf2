// Player events: play states, positions and the page callbacks they cause.
#include <gtest/gtest.h>

#include "AVObjectFixture.h"
#include "host/np_log.h"

namespace avtest {
namespace {

using namespace NSPlRuvoAVObject;
using Strings = std::vector<std::string>;

struct StateEventCase {
  int type;
  int state;
};

class StateEventTest : public AVObjectTest,
                       public ::testing::WithParamInterface<StateEventCase> {};

TEST_P(StateEventTest, MovesTheStateAndCallsThePage) {
  NPObject* onChange = Function();
  NPObject* onProgress = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  av->SetonUpdateProgress(nullptr, nullptr, onProgress);
  av->stAVObjMember.mplayPosition = 1234;

  Event(GetParam().type, "ignored", "detail");
  Event(GetParam().type, "", "");  // an unchanged state notifies again

  EXPECT_EQ(State(), GetParam().state);
  const std::string digit = std::to_string(GetParam().state);
  ASSERT_EQ(browser.CallsOf(onChange).size(), 2u);
  EXPECT_EQ(browser.CallsOf(onChange)[0].args, Strings({digit, "detail"}));
  EXPECT_EQ(browser.CallsOf(onChange)[1].args, Strings({digit, ""}));
  EXPECT_TRUE(browser.CallsOf(onProgress).empty());
  EXPECT_EQ(av->stAVObjMember.mplayPosition, 1234);
  EXPECT_TRUE(Sent().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Events, StateEventTest,
    ::testing::Values(StateEventCase{1, 6}, StateEventCase{2, 6}, StateEventCase{3, 6},
                      StateEventCase{4, 6}, StateEventCase{6, 6}, StateEventCase{7, 1},
                      StateEventCase{12, 1}, StateEventCase{8, 5}, StateEventCase{11, 4},
                      StateEventCase{13, 4}));

TEST_F(AVObjectTest, ProgressEventRecordsThePosition) {
  NPObject* onChange = Function();
  NPObject* onProgress = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  av->SetonUpdateProgress(nullptr, nullptr, onProgress);
  av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE;
  const struct {
    const char* text;
    int position;
  } cases[] = {{"900", 900}, {"", 0}, {" -20ms", -20}, {"abc", 0},
               {"99999999999", 2147483647}};
  for (const auto& c : cases) {
    Event(14, c.text, "p2");
    EXPECT_EQ(av->stAVObjMember.mplayPosition, c.position) << c.text;
    // The page gets the text as the player sent it.
    EXPECT_EQ(browser.CallsOf(onProgress).back().args, Strings({c.text, "p2"}));
  }
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_PAUSE);
  EXPECT_TRUE(browser.CallsOf(onChange).empty());
}

TEST_F(AVObjectTest, UnhandledEventsChangeNothing) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  av->SetonUpdateProgress(nullptr, nullptr, onChange);
  for (int type : {0, 5, 9, 10, 15, -1, 2147483647}) {
    testbrowser::ClearCapturedLog();
    EXPECT_EQ(av->OnEvent(type, "1", "2"), 1);
    EXPECT_TRUE(testbrowser::HasLogLine(
        nplog::kTrace, "Unhandled cases: type = " + std::to_string(type)));
  }
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_STOP);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, 0);
  EXPECT_TRUE(browser.CallsOf(onChange).empty());
}

TEST_F(AVObjectTest, EventsWithoutRegistrationsStillMoveTheState) {
  Event(7, "", "");
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_PLAY);
  EXPECT_EQ(browser.PendingAsyncCalls(), 0u);
  EXPECT_EQ(browser.LiveObjects(), 0u);
}

TEST_F(AVObjectTest, EventLogNamesTheRegisteredCallbackOnTheMainThread) {
  av->SetonPlayStateChange(nullptr, NameBuffer("onChange"), nullptr);
  testbrowser::ClearCapturedLog();
  Event(11, "", "why");
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, "CZorBase::OnEvent,type:[11]"));
  EXPECT_TRUE(testbrowser::HasLogLine(
      nplog::kTrace, "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_BUFFERING"));
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, "[onChange][4][why]"));
  for (const auto& line : testbrowser::CapturedLog()) EXPECT_EQ(line.file, "ZorBase");
}

}  // namespace
}  // namespace avtest
