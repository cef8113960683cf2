// Each script operation on an element, compared as a whole transcript: the
// log lines with their levels and the operation each names, the commands
// sent, the page calls, and the answer script gets.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "LogCapture.h"
#include "PluginHostTest.h"
#include "Transcript.h"

namespace plugintest {
namespace {

using testbrowser::operator+;

class ScriptTranscriptTest : public PluginHostTest {
 protected:
  void SetUp() override {
    PluginHostTest::SetUp();
    npp = PreparedElement();
  }

  Lines Run(const std::function<void(PageScript&)>& operation) {
    PageScript script = Script(npp);
    testbrowser::ClearTranscript();
    operation(script);
    browser.RunPendingAsyncCalls();
    return testbrowser::TakeTranscript();
  }

  NPP npp = nullptr;
};

const char kSetProperty[] = "5 SetProperty: ScriptablePluginObject::SetProperty";
const char kInt32[] = "5 Invoke: (name == plugin_play_id)(NPVARIANT_IS_INT32(args[0]))\n";
const char kDouble[] = "5 Invoke: (name == plugin_play_id)(NPVARIANT_IS_DOUBLE(args[0]))\n";

Lines Notified(const std::string& digit) {
  return {"4 PlayStateChangeCallback: [][" + digit + "][]", "4 PluginCall:  Callback is String= ",
          "4 PluginCall:  Callback is Function= (nil)"};
}

Lines Area(const std::string& x, const std::string& y, const std::string& w,
           const std::string& h) {
  return {"4 SetDisplayArea: SetDisplayArea:[" + x + "][" + y + "][" + w + "][" + h + "][720]",
          "> SetDisplayArea " + x + "|" + y + "|" + w + "|" + h + "|1080|||||",
          "5 SetDisplayArea: [SetDisplayArea:1]"};
}

// An edge written: the element's whole area logged, then sent at once.
Lines Moved(const std::string& edge, const std::string& x, const std::string& y,
            const std::string& w, const std::string& h) {
  return Lines{kSetProperty, "4 SetProperty: [RuvoAVObject::plugin_" + edge + "_id]:[" + x + "][" +
                                 y + "][" + w + "][" + h + "][1.500000][1.500000]\n"} +
         Area(x, y, w, h);
}

const Lines kPlayed = Lines{"5 Play: start playing", "> InitPlayer http://tv/v|||",
                            "4 Play: [http://tv/v][][][]",
                            "5 Play: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_CONNECTING"} +
                      Notified("3") + Area("15", "30", "960", "540") +
                      Lines{"4 Play: [15][30][960][540]", "4 Play: SetPlaybackSpeed:[2][][][]",
                            "> SetPlaybackSpeed 2|||", "> StartPlayback |||"};
const Lines kPaused = Lines{"5 Invoke: m_PlRuvoAVObject::Pause()\n", "5 Pause: Pausing...",
                            "> Pause |||",
                            "5 Pause: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE"} +
                      Notified("2");

struct Row {
  const char* name;
  std::function<std::string(PageScript&)> operation;  // its answer to script
  const char* answer;
  Lines transcript;
};

class ScriptOperationTest : public ScriptTranscriptTest,
                            public ::testing::WithParamInterface<Row> {};

TEST_P(ScriptOperationTest, HasItsWholeTranscript) {
  std::string answer;
  EXPECT_EQ(Run([&](PageScript& script) { answer = GetParam().operation(script); }),
            GetParam().transcript);
  EXPECT_EQ(answer, GetParam().answer);
}

std::string Ok(bool ok) { return ok ? "true" : "false"; }

INSTANTIATE_TEST_SUITE_P(
    Rows, ScriptOperationTest,
    ::testing::Values(
        Row{"PlayDouble",
            [](PageScript& s) { return s.Invoke("play", {Double(2.9)}); }, "int:1",
            Lines{kDouble, "5 Invoke: (name == plugin_play_id)val: 2\n",
                  "5 Invoke: current status:[0]",
                  "5 Invoke: m_PlRuvoAVObject::Play(), speed:[2]\n"} +
                kPlayed},
        Row{"PlayZeroPauses", [](PageScript& s) { return s.Invoke("play", {Int(0)}); }, "int:1",
            Lines{kInt32, "5 Invoke: (name == plugin_play_id)val: 0\n"} + kPaused},
        Row{"PlayOfAnotherTypePauses",
            [](PageScript& s) { return s.Invoke("play", {String("2")}); }, "int:1",
            Lines{"5 Invoke: (name == plugin_play_id)val: 0\n"} + kPaused},
        Row{"PlayWhilePausedResumes",
            [](PageScript& s) {
              s.Invoke("play", {Int(-1)});
              testbrowser::ClearTranscript();
              return s.Invoke("play", {Int(4)});
            },
            "int:1",
            Lines{kInt32, "5 Invoke: (name == plugin_play_id)val: 4\n",
                  "5 Invoke: current status:[2]", "5 Invoke: m_PlRuvoAVObject::Resume()\n",
                  "5 Resume: Resume()!", "> Resume |||",
                  "5 Resume: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PLAY"} +
                Notified("1")},
        Row{"PlayWithoutItsArgument", [](PageScript& s) { return s.Invoke("play"); }, "false",
            {"5 Invoke: (name == plugin_play_id)( argCount != 1 )\n"}},
        Row{"Stop", [](PageScript& s) { return s.Invoke("stop", {Int(3)}); }, "int:1",
            Lines{"> Stop |||", "5 Stop: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_STOP"} +
                Notified("0")},
        Row{"Seek", [](PageScript& s) { return s.Invoke("seek", {Int(70999)}); }, "int:1",
            {kInt32, "5 Invoke: (name == plugin_seek_id)val: 70\n",
             "4 Seek: current pos:[60], seek to:[70]\n",
             "4 Seek: CPlRuvoAVObject::Seek,current pos:[60]\n",
             "4 Seek: CPlRuvoAVObject::Seek, jump forward secs:[10]\n", "> JumpForward 10|||"}},
        Row{"SeekWithTwoArguments",
            [](PageScript& s) { return s.Invoke("seek", {Double(-1500), Int(1)}); }, "int:1",
            {"5 Invoke: (name == plugin_seek_id)( argCount != 1 )\n", kDouble,
             "5 Invoke: (name == plugin_seek_id)val: -1\n",
             "4 Seek: current pos:[60], seek to:[-1]\n",
             "4 Seek: CPlRuvoAVObject::Seek,current pos:[60]\n",
             "4 Seek: CPlRuvoAVObject::Seek, jump backward secs:[61]\n", "> JumpBackward 61|||"}},
        Row{"SeekWithoutArguments", [](PageScript& s) { return s.Invoke("seek"); }, "false",
            {"5 Invoke: (name == plugin_seek_id)( argCount != 1 )\n"}},
        Row{"FullScreenNegative",
            [](PageScript& s) { return s.Invoke("setFullScreen", {Int(-1)}); }, "int:1",
            Lines{kInt32, "5 Invoke: (name == plugin_setFullScreen_id)val: -1\n",
                  "5 SetFullScreen:  "} +
                Area("0", "0", "1920", "1080")},
        Row{"FullScreenBooleanLeaves",
            [](PageScript& s) { return s.Invoke("setFullScreen", {Bool(true)}); }, "int:1",
            {"5 Invoke: (name == plugin_setFullScreen_id)val: 0\n", "5 SetFullScreen:  "}},
        Row{"FullScreenWithoutItsArgument",
            [](PageScript& s) { return s.Invoke("setFullScreen"); }, "false",
            {"5 Invoke: (name == plugin_play_id)( argCount != 1 )\n"}},
        Row{"PluginInfoOfAnotherType",
            [](PageScript& s) { return s.Invoke("GetPluginInfo", {String("a")}); }, "str:",
            {"5 Invoke: GetPluginInfo:: Invalid Argument!"}},
        Row{"ReadData", [](PageScript& s) { return s.Get("data"); }, "str:http://tv/v",
            {"4 GetMediaURL: GetMediaURL:[http://tv/v]"}},
        Row{"ReadPlayTime", [](PageScript& s) { return s.Get("playTime"); }, "int:95000",
            {"> GetDuration |||", "4 GetPlayTime: GetPlayTime:[95000]"}},
        Row{"WriteData", [](PageScript& s) { return Ok(s.Set("data", String("http://tv/x"))); },
            "true", {kSetProperty, "5 SetProperty: urlTemp: http://tv/x", "5 SetMediaURL:  "}},
        Row{"WriteLeft", [](PageScript& s) { return Ok(s.Set("left", Double(100))); }, "true",
            Moved("left", "150", "30", "960", "540")},
        Row{"WriteTop", [](PageScript& s) { return Ok(s.Set("top", Int(-4))); }, "true",
            Moved("top", "15", "-6", "960", "540")},
        Row{"WriteWidth", [](PageScript& s) { return Ok(s.Set("width", Int(100))); }, "true",
            Moved("width", "15", "30", "150", "540")},
        Row{"WriteHeight", [](PageScript& s) { return Ok(s.Set("height", Int(100))); }, "true",
            Moved("height", "15", "30", "960", "150")},
        Row{"RegisterName",
            [](PageScript& s) { return Ok(s.Set("onPlayStateChange", String("cb"))); }, "true",
            {kSetProperty, "5 SetProperty: urlTemp: cb\n",
             "4 SetonPlayStateChange: SetonPlayStateChange functionName = cb\n"}},
        Row{"RegisterProgressObject",
            [](PageScript& s) {
              testbrowser::TestBrowser& b = testbrowser::TestBrowser::Current();
              NPObject* f = b.CreateFunction();
              const bool ok = s.Set("onUpdateProgress", Object(f));
              b.Table().releaseobject(f);
              return Ok(ok);
            },
            "true",
            {kSetProperty, "5 SetProperty: plugin_onUpdateProgress_id : NPVARIANT_IS_OBJECT\n",
             "4 SetonUpdateProgress: SetonUpdateProgress functionObj = <ptr>\n"}},
        Row{"RegisterFullScreenName",
            [](PageScript& s) { return Ok(s.Set("onFullScreenChange", String("fs"))); }, "true",
            {kSetProperty, "5 SetProperty: urlTemp: fs"}},
        Row{"WriteReadOnly", [](PageScript& s) { return Ok(s.Set("playState", Int(1))); },
            "false", {kSetProperty}}),
    [](const auto& info) { return std::string(info.param.name); });

// Where the browser cannot allocate a copy, nothing reaches the AV object
// and script is told.
TEST_F(ScriptTranscriptTest, AFailedCopyIsLoggedAndRefused) {
  ASSERT_TRUE(Script(npp).Set("onUpdateProgress", String("kept")));
  FailAllocations(true);
  EXPECT_EQ(Run([](PageScript& s) {
              EXPECT_FALSE(s.Set("data", String("http://tv/x")));
              EXPECT_FALSE(s.Set("onUpdateProgress", String("other")));
              EXPECT_EQ(s.Get("onUpdateProgress"), "false");
            }),
            Lines({kSetProperty, "5 SetProperty: Memory Allocation Failed!!!", kSetProperty,
                   "5 SetProperty: Memory Allocation Failed!!!"}));
  PageScript script = Script(npp);
  EXPECT_FALSE(script.Set("onPlayStateChange", String("cb")) ||
               script.Set("onFullScreenChange", String("fs")));
  EXPECT_EQ(script.Invoke("GetPluginInfo", {Int(0)}), "false");
  EXPECT_EQ(script.Get("data"), "false");
  FailAllocations(false);
  EXPECT_EQ(script.Get("onUpdateProgress"), "str:kept");
  EXPECT_EQ(script.Get("onPlayStateChange"), "void");
  EXPECT_EQ(script.Get("data"), "str:http://tv/v");
}

// Only the browser's impossible call logs at level 1.
TEST_F(ScriptTranscriptTest, ABrowserCallThatMustNotHappen) {
  const char* text = nullptr;
  EXPECT_EQ(Run([&](PageScript&) { plugin.getvalue(nullptr, NPPVpluginNameString, &text); }),
            Lines{"1 NPP_GetValue:  "});
}

}  // namespace
}  // namespace plugintest
