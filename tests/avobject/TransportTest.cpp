// Play, stop, pause, resume, seek, the position queries, the display area
// and full screen, each compared as a whole: commands, log lines, state,
// result and page calls.
#include <gtest/gtest.h>

#include "AVObjectFixture.h"

namespace avtest {
namespace {

constexpr int kAllStatesButPlay[] = {eAVOBJ_PLAYSTATE_STOP,      eAVOBJ_PLAYSTATE_PAUSE,
                                     eAVOBJ_PLAYSTATE_CONNECTING, eAVOBJ_PLAYSTATE_BUFFERING,
                                     eAVOBJ_PLAYSTATE_FINISHED,  eAVOBJ_PLAYSTATE_ERROR};

const Lines kPlayOpening = {"5 Play: start playing",
                            "> InitPlayer http://tv/a|COMPONENT=HAS|||",
                            "4 Play: [http://tv/a|COMPONENT=HAS][][][]"};
const Lines kConnecting = {"5 Play: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_CONNECTING"};
const Lines kPlacedAndStarted = {"4 SetDisplayArea: SetDisplayArea:[10][-20][640][360][720]",
                                 "> SetDisplayArea 10|-20|640|360|1080|||||",
                                 "5 SetDisplayArea: [SetDisplayArea:1]",
                                 "4 Play: [10][-20][640][360]",
                                 "4 Play: SetPlaybackSpeed:[2][][][]",
                                 "> SetPlaybackSpeed 2|||",
                                 "> StartPlayback |||"};
const Lines kPlayFailed = {"2 Play: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR"};

struct PlayRow {
  const char* name;
  std::vector<int> fromStates;
  std::vector<std::pair<const char*, const char*>> answers;  // each tried alone
  int result;
  int state;
  int speed;  // it starts at 1
  Lines transcript;
};

class PlayTest : public AVObjectTest, public ::testing::WithParamInterface<PlayRow> {};

TEST_P(PlayTest, SendsItsSequenceAndNotifiesEachChange) {
  const PlayRow& row = GetParam();
  Register(Form::kFunction);
  av->SetMediaURL(nullptr, "http://tv/a");
  av->stAVObjMember.mdisplayArea = {10, -20, 640, 360};
  av->stAVObjMember.mfullScreen = true;  // the element's area is sent all the same
  av->mscreenHeight = 720;
  for (int from : row.fromStates) {
    for (const auto& [command, answer] : row.answers) {
      av->stAVObjMember.mplayState = from;
      av->stAVObjMember.mspeed = 1;
      if (*command) Answer(command, answer);
      int result = -1;
      EXPECT_EQ(Run([&] { result = av->Play(nullptr, 2, eCOMPONENT_HAS); }), row.transcript)
          << "from " << from << ", " << command << " " << answer;
      EXPECT_EQ(result, row.result);
      EXPECT_EQ(State(), row.state);
      EXPECT_EQ(av->GetSpeed(nullptr), row.speed);
    }
  }
  std::string url;
  av->GetMediaURL(nullptr, url);
  EXPECT_EQ(url, "http://tv/a");  // the suffix is sent, not kept
}

const Lines kStarted = kPlayOpening + kConnecting + Notified(Form::kFunction, "3") +
                       kPlacedAndStarted;

// A refused speed is no failure.
INSTANTIATE_TEST_SUITE_P(
    Rows, PlayTest,
    ::testing::Values(
        PlayRow{"Starts", {std::begin(kAllStatesButPlay), std::end(kAllStatesButPlay)},
                {{"", ""}, {"SetPlaybackSpeed", "E"}}, 1, eAVOBJ_PLAYSTATE_CONNECTING, 2,
                kStarted + Lines{"page f(3,)"}},
        PlayRow{"InitPlayerRefused", {eAVOBJ_PLAYSTATE_STOP, eAVOBJ_PLAYSTATE_PAUSE},
                {{"InitPlayer", "E"}, {"InitPlayer", "Atext"}, {"InitPlayer", "I0"},
                 {"InitPlayer", "I2"}, {"InitPlayer", ""}},
                0, eAVOBJ_PLAYSTATE_ERROR, 1,
                kPlayOpening + Lines{"2 Play: InitPlayer failed"} + kPlayFailed +
                    Notified(Form::kFunction, "6") + Lines{"page f(6,)"}},
        PlayRow{"StartPlaybackRefused", {eAVOBJ_PLAYSTATE_STOP},
                {{"StartPlayback", "I0"}, {"StartPlayback", "E"}}, 0, eAVOBJ_PLAYSTATE_ERROR, 1,
                kStarted + kPlayFailed + Notified(Form::kFunction, "6") +
                    Lines{"page f(3,)", "page f(6,)"}},
        PlayRow{"AlreadyPlaying", {eAVOBJ_PLAYSTATE_PLAY}, {{"", ""}}, 1, eAVOBJ_PLAYSTATE_PLAY,
                1, {"5 Play: start playing", "4 Play: Currently playing, don't need play again!!!"}}),
    [](const auto& info) { return std::string(info.param.name); });

// An event landing between an operation's own state change and its
// notification does not change the digit the page hears.
TEST_F(AVObjectTest, AnOperationNotifiesTheStateItSet) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  testbrowser::SetLogObserver([this](const testbrowser::LogLine& line) {
    if (line.text.rfind("stAVObjMember.mplayState = ", 0) == 0) {
      av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PLAY;  // as event 7 would
    }
  });
  Answer("StartPlayback", "I0");
  av->Play(nullptr, 1, eCOMPONENT_OTHER);
  av->Stop(nullptr);
  testbrowser::SetLogObserver(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(onChange), (std::vector<std::string>{"3", "6", "0"}));
}

struct TransportRow {
  const char* name;
  int (CPlRuvoAVObject::*operation)(_NPPluginObjInfo*);
  const char* command;
  const char* answer;
  int result;
  int state;
  int speed;     // after the call; it starts at 3
  int position;  // after the call; it starts at 5000
  Lines transcript;
};

class TransportTest : public AVObjectTest,
                      public ::testing::WithParamInterface<TransportRow> {};

TEST_P(TransportTest, SendsItsCommandFromEveryStateAndNotifies) {
  const TransportRow& row = GetParam();
  Register(Form::kName);
  for (int from = eAVOBJ_PLAYSTATE_STOP; from <= eAVOBJ_PLAYSTATE_ERROR; ++from) {
    av->stAVObjMember.mplayState = from;
    av->stAVObjMember.mspeed = 3;
    av->stAVObjMember.mplayPosition = 5000;
    Answer(row.command, row.answer);
    int result = -1;
    EXPECT_EQ(Run([&] { result = (av.get()->*row.operation)(nullptr); }), row.transcript)
        << "from " << from;
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(State(), row.state);
    EXPECT_EQ(av->GetSpeed(nullptr), row.speed);
    EXPECT_EQ(av->stAVObjMember.mplayPosition, row.position);
  }
}

Lines TransportLines(const Lines& opening, const std::string& stateLine, const std::string& digit) {
  return opening + Lines{stateLine} + Notified(Form::kName, digit) +
         Delivered(Form::kName, digit, "");
}

const char kErrorLine[] = "stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_ERROR";

INSTANTIATE_TEST_SUITE_P(
    Rows, TransportTest,
    ::testing::Values(
        TransportRow{"StopAccepted", &CPlRuvoAVObject::Stop, "Stop", "I1", 1, 0, 0, 0,
                     TransportLines({"> Stop |||"},
                                    "5 Stop: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_STOP",
                                    "0")},
        TransportRow{"StopRefused", &CPlRuvoAVObject::Stop, "Stop", "I0", 0, 6, 3, 5000,
                     TransportLines({"> Stop |||"}, std::string("5 Stop: ") + kErrorLine, "6")},
        TransportRow{"PauseAccepted", &CPlRuvoAVObject::Pause, "Pause", "I1", 1, 2, 3, 5000,
                     TransportLines({"5 Pause: Pausing...", "> Pause |||"},
                                    "5 Pause: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE",
                                    "2")},
        TransportRow{"PauseRefused", &CPlRuvoAVObject::Pause, "Pause", "E", 0, 6, 3, 5000,
                     TransportLines({"5 Pause: Pausing...", "> Pause |||"},
                                    std::string("2 Pause: ") + kErrorLine, "6")},
        TransportRow{"ResumeAccepted", &CPlRuvoAVObject::Resume, "Resume", "I1", 1, 1, 3, 5000,
                     TransportLines({"5 Resume: Resume()!", "> Resume |||"},
                                    "5 Resume: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PLAY",
                                    "1")},
        TransportRow{"ResumeRefused", &CPlRuvoAVObject::Resume, "Resume", "Ayes", 0, 6, 3, 5000,
                     TransportLines({"5 Resume: Resume()!", "> Resume |||"},
                                    std::string("2 Resume: ") + kErrorLine, "6")}),
    [](const auto& info) { return std::string(info.param.name); });

struct SeekRow {
  int position;  // milliseconds
  int target;    // seconds
  const char* answer;
  int result;
  Lines transcript;
};

class SeekTest : public AVObjectTest, public ::testing::WithParamInterface<SeekRow> {};

TEST_P(SeekTest, JumpsRelativeToTheReportedSecond) {
  const SeekRow& row = GetParam();
  Register(Form::kFunction);
  av->stAVObjMember.mplayPosition = row.position;
  av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE;
  Answer("JumpForward", row.answer);
  Answer("JumpBackward", row.answer);
  int result = -1;
  EXPECT_EQ(Run([&] { result = av->Seek(nullptr, row.target); }), row.transcript);
  EXPECT_EQ(result, row.result);
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_PAUSE);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, row.position);
}

