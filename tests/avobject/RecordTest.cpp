// The AV object's record, its fixed answers and the service results it
// reads; the video-service connection and its OSD resolution query.
#include <gtest/gtest.h>

#include <chrono>

#include "AVObjectFixture.h"
#include "service/ZorBase.h"
#include "service/plRuvoVideo.h"

namespace avtest {
namespace {

TEST(ResultReaders, ReadOnlyTheirOwnTag) {
  // A result; GetInteger's answer and output (from 77); IsError's answer;
  // GetASCII's answer and output (from "old").
  const struct {
    const char* result;
    int integer, value, error, ascii;
    const char* text;
  } cases[] = {
      {"I1", 1, 1, 0, 0, "old"},           {"I", 1, 0, 0, 0, "old"},
      {"I-3", 1, -3, 0, 0, "old"},         {"I12abc", 1, 12, 0, 0, "old"},
      {"I  +42", 1, 42, 0, 0, "old"},      {"I99999999999", 1, 2147483647, 0, 0, "old"},
      {"I-99999999999", 1, -2147483647 - 1, 0, 0, "old"},
      {"", 0, 77, 0, 0, "old"},            {"1", 0, 77, 0, 0, "old"},
      {"A1", 0, 77, 0, 1, "1"},            {"E", 0, 77, 1, 0, "old"},
      {"i1", 0, 77, 0, 0, "old"},          {"Eanything", 0, 77, 1, 0, "old"},
      {"e", 0, 77, 0, 0, "old"},           {"AE", 0, 77, 0, 1, "E"},
      {"Ahello", 0, 77, 0, 1, "hello"},    {"A", 0, 77, 0, 1, ""},
  };
  for (const auto& c : cases) {
    std::string result = c.result;
    int value = 77;
    EXPECT_EQ(CZorBase::GetInteger(result, &value), c.integer) << c.result;
    EXPECT_EQ(value, c.value) << c.result;
    EXPECT_EQ(CZorBase::IsError(result), c.error) << c.result;
    std::string text = "old";
    EXPECT_EQ(CZorBase::GetASCII(result, text), c.ascii) << c.result;
    EXPECT_EQ(text, c.text) << c.result;
    char buffer[16] = "old\0xxxxxxxxxxx";  // the reader writes the terminator itself
    EXPECT_EQ(CZorBase::GetASCII(result, buffer), c.ascii) << c.result;
    EXPECT_EQ(std::string(buffer, strnlen(buffer, sizeof buffer)), c.text) << c.result;
  }
  std::string result = "I1";
  EXPECT_EQ(CZorBase::GetInteger(result, nullptr), 0);
  result = "Atext";
  EXPECT_EQ(CZorBase::GetASCII(result, static_cast<char*>(nullptr)), 0);
}

TEST_F(AVObjectTest, CommandsSendDecimalTextAndReturnTheResultUnchanged) {
  Connection()->Answer("Query", "Asome text");
  EXPECT_EQ(Run([&] {
              av->Execute(nullptr, "Cmd", -2147483647 - 1, "s", 0, 42);
              av->Execute(nullptr, "Cmd", "s", 1, -1, 7);
              av->Execute(nullptr, "Cmd", 1, 2, 3, 4);
              av->ExecuteWithTenParameters(nullptr, "Ten", "1", "2", "3", "4", "5", "6", "7",
                                           "8", "9", "10");
              EXPECT_EQ(av->Execute("Query", "", "", "", ""), "Asome text");
            }),
            Lines({"> Cmd -2147483648|s|0|42", "> Cmd s|1|-1|7", "> Cmd 1|2|3|4",
                   "> Ten 1|2|3|4|5|6|7|8|9|10", "> Query |||"}));
  zor::UnregisterAllServices();
  CPlRuvoAVObject unserved;
  EXPECT_EQ(unserved.Execute("Stop", "", "", "", ""), "E");
  EXPECT_EQ(unserved.Stop(nullptr), 0);
  EXPECT_EQ(unserved.stAVObjMember.mplayState, eAVOBJ_PLAYSTATE_ERROR);
}

TEST_F(AVObjectTest, InitTakesTheFirstExactDataAttribute) {
  const struct {
    int count;
    const char* names[2];
    const char* values[2];
    const char* url;
  } cases[] = {{2, {"data", "data"}, {"first", "second"}, "first"},
               {2, {"type", "data"}, {"video/x", "url"}, "url"},
               {2, {"DATA", "Data"}, {"a", "b"}, ""},
               {1, {"width"}, {"100"}, ""},
               {0, {}, {}, ""}};
  for (const auto& c : cases) {
    CPlRuvoAVObject object;
    EXPECT_EQ(object.Init(c.count, const_cast<char**>(c.names), const_cast<char**>(c.values)), 1);
    std::string url;
    object.GetMediaURL(nullptr, url);
    EXPECT_EQ(url, c.url);
  }
}

// A new object starts stopped at normal speed. The operations kept for the
// interface's sake answer fixed values, keep nothing they are not meant to
// keep, and send nothing.
TEST_F(AVObjectTest, NewObjectAndItsAccessorsAnswerTheirFixedValues) {
  NPObject* function = Function();
  char name[] = "n";
  unsigned long out = 7;
  std::string text = "5";
  CPlRuvoAVObject& o = *av;
  const std::pair<int, int> answers[] = {
      {State(), eAVOBJ_PLAYSTATE_STOP},
      {o.GetSpeed(nullptr), 1},
      {o.stAVObjMember.mplayPosition, 0},
      {o.mscreenHeight, -1},
      {o.GetCurTrackId(nullptr), 0},
      {o.GetError(nullptr), 0},
      {o.next(nullptr), 0},
      {o.previous(nullptr), 0},
      {o.setWidth(nullptr, 100), 1},
      {o.getWidth(nullptr), 0},
      {o.setHeight(nullptr, 100), 1},
      {o.getHeight(nullptr), 0},
      {o.getDataType(nullptr), 0},
      {o.setMaxPrerollBufferSize(300), 1},
      {o.getMaxPrerollBufferSize(nullptr), 300},
      {o.isFullSize(1, 2, 3, 4), 1},
      {o.GetNrTracks(nullptr), 1},
      {o.GetPersist(nullptr), 1},
      {o.SetPersist(nullptr, false), 1},
      {o.SetonFullScreenChange(nullptr, name, function), 1},
      {o.SetonPrerollBufferReady(nullptr, name, function), 1},
      {o.FullScreenChangeCallback(nullptr), 1},
      {o.CheckPluginType(name), 2},
      {o.setPlayerBufferSize(nullptr, 9), 1},
      {o.setPrerollBufferSize(nullptr, 9), 0},
      {o.GetSAP(nullptr), 0},
      {o.GetCurrentSAP(nullptr), 0},
      {o.GetSAPLan(nullptr, 1), 0},
      {o.SetSAP(nullptr, 1), 1},
      {o.SetCurTrackId(nullptr, 65535), 1},
      {o.GetCurTrackId(nullptr), 65535},
      {o.GetUnsignedLong(text, &out), 1},
  };
  for (size_t i = 0; i < std::size(answers); ++i) {
    EXPECT_EQ(answers[i].first, answers[i].second) << "operation " << i;
  }
  for (int state = 0; state <= 6; ++state) {
    o.stAVObjMember.mplayState = state;
    EXPECT_EQ(o.IsPause(), state == eAVOBJ_PLAYSTATE_PAUSE) << state;
  }
  EXPECT_STREQ(o.GetSinkProtocolInfo(nullptr), "");
  char* untouched = name;
  EXPECT_STREQ(o.getParamAttr("data", 1, &untouched, &untouched), "");
  EXPECT_EQ(out, 7u);
  EXPECT_EQ(std::string(name), "n");  // neither stored nor freed
  EXPECT_TRUE(Connection()->Received().empty());
}

// The player is opened once: a refusal is not retried. The video service,
// which may still be starting, is retried after short pauses.
TEST_F(AVObjectTest, PlayerOpensOnceAndVideoRetriesARefusingServiceWithPauses) {
  player->RefuseConnections(1);
  CPlRuvoAVObject unopened;
  EXPECT_EQ(player->Attempts(), (std::vector<zor::ConnectAttempt>{{"1.000", "Player", true},
                                                                  {"1.000", "Player", false}}));
  const zor::ConnectAttempt refused{"1.000", "Video", false}, accepted{"1.000", "Video", true};
  const struct {
    int refusals;
    std::vector<zor::ConnectAttempt> attempts;
    int pauses;    // of 10 ms, one after each failed attempt
    int reopened;  // what Open answers when called again on the object
  } cases[] = {{0, {accepted}, 0, 1},
               {2, {refused, refused, accepted}, 2, 1},
               {100, {refused, refused, refused, refused, refused}, 5, 0}};
  for (const auto& c : cases) {
    auto service = std::make_shared<zor::ScriptedService>();
    service->RefuseConnections(c.refusals);
    zor::RegisterService("Video", service);
    const auto start = std::chrono::steady_clock::now();
    CPlRuvoVideo osd;
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(10 * c.pauses));
    // Generous, for loaded machines and emulators, yet well short of what
    // pauses ten times as long would take.
    EXPECT_LT(took, std::chrono::milliseconds(30 * c.pauses + 200));
    EXPECT_EQ(service->Attempts(), c.attempts);
    // Never connected, the query is answered "E" by the library; connected,
    // with the service's fallback "I1".
    EXPECT_EQ(osd.m_osdResolution, c.attempts.back().accepted ? 1 : 5);
    EXPECT_EQ(osd.Open("Video", "1.000", "Video"), c.reopened);
  }
}

TEST_F(AVObjectTest, OsdHeightFollowsTheResolutionCodeAndEventsAreIgnored) {
  const struct {
    const char* answer;
    int code;
    int height;
  } cases[] = {{"I0", 0, 540},     {"I1", 1, 768}, {"I2", 2, 768},      {"I3", 3, 1080},
               {"I5", 5, 1080},    {"I-1", -1, 1080}, {"I2abc", 2, 768}, {"E", 5, 1080},
               {"Atext", -1, 1080}, {"", -1, 1080}};
  for (const auto& c : cases) {
    video->SetDefault("GetOSDResolution", c.answer);
    testbrowser::ClearTranscript();
    CPlRuvoVideo osd;
    EXPECT_EQ(osd.m_osdResolution, c.code) << c.answer;
    EXPECT_EQ(osd.m_osdHeight, c.height) << c.answer;
    Lines expected = {"5 GetOSDResolution:  ", "> GetOSDResolution |||"};
    // An error answer is the one that is not logged.
    if (std::string(c.answer) != "E") {
      expected.push_back("5 GetOSDResolution: [GetOSDResolution]:" + std::to_string(c.code));
    }
    EXPECT_EQ(testbrowser::TakeTranscript(), expected) << c.answer;
    EXPECT_EQ(osd.OnEvent(7, "a", "b"), 1);
    const auto connection = video->Connection(video->ConnectionCount() - 1);
    connection->Emit(8, "", "");
    EXPECT_TRUE(connection->WaitDelivered());
    EXPECT_EQ(osd.m_osdResolution, c.code);
  }
}

}  // namespace
}  // namespace avtest
