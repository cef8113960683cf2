// The element's script interface, driven through the built module as page
// script drives it: every method and property with its conversions, the
// element's attributes and page widget reaching the player, page callbacks
// through the browser's main loop, and what outlives an element.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "PluginHostTest.h"

namespace plugintest {
namespace {

using std::string_literals::operator""s;

using ScriptInterfaceTest = PluginHostTest;

TEST_F(ScriptInterfaceTest, NamesMethodsAndPropertiesExactly) {
  PageScript script = Script(New());
  for (const char* name :
       {"play", "stop", "seek", "setFullScreen", "GetPluginInfo", "next", "previous"}) {
    EXPECT_TRUE(script.HasMethod(name) && !script.HasProperty(name)) << name;
  }
  for (const char* name : {"data", "playPosition", "playTime", "playState", "error", "speed",
                           "fullScreen", "onPlayStateChange", "onUpdateProgress", "persist",
                           "nrTracks", "currentTrackIndex", "left", "onFullScreenChange", "top",
                           "width", "height"}) {
    EXPECT_TRUE(script.HasProperty(name) && !script.HasMethod(name)) << name;
  }
  for (const char* name : {"pause", "Play", "src", ""}) {
    EXPECT_FALSE(script.HasMethod(name) || script.HasProperty(name)) << name;
  }
  EXPECT_EQ(script.Invoke("", {Int(1)}), "void");
}

TEST_F(ScriptInterfaceTest, MethodsConvertTheirArgumentsAndAnswer) {
  // A call, its result and what it sent the player.
  const std::tuple<const char*, std::vector<NPVariant>, const char*, Lines> cases[] = {
      {"play", {Int(1)}, "int:1",
       {"InitPlayer http://tv/v", "SetDisplayArea 15 30 960 540 1080", "SetPlaybackSpeed 1",
        "StartPlayback"}},
      {"play", {Double(-0.5)}, "int:1", {"Pause"}}, {"play", {Bool(true)}, "int:1", {"Pause"}},
      {"play", {Int(1), Int(2)}, "false", {}},
      {"stop", {Int(7), Null()}, "int:1", {"Stop"}},
      {"seek", {Int(15999)}, "int:1", {"JumpBackward 45"}},
      {"seek", {Int(5000), Int(1)}, "int:1", {"JumpBackward 55"}},
      {"seek", {Double(1e300)}, "int:1", {"JumpForward 2147423"}},
      {"setFullScreen", {Int(1)}, "int:1", {"SetDisplayArea 0 0 1920 1080 1080"}},
      {"setFullScreen", {Double(0.5)}, "int:1", {}},
      {"GetPluginInfo", {Int(0)}, "str:AVOBJECT-0009\n", {}},
      {"GetPluginInfo", {Double(-2.0)}, "str:AVOBJECT-0009\n", {}},  // unlike Int(-2)
      {"GetPluginInfo", {Int(-2)}, "str:", {}},
      {"GetPluginInfo", {Int(0), Int(0)}, "false", {}},
      {"next", {}, "int:0", {}},   {"previous", {Int(3)}, "int:0", {}},
      {"pause", {}, "false", {}},  {"data", {}, "false", {}},
  };
  int index = 0;
  for (const auto& [method, args, result, sent] : cases) {
    SCOPED_TRACE(method + " case "s + std::to_string(index++));
    NPP npp = PreparedElement();
    EXPECT_EQ(Script(npp).Invoke(method, args), result);
    EXPECT_EQ(Rendered(npp), sent);
  }
}

TEST_F(ScriptInterfaceTest, PropertiesAcceptOnlyTheirOwnTypes) {
  // A write, whether it is accepted, the property read back and what the
  // player was sent.
  const std::tuple<const char*, NPVariant, bool, const char*, Lines> cases[] = {
      {"data", String("http://tv/other"), true, "str:http://tv/other", {}},
      {"data", Int(5), false, "str:http://tv/v", {}},
      {"left", Int(100), true, "int:100", {"SetDisplayArea 150 30 960 540 1080"}},
      {"left", Double(NAN), true, "int:0", {"SetDisplayArea 0 30 960 540 1080"}},
      {"left", Double(-3e9), true, "int:-2147483648",
       {"SetDisplayArea -2147483648 30 960 540 1080"}},
      {"width", Int(2000000000), true, "int:2000000000",
       {"SetDisplayArea 15 30 2147483647 540 1080"}},
      {"top", String("5"), false, "int:20", {}},
      {"width", Null(), false, "int:640", {}},
      {"height", Int(-10), true, "int:-10", {"SetDisplayArea 15 30 960 -15 1080"}},
      {"playPosition", Int(5), false, "int:60000", {}}, {"playState", Int(1), false, "int:0", {}},
      {"playTime", Int(5), false, "int:95000", {"GetDuration"}},
      {"speed", Int(2), false, "int:1", {}},        {"error", Int(0), false, "int:1", {}},
      {"fullScreen", Int(1), false, "int:0", {}},   {"nrTracks", Int(2), false, "int:1", {}},
      {"currentTrackIndex", Int(2), false, "int:1", {}},
      {"persist", Int(0), true, "int:1", {}},
      {"onPlayStateChange", Int(5), true, "void", {}},
      {"onUpdateProgress", Int(5), true, "void", {}},
      {"onFullScreenChange", String("changed"), true, "false", {}},
      {"play", Int(1), false, "false", {}},         {"bogus", Int(1), false, "false", {}},
  };
  for (const auto& [property, value, accepted, after, sent] : cases) {
    SCOPED_TRACE(property);
    NPP npp = PreparedElement();
    PageScript script = Script(npp);
    EXPECT_EQ(script.Set(property, value), accepted);
    EXPECT_EQ(script.Get(property), after);
    EXPECT_EQ(Rendered(npp), sent);
  }
}

TEST_F(ScriptInterfaceTest, MimeTypeChoosesTheStreamingComponent) {
  for (const auto& [mimeType, suffix] : {std::pair{"application/dash+xml", "|COMPONENT=HAS"},
                                         {"application/vnd.apple.mpegurl", "|COMPONENT=HLS"},
                                         {"application/vnd.apple.mpegurl.audio", "|COMPONENT=HLS"},
                                         {"application/x-ruvo-avobject", ""},
                                         {"application/dash+xml2", ""},
                                         {"application/DASH+xml", ""}}) {
    // Names and types match whole: "dataX" is not "data".
    NPP npp = New(mimeType, {{"dataX", "http://tv/x"}, {"data", "http://tv/v"}});
    EXPECT_EQ(Script(npp).Invoke("play", {Int(1)}), "int:1");
    EXPECT_EQ(Rendered(npp, "InitPlayer"), Lines{"InitPlayer http://tv/v"s + suffix}) << mimeType;
  }
}

// The element's area at the next play: its attributes' pixels times the
// ratio of the video plane to the page widget.
TEST_F(ScriptInterfaceTest, AttributesAndWidgetPlaceTheVideoAtTheNextPlay) {
  const auto answer = [this](bool ok, NPVariant value) {  // on failure unset, never to be read
    browser.SetEvaluateHandler([=](const std::string&, NPVariant* r) { *r = value; return ok; });
  };
  const Attributes styled = {{"style", kStyle}};
  // How the page's widget differs from 1280 x 720 (where page pixels count
  // 1.5 times), the element's attributes and its area.
  const std::tuple<std::function<void()>, Attributes, const char*> cases[] = {
      {{}, {}, "0 0 1920 1080"},
      {{}, {{"width", "640"}, {"height", "360"}}, "0 0 1920 1080"},  // no style: no area
      {{}, {{"style", "left:100px;top:50px;width:640px;height:360px"}}, "150 75 960 540"},
      {{}, {{"width", "640"}, {"style", "width:320px;height:100px"}}, "0 0 960 150"},
      {{}, {{"style", "width:320px"}, {"width", "640"}}, "0 0 480 0"},
      {{}, {{"width", "0"}, {"style", "width:320px"}}, "0 0 480 0"},
      {{}, {{"style", "left:-20px;top: 20px"}}, "-30 30 0 0"},
      {{}, {{"widths", "640"}, {"heights", "360"}, {"style", "width:320px"}}, "0 0 480 0"},
      // Null values count as absent attributes.
      {{}, {{"style", nullptr}, {"height", "40"}, {"width", nullptr}, {"style", "width:320px"}},
       "0 0 480 60"},
      {[this] { browser.SetWidgetSize("960px", "1080"); }, styled, "20 20 1280 360"},
      // A widget size that cannot be read counts as the video plane's own.
      {[this] { browser.SetWidgetSize("0", "-5"); }, styled, "10 20 640 360"},
      {[this] { browser.SetWidgetSize("abc", ""); }, styled, "10 20 640 360"},
      {[this] { browser.SetWindowAvailable(false); }, styled, "10 20 640 360"},
      {[&] { answer(false, String("1280")); }, styled, "10 20 640 360"},
      {[&] { answer(true, Int(1280)); }, styled, "10 20 640 360"},
      {[this] { FailAllocations(true); }, styled, "10 20 640 360"},
  };
  int index = 0;
  for (const auto& [widget, attributes, area] : cases) {
    SCOPED_TRACE(index++);
    if (widget) widget();
    NPP npp = New(kAVObjectType, attributes);
    FailAllocations(false);
    browser.SetWidgetSize("1280", "720");
    browser.SetWindowAvailable(true);
    EXPECT_TRUE(Rendered(npp, "SetDisplayArea").empty()) << "nothing is placed before play";
    EXPECT_EQ(Script(npp).Invoke("play", {Int(1)}), "int:1");
    EXPECT_EQ(Rendered(npp, "SetDisplayArea"), Lines{"SetDisplayArea " + (area + " 1080"s)});
  }
  EXPECT_EQ(Script(New(kAVObjectType, {{"data", nullptr}})).Invoke("play", {Int(1)}), "int:1");
}

using CallbackLifecycleTest = PluginHostTest;

// Script reads a registration back: the object, with a reference of its
// own, or the name, which wins when both are registered; and no callback
// runs inside the script call that caused it.
TEST_F(CallbackLifecycleTest, RegistrationsReadBackAndCallsWaitForTheMainLoop) {
  NPP npp = New(kAVObjectType, {{"data", "http://tv/v"}});
  PageScript script = Script(npp);
  NPObject* onState = Function();
  ASSERT_TRUE(script.Set("onPlayStateChange", Object(onState)));
  EXPECT_EQ(script.Get("onPlayStateChange"), ObjectText(onState));
  EXPECT_EQ(browser.RefCount(onState), 2u) << "the reference read back is released";
  EXPECT_EQ(script.Invoke("play", {Int(1)}), "int:1");
  EXPECT_TRUE(browser.CallsOf(onState).empty());
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(browser.CallsOf(onState).size(), 1u);
  ASSERT_TRUE(script.Set("onPlayStateChange", String("onState")));
  EXPECT_EQ(script.Get("onPlayStateChange"), "str:onState");
}

TEST_F(CallbackLifecycleTest, FullScreenAndBackRestoresTheElementsArea) {
  NPP npp = New(kAVObjectType, {{"style", kStyle}});
  PageScript script = Script(npp);
  EXPECT_EQ(script.Invoke("setFullScreen", {Int(1)}), "int:1");
  EXPECT_EQ(script.Get("fullScreen"), "int:1");
  // Each edge is sent at once, in full screen too, and saved for leaving it.
  ASSERT_TRUE(script.Set("left", Int(100)));
  ASSERT_TRUE(script.Set("top", Int(200)));
  ASSERT_TRUE(script.Set("width", Int(300)));
  ASSERT_TRUE(script.Set("height", Int(400)));
  EXPECT_EQ(script.Invoke("setFullScreen", {Int(0)}), "int:1");
  EXPECT_EQ(script.Get("fullScreen"), "int:0");
  EXPECT_EQ(Rendered(npp, "SetDisplayArea"),
            (Lines{"SetDisplayArea 0 0 1920 1080 1080", "SetDisplayArea 150 30 960 540 1080",
                   "SetDisplayArea 150 300 960 540 1080", "SetDisplayArea 150 300 450 540 1080",
                   "SetDisplayArea 150 300 450 600 1080", "SetDisplayArea 150 300 450 600 1080"}));
}

TEST_F(CallbackLifecycleTest, DestroyReleasesRegistrationsWithDeliveriesPending) {
  for (auto policy : {testbrowser::TestBrowser::QueuedAfterDestroy::kDrop,
                      testbrowser::TestBrowser::QueuedAfterDestroy::kRun}) {
    browser.SetQueuedAfterDestroy(policy);
    NPP npp = New(kAVObjectType, {{"data", "http://tv/v"}});
    PageScript script = Script(npp);
    NPObject* onState = Function();
    ASSERT_TRUE(script.Set("onPlayStateChange", Object(onState)));
    ASSERT_TRUE(script.Set("onPlayStateChange", String("stateChanged")));
    ASSERT_TRUE(script.Set("onUpdateProgress", String("progressed")));
    EXPECT_EQ(script.Invoke("play", {Int(1)}), "int:1");
    PlayerOf(npp)->Emit(14, "1000", "");
    ASSERT_TRUE(PlayerOf(npp)->WaitDelivered());
    ASSERT_GT(browser.PendingAsyncCalls(), 0u);
    Destroy(npp);
    EXPECT_EQ(browser.RefCount(onState), 1u) << "only the page's reference is left";
    testbrowser::ClearTranscript();
    browser.RunPendingAsyncCalls();
    EXPECT_EQ(testbrowser::TakeTranscript(), Lines{}) << "nothing reaches a gone element";
  }
}

TEST_F(CallbackLifecycleTest, ScriptHoldingADestroyedElementReachesNothing) {
  NPP npp = New();
  NPObject* element = Element(npp);
  const auto connection = PlayerOf(npp);
  connection->ClearReceived();
  Destroy(npp);

  PageScript script(browser, element);
  EXPECT_EQ(script.Invoke("play", {Int(1)}), "false");
  EXPECT_EQ(script.Get("playState"), "false");
  EXPECT_FALSE(script.Set("data", String("http://tv/late")));
  EXPECT_FALSE(script.HasMethod("play") || script.HasProperty("data"));
  EXPECT_EQ(script.Invoke(""), "false");
  EXPECT_TRUE(connection->Received().empty());
  EXPECT_EQ(browser.RefCount(element), 1u);
}

}  // namespace
}  // namespace plugintest