Lines SeekLines(int current, int target, const Lines& rest) {
  const std::string c = std::to_string(current), t = std::to_string(target);
  return Lines{"4 Seek: current pos:[" + c + "], seek to:[" + t + "]\n",
               "4 Seek: CPlRuvoAVObject::Seek,current pos:[" + c + "]\n"} +
         rest;
}

Lines Jump(const char* direction, const char* command, const std::string& seconds) {
  return {std::string("4 Seek: CPlRuvoAVObject::Seek, jump ") + direction + " secs:[" + seconds +
              "]\n",
          std::string("> ") + command + " " + seconds + "|||"};
}

Lines NoJump(int current, int target) {
  return {"4 Seek: Don't need to do seek, current position = " + std::to_string(current) +
          " -> " + std::to_string(target)};
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SeekTest,
    ::testing::Values(
        SeekRow{65000, 70, "I1", 1, SeekLines(65, 70, Jump("forward", "JumpForward", "5"))},
        SeekRow{65000, 60, "I1", 1, SeekLines(65, 60, Jump("backward", "JumpBackward", "5"))},
        SeekRow{65000, 80, "I0", 0, SeekLines(65, 80, Jump("forward", "JumpForward", "15"))},
        SeekRow{65000, 50, "E", 0, SeekLines(65, 50, Jump("backward", "JumpBackward", "15"))},
        SeekRow{65000, 63, "I1", 1, SeekLines(65, 63, NoJump(65, 63))},
        SeekRow{65000, 67, "I1", 1, SeekLines(65, 67, NoJump(65, 67))},
        SeekRow{65999, 68, "I1", 1, SeekLines(65, 68, Jump("forward", "JumpForward", "3"))},
        SeekRow{65000, 62, "I1", 1, SeekLines(65, 62, Jump("backward", "JumpBackward", "3"))},
        SeekRow{999, 100, "I1", 0, {"4 Seek: current pos:[0], seek to:[100]\n"}},
        SeekRow{10000, -5, "I1", 1, SeekLines(10, -5, Jump("backward", "JumpBackward", "15"))},
        SeekRow{10000, -2147483647 - 1, "I1", 1,
                SeekLines(10, -2147483647 - 1,
                          Jump("backward", "JumpBackward", "2147483647"))},
        SeekRow{1000, 2147483647, "I1", 1,
                SeekLines(1, 2147483647, Jump("forward", "JumpForward", "2147483646"))},
        // A negative position reads as a large unsigned one.
        SeekRow{-1, 4294967, "I1", 1, SeekLines(4294967, 4294967, NoJump(4294967, 4294967))}));

