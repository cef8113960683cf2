// What the script interface logs, and how it fails when the browser cannot
// allocate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModuleTest.h"

namespace plugintest {
namespace {

constexpr char kInt[] = "5 (name == plugin_play_id)(NPVARIANT_IS_INT32(args[0]))\n";
constexpr char kDouble[] = "5 (name == plugin_play_id)(NPVARIANT_IS_DOUBLE(args[0]))\n";
constexpr char kPlayCount[] = "5 (name == plugin_play_id)( argCount != 1 )\n";

TEST_F(ModuleTest, MethodsLogTheirArgumentsAndChoices) {
  const struct {
    const char* method;
    std::vector<NPVariant> args;
    Lines logged;
  } cases[] = {
      {"play",
       {Int(1)},
       {kInt, "5 (name == plugin_play_id)val: 1\n", "5 current status:[0]",
        "5 m_PlRuvoAVObject::Play(), speed:[1]\n"}},
      {"play",
       {Double(-0.5)},
       {kDouble, "5 (name == plugin_play_id)val: 0\n", "5 m_PlRuvoAVObject::Pause()\n"}},
      {"play",
       {String("2")},
       {"5 (name == plugin_play_id)val: 0\n", "5 m_PlRuvoAVObject::Pause()\n"}},
      {"play", {}, {kPlayCount}},
      {"seek",
       {Int(5000), Int(1)},
       {"5 (name == plugin_seek_id)( argCount != 1 )\n", kInt,
        "5 (name == plugin_seek_id)val: 5\n"}},
      {"seek", {}, {"5 (name == plugin_seek_id)( argCount != 1 )\n"}},
      {"setFullScreen", {Double(1.0)}, {kDouble, "5 (name == plugin_setFullScreen_id)val: 1\n"}},
      {"setFullScreen", {Int(1), Int(1)}, {kPlayCount}},
      {"GetPluginInfo", {String("a")}, {"5 GetPluginInfo:: Invalid Argument!"}},
      {"GetPluginInfo", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.method) + " case " + std::to_string(&c - cases));
    NPP npp = New();
    PageScript script = Script(npp);
    testbrowser::ClearCapturedLog();
    script.Invoke(c.method, c.args);
    EXPECT_EQ(LogOf("plugin"), c.logged);
    Destroy(npp);
  }
}

TEST_F(ModuleTest, PropertyWritesLogTheirValues) {
  const struct {
    const char* property;
    NPVariant value;
    Lines logged;
  } cases[] = {
      {"data", String("http://tv/v"), {"urlTemp: http://tv/v"}},
      {"onPlayStateChange", String("stateChanged"), {"urlTemp: stateChanged\n"}},
      {"onUpdateProgress", String("progressed"), {"urlTemp: progressed\n"}},
      {"onFullScreenChange", String("changed"), {"urlTemp: changed"}},
      {"onPlayStateChange",
       Object(nullptr),
       {"plugin_onPlayStateChange_id : NPVARIANT_IS_OBJECT\n"}},
      {"onUpdateProgress", Object(nullptr), {"plugin_onUpdateProgress_id : NPVARIANT_IS_OBJECT\n"}},
      {"onFullScreenChange", Object(nullptr), {}},
      {"playState", Int(1), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.property);
    NPP npp = New();
    PageScript script = Script(npp);
    NPVariant value = c.value;
    if (value.type == NPVariantType_Object) value.value.objectValue = Function();
    testbrowser::ClearCapturedLog();
    script.Set(c.property, value);
    Lines expected = {"5 ScriptablePluginObject::SetProperty"};
    for (const std::string& line : c.logged) expected.push_back("5 " + line);
    EXPECT_EQ(LogOf("plugin"), expected);
    Destroy(npp);
  }
}

TEST_F(ModuleTest, AFailedAllocationPassesNothingOn) {
  NPP npp = New(kAVObjectType, {{"data", "http://tv/v"}});
  PageScript script = Script(npp);
  {
    FailingAllocations failing;
    EXPECT_FALSE(script.Set("data", String("http://tv/other")));
    EXPECT_FALSE(script.Set("onPlayStateChange", String("stateChanged")));
    EXPECT_FALSE(script.Set("onFullScreenChange", String("changed")));
    EXPECT_EQ(script.Invoke("GetPluginInfo", {Int(0)}), "false");
    EXPECT_EQ(script.Get("data"), "false");
  }
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kTrace, "Memory Allocation Failed!!!"));
  EXPECT_EQ(script.Get("data"), "str:http://tv/v");
  EXPECT_EQ(script.Get("onPlayStateChange"), "void");
}

}  // namespace
}  // namespace plugintest
