// The plug-in instance: what its construction asks of the browser and the
// player, the element's parameters, and its window lifecycle.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ModuleTest.h"

namespace plugintest {
namespace {

using NSPlRuvoAVObject::stDisplayArea;

TEST_F(ModuleTest, WidgetSizeGivesTheRatios) {
  const struct {
    const char* width;
    const char* height;
    double ratioX;
    double ratioY;
    const char* logged;
  } cases[] = {
      {"1280", "720", 1.5, 1.5, "ratio:[1.500000][1.500000]"},
      {"960px", "1080", 2.0, 1.0, "ratio:[2.000000][1.000000]"},
      {"0", "-5", 1.0, 1.0, "ratio:[1.000000][1.000000]"},  // the plane's own size
      {"abc", "", 1.0, 1.0, "ratio:[1.000000][1.000000]"},
  };
  for (const auto& c : cases) {
    browser.SetWidgetSize(c.width, c.height);
    NPP npp = New();
    EXPECT_DOUBLE_EQ(PluginOf(npp).RatioX(), c.ratioX) << c.width;
    EXPECT_DOUBLE_EQ(PluginOf(npp).RatioY(), c.ratioY) << c.height;
    EXPECT_EQ(PluginOf(npp).AVObject()->mscreenHeight, 1080 / c.ratioY) << c.height;
    EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, c.logged)) << c.logged;
    Destroy(npp);
  }
}

TEST_F(ModuleTest, AnUnreadableWidgetCountsAsTheVideoPlane) {
  const struct {
    const char* what;
    std::function<void()> breakBrowser;
    const char* logged;  // a level-5 line expected, or ""
  } cases[] = {
      {"no window object", [this] { browser.SetWindowAvailable(false); }, "sWindowObj is NULL"},
      {"failed evaluation",
       [this] {
         browser.SetEvaluateHandler([](const std::string&, NPVariant* result) {
           result->type = NPVariantType_String;  // unset garbage: never read
           result->value.stringValue = {reinterpret_cast<const char*>(1), 99};
           return false;
         });
       },
       ""},
      {"a number result",
       [this] {
         browser.SetEvaluateHandler([](const std::string&, NPVariant* result) {
           result->type = NPVariantType_Int32;
           result->value.intValue = 1280;
           return true;
         });
       },
       ""},
  };
  for (const auto& c : cases) {
    c.breakBrowser();
    NPP npp = New();
    EXPECT_DOUBLE_EQ(PluginOf(npp).RatioX(), 1.0) << c.what;
    EXPECT_DOUBLE_EQ(PluginOf(npp).RatioY(), 1.0) << c.what;
    EXPECT_EQ(PluginOf(npp).AVObject()->mscreenHeight, 1080) << c.what;
    if (*c.logged) {
      EXPECT_TRUE(testbrowser::HasLogLine(nplog::kTrace, c.logged)) << c.what;
    }
    Destroy(npp);
    browser.SetWindowAvailable(true);
    browser.SetEvaluateHandler(nullptr);
  }
  FailingAllocations failing;
  NPP npp = New();
  EXPECT_DOUBLE_EQ(PluginOf(npp).RatioX(), 1.0) << "failed allocation";
}

TEST_F(ModuleTest, SetAppIdForwardsTheBrowsersVariables) {
  const struct {
    int32_t id;
    std::string name;
    std::vector<std::string> params;
  } cases[] = {
      {1234, "TestApp", {"1234", "TestApp", "", ""}},
      {123456789, "A", {"1234567", "A", "", ""}},  // seven characters at most
      {-42, std::string(2000, 'n'), {"-42", std::string(1023, 'n'), "", ""}},
  };
  for (const auto& c : cases) {
    browser.SetAppId(c.id);
    browser.SetAppName(c.name);
    NPP npp = New();
    const Commands sent = PlayerOf(npp)->Received();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0], (zor::ReceivedCommand{"SetAppID", c.params}));
    Destroy(npp);
  }
}

