// Play, stop, pause, resume, seek, the position queries, the display area
// and full screen, each compared as a whole: commands, log lines, state,
// result and page calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "AVObjectFixture.h"

namespace avtest {
namespace {

constexpr int kAllStatesButPlay[] = {eAVOBJ_PLAYSTATE_STOP,      eAVOBJ_PLAYSTATE_PAUSE,
                                     eAVOBJ_PLAYSTATE_CONNECTING, eAVOBJ_PLAYSTATE_BUFFERING,
                                     eAVOBJ_PLAYSTATE_FINISHED,  eAVOBJ_PLAYSTATE_ERROR};

// What SetDisplayArea writes and sends for one rectangle and one answer.
Lines AreaLines(int x, int y, int w, int h, bool accepted) {
  const auto n = [](int value) { return std::to_string(value); };
  return {"4 SetDisplayArea: SetDisplayArea:[" + n(x) + "][" + n(y) + "][" + n(w) + "][" + n(h) +
              "][720]",
          "> SetDisplayArea " + n(x) + "|" + n(y) + "|" + n(w) + "|" + n(h) + "|1080|||||",
          std::string("5 SetDisplayArea: [SetDisplayArea:") + (accepted ? "1" : "0") + "]"};
}

const Lines kPlayOpening = {"5 Play: start playing",
                            "> InitPlayer http://tv/a|COMPONENT=HAS|||",
                            "4 Play: [http://tv/a|COMPONENT=HAS][][][]"};
const Lines kPlayFailed =
    Lines{StateLine(2, "Play", eAVOBJ_PLAYSTATE_ERROR)} + Notified(Form::kFunction, "6");

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
      if (*command) Connection()->Answer(command, answer);
      int result = -1;
      EXPECT_EQ(Run([&] { result = av->Play(nullptr, 2, eCOMPONENT_HAS); }), row.transcript)
          << "from " << from << ", " << command << " " << answer;
      EXPECT_EQ(result, row.result);
      EXPECT_EQ(State(), row.state);
      EXPECT_EQ(av->GetSpeed(nullptr), row.speed);
    }
  }
}

const Lines kStarted = kPlayOpening + Lines{StateLine(5, "Play", eAVOBJ_PLAYSTATE_CONNECTING)} +
                       Notified(Form::kFunction, "3") + AreaLines(10, -20, 640, 360, true) +
                       Lines{"4 Play: [10][-20][640][360]", "4 Play: SetPlaybackSpeed:[2][][][]",
                             "> SetPlaybackSpeed 2|||", "> StartPlayback |||"};

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
                    Lines{"page f(6,)"}},
        PlayRow{"StartPlaybackRefused", {eAVOBJ_PLAYSTATE_STOP},
                {{"StartPlayback", "I0"}, {"StartPlayback", "E"}}, 0, eAVOBJ_PLAYSTATE_ERROR, 1,
                kStarted + kPlayFailed + Lines{"page f(3,)", "page f(6,)"}},
        PlayRow{"AlreadyPlaying", {eAVOBJ_PLAYSTATE_PLAY}, {{"", ""}}, 1, eAVOBJ_PLAYSTATE_PLAY,
                1, {"5 Play: start playing", "4 Play: Currently playing, don't need play again!!!"}}),
    [](const auto& info) { return std::string(info.param.name); });

// An event landing between an operation's own state change and its
// notification does not change the digit the page hears.
TEST_F(AVObjectTest, AnOperationNotifiesTheStateItSet) {
  NPObject* onChange = Register(Form::kFunction);
  testbrowser::SetLogObserver([this](const testbrowser::LogLine& line) {
    if (line.text.rfind("stAVObjMember.mplayState = ", 0) == 0) {
      av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PLAY;  // as event 7 would
    }
  });
  Connection()->Answer("StartPlayback", "I0");
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
  Lines opening;  // what is written before the command is sent
  const char* answer;
  int result;
  int level;  // of the state line
  int state;
  int speed;     // after the call; it starts at 3
  int position;  // after the call; it starts at 5000
};

class TransportTest : public AVObjectTest,
                      public ::testing::WithParamInterface<TransportRow> {};

TEST_P(TransportTest, SendsItsCommandFromEveryStateAndNotifies) {
  const TransportRow& row = GetParam();
  Register(Form::kName);
  const std::string digit = std::to_string(row.state);
  const Lines transcript = row.opening +
                           Lines{std::string("> ") + row.command + " |||",
                                 StateLine(row.level, row.command, row.state)} +
                           Notified(Form::kName, digit) + Delivered(Form::kName, digit, "");
  for (int from = eAVOBJ_PLAYSTATE_STOP; from <= eAVOBJ_PLAYSTATE_ERROR; ++from) {
    av->stAVObjMember.mplayState = from;
    av->stAVObjMember.mspeed = 3;
    av->stAVObjMember.mplayPosition = 5000;
    Connection()->Answer(row.command, row.answer);
    int result = -1;
    EXPECT_EQ(Run([&] { result = (av.get()->*row.operation)(nullptr); }), transcript)
        << "from " << from;
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(State(), row.state);
    EXPECT_EQ(av->GetSpeed(nullptr), row.speed);
    EXPECT_EQ(av->stAVObjMember.mplayPosition, row.position);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TransportTest,
    ::testing::Values(
        TransportRow{"StopAccepted", &CPlRuvoAVObject::Stop, "Stop", {}, "I1", 1, 5, 0, 0, 0},
        TransportRow{"StopRefused", &CPlRuvoAVObject::Stop, "Stop", {}, "I0", 0, 5, 6, 3, 5000},
        TransportRow{"PauseAccepted", &CPlRuvoAVObject::Pause, "Pause", {"5 Pause: Pausing..."},
                     "I1", 1, 5, 2, 3, 5000},
        TransportRow{"PauseRefused", &CPlRuvoAVObject::Pause, "Pause", {"5 Pause: Pausing..."},
                     "E", 0, 2, 6, 3, 5000},
        TransportRow{"ResumeAccepted", &CPlRuvoAVObject::Resume, "Resume",
                     {"5 Resume: Resume()!"}, "I1", 1, 5, 1, 3, 5000},
        TransportRow{"ResumeRefused", &CPlRuvoAVObject::Resume, "Resume",
                     {"5 Resume: Resume()!"}, "Ayes", 0, 2, 6, 3, 5000}),
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
  Connection()->Answer("JumpForward", row.answer);
  Connection()->Answer("JumpBackward", row.answer);
  int result = -1;
  EXPECT_EQ(Run([&] { result = av->Seek(nullptr, row.target); }), row.transcript);
  EXPECT_EQ(result, row.result);
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_PAUSE);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, row.position);
}

