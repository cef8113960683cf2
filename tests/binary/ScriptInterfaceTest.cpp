// The element's script interface, driven through the built module as page
// script drives it: every method and property with its conversions, and the
// element's attributes reaching the player.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "LoadedModule.h"

namespace plugintest {
namespace {

constexpr char kStyle[] = "left:10px;top:20px;width:640px;height:360px";

class ScriptInterfaceTest : public BinaryTest {
 protected:
  // An element playing nothing yet, whose player reported 60 s of progress.
  NPP PreparedElement() {
    NPP npp = New(kAVObjectType, {{"data", "http://tv/v"}, {"style", kStyle}});
    PlayerOf(npp)->Emit(14, "60000", "");
    EXPECT_TRUE(PlayerOf(npp)->WaitDelivered());
    browser.RunPendingAsyncCalls();
    PlayerOf(npp)->ClearReceived();
    return npp;
  }
};

TEST_F(ScriptInterfaceTest, NamesMethodsAndPropertiesExactly) {
  // clang-format off
  const Lines methods = {"play", "stop", "seek", "setFullScreen", "GetPluginInfo", "next",
                         "previous"};
  const Lines properties = {"data", "playPosition", "playTime", "playState", "error", "speed",
                            "fullScreen", "onPlayStateChange", "onUpdateProgress",
                            "onFullScreenChange", "nrTracks", "currentTrackIndex", "persist",
                            "left", "top", "width", "height"};
  // clang-format on
  PageScript script = Script(New());
  for (const std::string& name : methods) {
    EXPECT_TRUE(script.HasMethod(name)) << name;
    EXPECT_FALSE(script.HasProperty(name)) << name;
  }
  for (const std::string& name : properties) {
    EXPECT_TRUE(script.HasProperty(name)) << name;
    EXPECT_FALSE(script.HasMethod(name)) << name;
  }
  for (const char* name : {"pause", "Play", "src", ""}) {
    EXPECT_FALSE(script.HasMethod(name) || script.HasProperty(name)) << name;
  }
  EXPECT_EQ(script.InvokeDefault({Int(1)}), "void");
}

TEST_F(ScriptInterfaceTest, MethodsConvertTheirArgumentsAndAnswer) {
  const Lines play = {"InitPlayer http://tv/v", "SetDisplayArea 15 30 960 540 1080",
                      "SetPlaybackSpeed 1", "StartPlayback"};
  const struct {
    const char* method;
    std::vector<NPVariant> args;
    const char* result;
    Lines sent;
  } cases[] = {
      {"play", {Int(1)}, "int:1", play},
      {"play", {Double(2.9)}, "int:1", {play[0], play[1], "SetPlaybackSpeed 2", play[3]}},
      {"play", {Int(0)}, "int:1", {"Pause"}},
      {"play", {Double(-1)}, "int:1", {"Pause"}},
      {"play", {Bool(true)}, "int:1", {"Pause"}},
      {"play", {String("2")}, "int:1", {"Pause"}},
      {"play", {}, "false", {}},
      {"play", {Int(1), Int(2)}, "false", {}},
      {"stop", {Int(7), Null()}, "int:1", {"Stop"}},
      {"seek", {Int(15999)}, "int:1", {"JumpBackward 45"}},
      {"seek", {Double(-1500)}, "int:1", {"JumpBackward 61"}},
      {"seek", {String("x")}, "int:1", {"JumpBackward 60"}},
      {"seek", {Int(5000), Int(1)}, "int:1", {"JumpBackward 55"}},
      {"seek", {Double(1e300)}, "int:1", {"JumpForward 2147423"}},
      {"seek", {}, "false", {}},
      {"setFullScreen", {Int(1)}, "int:1", {"SetDisplayArea 0 0 1920 1080 1080"}},
      {"setFullScreen", {Bool(true)}, "int:1", {}},
      {"setFullScreen", {Double(0.5)}, "int:1", {}},
      {"setFullScreen", {}, "false", {}},
      {"GetPluginInfo", {Int(0)}, "str:AVOBJECT-0009\n", {}},
      {"GetPluginInfo", {Double(-2.0)}, "str:AVOBJECT-0009\n", {}},
      {"GetPluginInfo", {Double(NAN)}, "str:AVOBJECT-0009\n", {}},
      {"GetPluginInfo", {Int(-2)}, "str:", {}},
      {"GetPluginInfo", {String("a")}, "str:", {}},
      {"GetPluginInfo", {Int(0), Int(0)}, "false", {}},
      {"next", {}, "int:0", {}},
      {"previous", {Int(3)}, "int:0", {}},
      {"pause", {}, "false", {}},
      {"data", {}, "false", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " case " + std::to_string(&c - cases));
    NPP npp = PreparedElement();
    EXPECT_EQ(Script(npp).Invoke(c.method, c.args), c.result);
    EXPECT_EQ(Rendered(npp), c.sent);
    Destroy(npp);
  }
}

TEST_F(ScriptInterfaceTest, PlayResumesOnlyAPausedElement) {
  NPP npp = PreparedElement();
  PageScript script = Script(npp);
  EXPECT_EQ(script.Invoke("play", {Int(0)}), "int:1");
  EXPECT_EQ(script.Get("playState"), "int:2");
  EXPECT_EQ(script.Invoke("play", {Int(4)}), "int:1");
  EXPECT_EQ(Rendered(npp), (Lines{"Pause", "Resume"}));
  EXPECT_EQ(script.Get("playState"), "int:1");
}

TEST_F(ScriptInterfaceTest, PropertiesReadTheElementsState) {
  NPP npp = PreparedElement();
  PlayerOf(npp)->Answer("GetDuration", "I95000");
  const struct {
    const char* property;
    const char* value;
  } cases[] = {{"data", "str:http://tv/v"},
               {"playPosition", "int:60000"},
               {"playTime", "int:95000"},
               {"playState", "int:0"},
               {"speed", "int:1"},
               {"fullScreen", "int:0"},
               {"error", "int:1"},
               {"nrTracks", "int:1"},
               {"currentTrackIndex", "int:1"},
               {"persist", "int:1"},
               {"left", "int:10"},
               {"top", "int:20"},
               {"width", "int:640"},
               {"height", "int:360"},
               {"onPlayStateChange", "void"},
               {"onUpdateProgress", "void"},
               {"onFullScreenChange", "false"},
               {"play", "false"},
               {"bogus", "false"}};
  PageScript script = Script(npp);
  for (const auto& c : cases) EXPECT_EQ(script.Get(c.property), c.value) << c.property;
  EXPECT_EQ(Rendered(npp), Lines{"GetDuration"});
}

TEST_F(ScriptInterfaceTest, PropertiesAcceptOnlyTheirOwnTypes) {
  const struct {
    const char* property;
    NPVariant value;
    bool accepted;
    const char* after;  // the property read back
    Lines sent;
  } cases[] = {
      {"data", String("http://tv/other"), true, "str:http://tv/other", {}},
      {"data", Int(5), false, "str:http://tv/v", {}},
      {"left", Int(100), true, "int:100", {"SetDisplayArea 150 30 960 540 1080"}},
      {"left", Double(100.9), true, "int:100", {"SetDisplayArea 150 30 960 540 1080"}},
      {"left", Double(NAN), true, "int:0", {"SetDisplayArea 0 30 960 540 1080"}},
      {"left", Double(3e9), true, "int:2147483647", {"SetDisplayArea 2147483647 30 960 540 1080"}},
      {"top", String("5"), false, "int:20", {}},
      {"width", Null(), false, "int:640", {}},
      {"height", Int(-10), true, "int:-10", {"SetDisplayArea 15 30 960 -15 1080"}},
      {"playState", Int(1), false, "int:0", {}},
      {"speed", Int(2), false, "int:1", {}},
      {"error", Int(0), false, "int:1", {}},
      {"persist", Int(0), true, "int:1", {}},
      {"onPlayStateChange", Int(5), true, "void", {}},
      {"onFullScreenChange", String("changed"), true, "false", {}},
      {"bogus", Int(1), false, "false", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.property) + " case " + std::to_string(&c - cases));
    NPP npp = PreparedElement();
    PageScript script = Script(npp);
    EXPECT_EQ(script.Set(c.property, c.value), c.accepted);
    EXPECT_EQ(script.Get(c.property), c.after);
    EXPECT_EQ(Rendered(npp), c.sent);
    Destroy(npp);
  }
}

TEST_F(ScriptInterfaceTest, MimeTypeChoosesTheStreamingComponent) {
  const struct {
    const char* mimeType;
    const char* url;
  } cases[] = {
      {"application/dash+xml", "http://tv/v|COMPONENT=HAS"},
      {"application/vnd.apple.mpegurl", "http://tv/v|COMPONENT=HLS"},
      {"application/vnd.apple.mpegurl.audio", "http://tv/v|COMPONENT=HLS"},
      {"application/x-ruvo-avobject", "http://tv/v"},
      {"application/DASH+xml", "http://tv/v"},
  };
  for (const auto& c : cases) {
    NPP npp = New(c.mimeType, {{"data", "http://tv/v"}});
    EXPECT_EQ(Script(npp).Invoke("play", {Int(1)}), "int:1");
    const Commands init = Sent(npp, "InitPlayer");
    ASSERT_EQ(init.size(), 1u) << c.mimeType;
    EXPECT_EQ(init[0].params[0], c.url) << c.mimeType;
  }
}

TEST_F(ScriptInterfaceTest, AttributesPlaceTheVideoAtTheNextPlay) {
  // The page widget is 1280 x 720: page pixels count 1.5 times.
  const struct {
    Attributes attributes;
    const char* area;
  } cases[] = {
      {{}, "0 0 1920 1080"},
      {{{"width", "640"}, {"height", "360"}}, "0 0 1920 1080"},  // no style: no area
      {{{"style", "left:100px;top:50px;width:640px;height:360px"}}, "150 75 960 540"},
      {{{"width", "640"}, {"style", "width:320px;height:100px"}}, "0 0 960 150"},
      {{{"style", "width:320px"}, {"width", "640"}}, "0 0 480 0"},
      {{{"width", "0"}, {"style", "width:320px"}}, "0 0 480 0"},
      {{{"style", "left:-20px;top: 20px"}}, "-30 30 0 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    NPP npp = New(kAVObjectType, c.attributes);
    EXPECT_TRUE(Sent(npp, "SetDisplayArea").empty()) << "nothing is placed before play";
    Script(npp).Invoke("play", {Int(1)});
    const Commands areas = Sent(npp, "SetDisplayArea");
    ASSERT_EQ(areas.size(), 1u);
    const auto& p = areas[0].params;
    EXPECT_EQ(p[0] + " " + p[1] + " " + p[2] + " " + p[3], c.area);
  }
}

}  // namespace
}  // namespace plugintest
