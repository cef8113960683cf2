// Play, stop, pause, resume and seek: commands, states, callbacks, results.
#include <gtest/gtest.h>

#include "AVObjectFixture.h"
#include "host/np_log.h"

namespace avtest {
namespace {

using namespace NSPlRuvoAVObject;
using Strings = std::vector<std::string>;
using Commands = std::vector<zor::ReceivedCommand>;

const Strings kNoParams = {"", "", "", ""};

struct ComponentCase {
  COMPONENT_TYPE type;
  const char* sentUrl;
};

class PlayComponentTest : public AVObjectTest,
                          public ::testing::WithParamInterface<ComponentCase> {};

TEST_P(PlayComponentTest, StartsWithTheComponentSuffix) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  av->SetMediaURL(nullptr, "http://tv/stream");
  av->stAVObjMember.mdisplayArea = {10, -20, 640, 360};
  av->mscreenHeight = 720;

  EXPECT_EQ(av->Play(nullptr, 1, GetParam().type), 1);

  const Commands expected = {
      {"InitPlayer", {GetParam().sentUrl, "", "", ""}},
      {"SetDisplayArea", {"10", "-20", "640", "360", "1080", "", "", "", "", ""}},
      {"SetPlaybackSpeed", {"1", "", "", ""}},
      {"StartPlayback", kNoParams}};
  EXPECT_EQ(Sent(), expected);
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_CONNECTING);
  std::string url;
  av->GetMediaURL(nullptr, url);
  EXPECT_EQ(url, "http://tv/stream");

  // The page hears of the state only from the main loop, after Play.
  EXPECT_TRUE(browser.CallsOf(onChange).empty());
  browser.RunPendingAsyncCalls();
  ASSERT_EQ(browser.CallsOf(onChange).size(), 1u);
  EXPECT_EQ(browser.CallsOf(onChange)[0].args, Strings({"3", ""}));

  // Built afresh each time: a second play after a stop sends one suffix.
  av->Stop(nullptr);
  Connection()->ClearReceived();
  av->Play(nullptr, 1, GetParam().type);
  EXPECT_EQ(Sent()[0], expected[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Types, PlayComponentTest,
    ::testing::Values(ComponentCase{eCOMPONENT_HAS, "http://tv/stream|COMPONENT=HAS"},
                      ComponentCase{eCOMPONENT_HLS, "http://tv/stream|COMPONENT=HLS"},
                      ComponentCase{eCOMPONENT_OTHER, "http://tv/stream"},
                      ComponentCase{static_cast<COMPONENT_TYPE>(2), "http://tv/stream"}));

TEST_F(AVObjectTest, PlayWhilePlayingSendsNothing) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  for (int speed : {1, 2, 0, -1}) {
    av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PLAY;
    EXPECT_EQ(av->Play(nullptr, speed, eCOMPONENT_OTHER), 1);
  }
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(av->GetSpeed(nullptr), 1);
  browser.RunPendingAsyncCalls();
  EXPECT_TRUE(browser.CallsOf(onChange).empty());
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo,
                                      "Currently playing, don't need play again!!!"));
}

TEST_F(AVObjectTest, RefusedInitPlayerStopsThePlay) {
  for (const char* answer : {"E", "Atext", "I0", "I2", ""}) {
    NPObject* onChange = Function();
    av->SetonPlayStateChange(nullptr, nullptr, onChange);
    Connection()->ClearReceived();
    testbrowser::ClearCapturedLog();
    Answer("InitPlayer", answer);

    EXPECT_EQ(av->Play(nullptr, 2, eCOMPONENT_OTHER), 0) << answer;
    EXPECT_EQ(SentNames(), Strings({"InitPlayer"})) << answer;
    EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_ERROR);
    EXPECT_EQ(av->GetSpeed(nullptr), 1);
    browser.RunPendingAsyncCalls();
    EXPECT_EQ(FirstArguments(onChange), Strings({"6"})) << answer;
    EXPECT_TRUE(testbrowser::HasLogLine(nplog::kFailure, "InitPlayer failed"));
    EXPECT_TRUE(testbrowser::HasLogLine(
        nplog::kFailure, "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR"));
  }
}

TEST_F(AVObjectTest, RefusedStartPlaybackNotifiesConnectingThenError) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  Answer("StartPlayback", "I0");
  EXPECT_EQ(av->Play(nullptr, 2, eCOMPONENT_OTHER), 0);
  EXPECT_EQ(SentNames(), Strings({"InitPlayer", "SetDisplayArea",
                                  "SetPlaybackSpeed", "StartPlayback"}));
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_ERROR);
  EXPECT_EQ(av->GetSpeed(nullptr), 1);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(onChange), Strings({"3", "6"}));
}

TEST_F(AVObjectTest, PlayStoresItsSpeedOnceStarted) {
  Answer("SetPlaybackSpeed", "E");  // a refused speed is no failure
  EXPECT_EQ(av->Play(nullptr, 2, eCOMPONENT_OTHER), 1);
  EXPECT_EQ(Sent()[2], (zor::ReceivedCommand{"SetPlaybackSpeed", {"2", "", "", ""}}));
  EXPECT_EQ(av->GetSpeed(nullptr), 2);
  av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE;
  av->Play(nullptr, -7, eCOMPONENT_OTHER);
  EXPECT_EQ(Sent()[6], (zor::ReceivedCommand{"SetPlaybackSpeed", {"-7", "", "", ""}}));
  EXPECT_EQ(av->GetSpeed(nullptr), -7);
}

struct TransportCase {
  const char* name;
  int (CPlRuvoAVObject::*operation)(_NPPluginObjInfo*);
  const char* command;
  const char* answer;
  int result;
  int state;
  int speed;     // after the call; it starts at 3
  int position;  // after the call; it starts at 5000
};