TEST_F(ModuleTest, AttributesWithoutValuesCountAsAbsent) {
  char style[] = "style", width[] = "width", height[] = "height", data[] = "data";
  char narrow[] = "width:320px", forty[] = "40";
  char* names[] = {style, height, width, style, data};
  char* values[] = {nullptr, forty, nullptr, narrow, nullptr};
  NPP npp = New(kAVObjectType, {{"data", "http://tv/v"}});
  CPlugin& instance = PluginOf(npp);
  instance.InitParams(5, names, values);
  EXPECT_EQ(instance.Edge(GeometryEdge::kWidth), 320);  // the style's, read after all
  EXPECT_EQ(instance.Edge(GeometryEdge::kHeight), 40);
  const stDisplayArea area = instance.AVObject()->stAVObjMember.mdisplayArea;
  EXPECT_EQ(Lines({std::to_string(area.w), std::to_string(area.h)}), Lines({"480", "60"}));
  EXPECT_EQ(Script(npp).Get("data"), "str:http://tv/v");
}

TEST_F(ModuleTest, GeometryPropertyWritesOneFieldAndSendsTheWholeArea) {
  browser.SetWidgetSize("1366", "720");
  NPP npp = New(kAVObjectType, {{"style", "width:1280px;height:720px"}});
  stDisplayArea& saved = PluginOf(npp).AVObject()->stAVObjMember.mdisplayArea;
  saved.y = 77;  // not the moved edge: stays
  ASSERT_TRUE(Script(npp).Set("left", Int(100)));
  EXPECT_EQ(saved.x, 140);  // 100 x 1920/1366 = 140.56, truncated
  EXPECT_EQ(saved.y, 77);
  EXPECT_EQ(Sent(npp, "SetDisplayArea")[0].params[1], "0");
  EXPECT_EQ(LogOf("plugin").back(),
            "4 [RuvoAVObject::plugin_left_id]:[140][0][1799][1080][1.405564][1.500000]\n");
}

TEST_F(ModuleTest, TheFirstNativeWindowInitialisesAndShutClears) {
  NPP npp = New();
  CPlugin& instance = PluginOf(npp);
  NPWindow window{};
  EXPECT_FALSE(instance.init(nullptr));
  plugin.setwindow(npp, &window);
  EXPECT_FALSE(instance.isInitialized()) << "no native handle yet";
  window.window = &window;
  plugin.setwindow(npp, &window);
  EXPECT_TRUE(instance.isInitialized());
  window.height = 99;
  plugin.setwindow(npp, &window);
  EXPECT_TRUE(instance.isInitialized());
  instance.shut();
  EXPECT_FALSE(instance.isInitialized());
}

TEST_F(ModuleTest, EntryPointsLogThroughTheHook) {
  NP_Initialize(&browser.Table(), &plugin);
  New("application/dash+xml");
  plugin.getvalue(nullptr, NPPVpluginNameString, nullptr);
  EXPECT_EQ(LogOf("np_entry"),
            (std::vector<std::string>{"5 Start NP_Initialize", "5 End NP_Initialize\n"}));
  const auto log = testbrowser::CapturedLog();
  const auto entry = std::find_if(log.begin(), log.end(), [](const testbrowser::LogLine& line) {
    return line.function == "NPP_New";
  });
  ASSERT_NE(entry, log.end());
  EXPECT_EQ(entry->level, 5);
  EXPECT_EQ(entry->format, "[%s:%s:%d]\n           ");  // eleven blanks
  const auto gate = LogOf("npp_gate");
  EXPECT_NE(std::find(gate.begin(), gate.end(),
                      "4 bexoli RuvoAVObject pluginType = [application/dash+xml]"),
            gate.end());
  EXPECT_EQ(gate.back(), "1  ") << "the only level-1 message";
}

}  // namespace
}  // namespace plugintest