TEST_F(AVObjectTest, QueriesPassOnPositiveAnswers) {
  const struct {
    const char* answer;
    bool ok;
    unsigned long value;  // the output, which starts at 9
    const char* logged;
  } cases[] = {{"I120000", true, 120000, "120000"}, {"I0", false, 9, "0"},
               {"I-5", false, 9, "-5"}, {"E", false, 9, "0"}, {"A120", false, 9, "0"}};
  for (const auto& c : cases) {
    Answer("GetDuration", c.answer);
    Answer("GetPlayPosition", c.answer);
    unsigned long duration = 9, position = 9;
    bool durationOk = false, positionOk = false;
    const std::string logged = std::string(":[") + c.logged + "]";
    EXPECT_EQ(Run([&] {
                durationOk = av->GetPlayTime(nullptr, &duration);
                positionOk = av->GetPlayPosition(nullptr, &position);
              }),
              Lines({"> GetDuration |||", "4 GetPlayTime: GetPlayTime" + logged,
                     "> GetPlayPosition |||", "4 GetPlayPosition: GetPlayPosition" + logged}))
        << c.answer;
    EXPECT_EQ(durationOk, c.ok);
    EXPECT_EQ(positionOk, c.ok);
    EXPECT_EQ(duration, c.value);
    EXPECT_EQ(position, c.value);
  }
  EXPECT_EQ(Run([&] {
              EXPECT_FALSE(av->GetPlayTime(nullptr, nullptr));
              EXPECT_FALSE(av->GetPlayPosition(nullptr, nullptr));
            }),
            Lines{});
}