// What Seek writes from `current` seconds to `target` before it decides.
Lines Seeking(int current, int target) {
  const std::string c = std::to_string(current);
  return {"4 Seek: current pos:[" + c + "], seek to:[" + std::to_string(target) + "]\n",
          "4 Seek: CPlRuvoAVObject::Seek,current pos:[" + c + "]\n"};
}

Lines Jumped(int current, int target, const std::string& direction, const std::string& seconds) {
  const std::string command = direction == "forward" ? "JumpForward" : "JumpBackward";
  return Seeking(current, target) +
         Lines{"4 Seek: CPlRuvoAVObject::Seek, jump " + direction + " secs:[" + seconds + "]\n",
               "> " + command + " " + seconds + "|||"};
}

Lines NotJumped(int current, int target) {
  return Seeking(current, target) +
         Lines{"4 Seek: Don't need to do seek, current position = " + std::to_string(current) +
               " -> " + std::to_string(target)};
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SeekTest,
    ::testing::Values(
        SeekRow{65000, 70, "I1", 1, Jumped(65, 70, "forward", "5")},
        SeekRow{65000, 60, "I1", 1, Jumped(65, 60, "backward", "5")},
        SeekRow{65000, 80, "I0", 0, Jumped(65, 80, "forward", "15")},
        SeekRow{65000, 50, "E", 0, Jumped(65, 50, "backward", "15")},
        SeekRow{65000, 63, "I1", 1, NotJumped(65, 63)},
        SeekRow{65000, 67, "I1", 1, NotJumped(65, 67)},
        SeekRow{65999, 68, "I1", 1, Jumped(65, 68, "forward", "3")},
        SeekRow{65000, 62, "I1", 1, Jumped(65, 62, "backward", "3")},
        SeekRow{999, 100, "I1", 0, {"4 Seek: current pos:[0], seek to:[100]\n"}},
        SeekRow{10000, -5, "I1", 1, Jumped(10, -5, "backward", "15")},
        SeekRow{10000, INT32_MIN, "I1", 1, Jumped(10, INT32_MIN, "backward", "2147483647")},
        SeekRow{1000, INT32_MAX, "I1", 1, Jumped(1, INT32_MAX, "forward", "2147483646")},
        // A negative position reads as a large unsigned one.
        SeekRow{-1, 4294967, "I1", 1, NotJumped(4294967, 4294967)}));

TEST_F(AVObjectTest, QueriesPassOnPositiveAnswers) {
  const struct {
    const char* answer;
    bool ok;
    unsigned long value;  // the output, which starts at 9
    const char* logged;
  } cases[] = {{"I120000", true, 120000, "120000"}, {"I0", false, 9, "0"},
               {"I-5", false, 9, "-5"}, {"E", false, 9, "0"}, {"A120", false, 9, "0"}};
  for (const auto& c : cases) {
    Connection()->Answer("GetDuration", c.answer);
    Connection()->Answer("GetPlayPosition", c.answer);
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
    EXPECT_EQ(std::make_tuple(durationOk, positionOk, duration, position),
              std::make_tuple(c.ok, c.ok, c.value, c.value));
  }
  // Without an output nothing is asked.
  EXPECT_FALSE(av->GetPlayTime(nullptr, nullptr));
  EXPECT_FALSE(av->GetPlayPosition(nullptr, nullptr));
  EXPECT_EQ(testbrowser::TakeTranscript(), Lines{});
}

TEST_F(AVObjectTest, SetDisplayAreaSendsValuesAsTheyComeAndAcceptsOnlyTheIntegerOne) {
  av->mscreenHeight = 720;
  const struct {
    int x, y, w, h;
    const char* answer;
    int result;
  } cases[] = {{-10, 0, 0, 0, "I1", 1}, {INT32_MAX, INT32_MIN, 5000, 1, "I1", 1},
               {1, 2, 3, 4, "I0", 0}, {1, 2, 3, 4, "A1", 0}};
  for (const auto& c : cases) {
    Connection()->Answer("SetDisplayArea", c.answer);
    int result = -1;
    EXPECT_EQ(Run([&] { result = av->SetDisplayArea(c.x, c.y, c.w, c.h); }),
              AreaLines(c.x, c.y, c.w, c.h, c.result == 1));
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
      {true, "I1", 1, entry + AreaLines(0, 0, 1920, 1080, true)},
      {true, "I1", 1, entry},
      // A refused area still leaves full screen, back to the area last
      // recorded, changes made while in full screen included.
      {false, "E", 0,
       entry + Lines{"4 SetFullScreen: x: 150, y: 0, w: 1920, h: 1080\n"} +
           AreaLines(150, 0, 1920, 1080, false)},
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