class TransportTest : public AVObjectTest,
                      public ::testing::WithParamInterface<TransportCase> {};

TEST_P(TransportTest, SetsTheStateFromTheAnswer) {
  const TransportCase& c = GetParam();
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  av->stAVObjMember.mspeed = 3;
  av->stAVObjMember.mplayPosition = 5000;
  Answer(c.command, c.answer);

  // Every state sends the command and notifies, also an unchanged one.
  for (int startState : {c.state, static_cast<int>(eAVOBJ_PLAYSTATE_STOP)}) {
    av->stAVObjMember.mplayState = startState;
    EXPECT_EQ((av.get()->*c.operation)(nullptr), c.result);
    Answer(c.command, c.answer);
  }
  EXPECT_EQ(Sent(), Commands({{c.command, kNoParams}, {c.command, kNoParams}}));
  EXPECT_EQ(State(), c.state);
  EXPECT_EQ(av->GetSpeed(nullptr), c.speed);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, c.position);
  browser.RunPendingAsyncCalls();
  const std::string digit = std::to_string(c.state);
  EXPECT_EQ(FirstArguments(onChange), Strings({digit, digit}));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, TransportTest,
    ::testing::Values(
        TransportCase{"StopAccepted", &CPlRuvoAVObject::Stop, "Stop", "I1", 1, 0, 0, 0},
        TransportCase{"StopRefused", &CPlRuvoAVObject::Stop, "Stop", "I0", 0, 6, 3, 5000},
        TransportCase{"PauseAccepted", &CPlRuvoAVObject::Pause, "Pause", "I1", 1, 2, 3, 5000},
        TransportCase{"PauseRefused", &CPlRuvoAVObject::Pause, "Pause", "E", 0, 6, 3, 5000},
        TransportCase{"ResumeAccepted", &CPlRuvoAVObject::Resume, "Resume", "I1", 1, 1, 3, 5000},
        TransportCase{"ResumeRefused", &CPlRuvoAVObject::Resume, "Resume", "Ayes", 0, 6, 3, 5000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AVObjectTest, RefusalsLogAtTheirLevels) {
  Answer("Stop", "E");
  Answer("Pause", "E");
  av->Stop(nullptr);
  EXPECT_TRUE(testbrowser::HasLogLine(
      nplog::kTrace, "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR"));
  EXPECT_FALSE(testbrowser::HasLogLine(
      nplog::kFailure, "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR"));
  av->Pause(nullptr);
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kTrace, "Pausing..."));
  EXPECT_TRUE(testbrowser::HasLogLine(
      nplog::kFailure, "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR"));
}

struct SeekCase {
  int position;  // milliseconds
  int target;    // seconds
  const char* command;  // null: nothing sent
  const char* seconds;
  int result;
};

class SeekTest : public AVObjectTest, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(SeekTest, JumpsRelativeToTheReportedSecond) {
  const SeekCase& c = GetParam();
  av->stAVObjMember.mplayPosition = c.position;
  EXPECT_EQ(av->Seek(nullptr, c.target), c.result);
  if (c.command == nullptr) {
    EXPECT_TRUE(Sent().empty());
  } else {
    EXPECT_EQ(Sent(), Commands({{c.command, {c.seconds, "", "", ""}}}));
  }
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_STOP);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SeekTest,
    ::testing::Values(SeekCase{65000, 70, "JumpForward", "5", 1},
                      SeekCase{65000, 60, "JumpBackward", "5", 1},
                      SeekCase{65000, 63, nullptr, nullptr, 1},
                      SeekCase{65000, 65, nullptr, nullptr, 1},
                      SeekCase{65000, 67, nullptr, nullptr, 1},
                      SeekCase{65000, 68, "JumpForward", "3", 1},
                      SeekCase{65999, 68, "JumpForward", "3", 1},
                      SeekCase{65000, 62, "JumpBackward", "3", 1},
                      SeekCase{999, 100, nullptr, nullptr, 0},
                      SeekCase{0, 100, nullptr, nullptr, 0},
                      SeekCase{10000, -5, "JumpBackward", "15", 1},
                      SeekCase{10000, -2147483647 - 1, "JumpBackward", "2147483647", 1},
                      SeekCase{1000, 2147483647, "JumpForward", "2147483646", 1},
                      // A negative position reads as a large unsigned one.
                      SeekCase{-1, 4294967, nullptr, nullptr, 1}));

TEST_F(AVObjectTest, RefusedJumpChangesNothing) {
  av->stAVObjMember.mplayPosition = 65000;
  Answer("JumpForward", "I0");
  EXPECT_EQ(av->Seek(nullptr, 80), 0);
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_STOP);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(browser.PendingAsyncCalls(), 0u);
}

TEST_F(AVObjectTest, QueriesPassOnPositiveAnswers) {
  const struct {
    const char* answer;
    bool ok;
    unsigned long value;  // the output, which starts at 9
  } cases[] = {{"I120000", true, 120000}, {"I0", false, 9}, {"I-5", false, 9},
               {"E", false, 9}, {"A120", false, 9}};
  for (const auto& c : cases) {
    Answer("GetDuration", c.answer);
    Answer("GetPlayPosition", c.answer);
    unsigned long duration = 9, position = 9;
    EXPECT_EQ(av->GetPlayTime(nullptr, &duration), c.ok) << c.answer;
    EXPECT_EQ(av->GetPlayPosition(nullptr, &position), c.ok) << c.answer;
    EXPECT_EQ(duration, c.value);
    EXPECT_EQ(position, c.value);
  }
  Connection()->ClearReceived();
  EXPECT_FALSE(av->GetPlayTime(nullptr, nullptr));
  EXPECT_FALSE(av->GetPlayPosition(nullptr, nullptr));
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace avtest