// What SetDisplayArea writes and sends for one rectangle and one answer.
Lines AreaLines(const std::string& x, const std::string& y, const std::string& w,
                const std::string& h, bool accepted, const std::string& screen = "720") {
  return {"4 SetDisplayArea: SetDisplayArea:[" + x + "][" + y + "][" + w + "][" + h + "][" +
              screen + "]",
          "> SetDisplayArea " + x + "|" + y + "|" + w + "|" + h + "|1080|||||",
          std::string("5 SetDisplayArea: [SetDisplayArea:") + (accepted ? "1" : "0") + "]"};
}

TEST_F(AVObjectTest, SetDisplayAreaSendsValuesAsTheyComeAndAcceptsOnlyTheIntegerOne) {
  av->mscreenHeight = 720;
  const struct {
    int x, y, w, h;
    const char* answer;
    int result;
  } cases[] = {{-10, 0, 0, 0, "I1", 1},
               {2147483647, -2147483647 - 1, 5000, 1, "I1", 1},
               {1, 2, 3, 4, "I0", 0},
               {1, 2, 3, 4, "I2", 0},
               {1, 2, 3, 4, "E", 0},
               {1, 2, 3, 4, "A1", 0}};
  for (const auto& c : cases) {
    Answer("SetDisplayArea", c.answer);
    int result = -1;
    EXPECT_EQ(Run([&] { result = av->SetDisplayArea(c.x, c.y, c.w, c.h); }),
              AreaLines(std::to_string(c.x), std::to_string(c.y), std::to_string(c.w),
                        std::to_string(c.h), c.result == 1));
    EXPECT_EQ(result, c.result) << c.answer;
  }
}

TEST_F(AVObjectTest, FullScreenSwitchesOnlyOnChangeAndNeverCallsThePage) {
  Register(Form::kFunction);
  av->mscreenHeight = 720;
  const Lines entry = {"5 SetFullScreen:  "};
  const struct {
    bool on;
    const char* answer;
    int fullScreen;  // after the call
    Lines transcript;
  } steps[] = {
      {false, "I1", 0, entry},  // not in full screen: nothing to do
      {true, "I1", 1, entry + AreaLines("0", "0", "1920", "1080", true)},
      {true, "I1", 1, entry},
      // A refused area still leaves full screen, back to the area last
      // recorded, changes made while in full screen included.
      {false, "E", 0,
       entry + Lines{"4 SetFullScreen: x: 150, y: 0, w: 1920, h: 1080\n"} +
           AreaLines("150", "0", "1920", "1080", false)},
      {false, "I1", 0, entry},
  };
  for (const auto& step : steps) {
    if (step.on) av->stAVObjMember.mdisplayArea.x = 150;  // script moved the element
    player->SetDefault("SetDisplayArea", step.answer);
    EXPECT_EQ(Run([&] { EXPECT_EQ(av->SetFullScreen(nullptr, step.on), 1); }),
              step.transcript);
    EXPECT_EQ(av->isFullScreen(nullptr), step.fullScreen);
  }
}

}  // namespace
}  // namespace avtest
