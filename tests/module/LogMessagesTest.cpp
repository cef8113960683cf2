// What the module logs, with its levels: the only part of its behaviour that
// the built module keeps to itself, as the test program exports no hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "LogCapture.h"
#include "PluginHostTest.h"
#include "host/np_log.h"

namespace plugintest {
namespace {

using ModuleTest = PluginHostTest;

TEST_F(ModuleTest, MessagesKeepTheirTextsAndLevels) {
  testbrowser::ClearCapturedLog();
  NP_Initialize(&browser.Table(), &plugin);
  browser.SetWidgetSize("1366", "720");
  PageScript script = Script(New("application/dash+xml", {{"style", "width:1280px;height:720px"}}));
  script.Invoke("play", {Int(1)});
  script.Invoke("play", {Double(-0.5)});
  script.Invoke("play");
  script.Invoke("GetPluginInfo", {String("a")});
  script.Set("data", String("http://tv/v"));
  script.Set("onPlayStateChange", Object(Function()));
  script.Set("left", Int(100));
  browser.SetWindowAvailable(false);
  New();
  FailAllocations(true);
  script.Set("data", String("http://tv/other"));
  FailAllocations(false);
  plugin.getvalue(nullptr, NPPVpluginNameString, nullptr);  // must not happen

  const std::pair<int, const char*> messages[] = {
      {5, "Start NP_Initialize"},
      {5, "End NP_Initialize\n"},
      {5, " "},  // the entry into a function
      {4, "bexoli RuvoAVObject pluginType = [application/dash+xml]"},
      {4, "ratio:[1.405564][1.500000]"},
      {5, "(name == plugin_play_id)(NPVARIANT_IS_INT32(args[0]))\n"},
      {5, "(name == plugin_play_id)val: 1\n"},
      {5, "m_PlRuvoAVObject::Play(), speed:[1]\n"},
      {5, "(name == plugin_play_id)(NPVARIANT_IS_DOUBLE(args[0]))\n"},
      {5, "m_PlRuvoAVObject::Pause()\n"},
      {5, "(name == plugin_play_id)( argCount != 1 )\n"},
      {5, "GetPluginInfo:: Invalid Argument!"},
      {5, "ScriptablePluginObject::SetProperty"},
      {5, "urlTemp: http://tv/v"},
      {5, "plugin_onPlayStateChange_id : NPVARIANT_IS_OBJECT\n"},
      {4, "[RuvoAVObject::plugin_left_id]:[140][0][1799][1080][1.405564][1.500000]\n"},
      {5, "sWindowObj is NULL"},
      {5, "Memory Allocation Failed!!!"},
      {1, " "},
  };
  for (const auto& [level, text] : messages) {
    EXPECT_TRUE(testbrowser::HasLogLine(level, text)) << level << " " << text;
  }
  const auto log = testbrowser::CapturedLog();
  EXPECT_EQ(log.at(0).format, "[%s:%s:%d]\n          Start NP_Initialize") << "the common prefix";
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](auto& line) { return line.level == 1; }), 1);
}

}  // namespace
}  // namespace plugintest
