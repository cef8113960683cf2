// Page callbacks reaching script through the browser's main loop, full
// screen, and what outlives an element: the page's references and queued
// deliveries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LoadedModule.h"

namespace plugintest {
namespace {

class CallbackLifecycleTest : public BinaryTest {
 protected:
  // The string arguments of every call of `function`, joined by commas.
  Lines CallsOf(NPObject* function) {
    Lines calls;
    for (const auto& call : browser.CallsOf(function)) {
      std::string text;
      for (const std::string& arg : call.args) text += (text.empty() ? "" : ",") + arg;
      calls.push_back(text);
    }
    return calls;
  }

  void PlayerEvent(NPP npp, int type, const char* param1, const char* param2) {
    PlayerOf(npp)->Emit(type, param1, param2);
    ASSERT_TRUE(PlayerOf(npp)->WaitDelivered());
    browser.RunPendingAsyncCalls();
  }

  std::string LastScript() {
    const Lines scripts = browser.EvaluatedScripts();
    return scripts.empty() ? "" : scripts.back();
  }
};

TEST_F(CallbackLifecycleTest, FunctionObjectsAreCalledOnTheMainLoop) {
  NPP npp = New(kAVObjectType, {{"data", "http://tv/v"}});
  PageScript script = Script(npp);
  NPObject* onState = Function();
  ASSERT_TRUE(script.Set("onPlayStateChange", Object(onState)));
  EXPECT_EQ(browser.RefCount(onState), 2u);
  EXPECT_EQ(script.Get("onPlayStateChange"), ObjectText(onState));

  EXPECT_EQ(script.Invoke("play", {Int(1)}), "int:1");
  EXPECT_TRUE(CallsOf(onState).empty()) << "never called inside the script call";
  browser.RunPendingAsyncCalls();
  PlayerEvent(npp, 7, "", "detail");
  EXPECT_EQ(CallsOf(onState), (Lines{"3,", "1,detail"}));
  EXPECT_EQ(script.Get("playState"), "int:1");
}

TEST_F(CallbackLifecycleTest, NamedFunctionsAreEvaluatedOnTheMainLoop) {
  NPP npp = New();
  PageScript script = Script(npp);
  ASSERT_TRUE(script.Set("onUpdateProgress", String("onProgress")));
  EXPECT_EQ(script.Get("onUpdateProgress"), "str:onProgress");
  PlayerEvent(npp, 14, "5000", "x");
  EXPECT_EQ(LastScript(), "onProgress(\"5000\",\"x\");");
  EXPECT_EQ(script.Get("playPosition"), "int:5000");

  // With both kinds registered, script reads back the name.
  ASSERT_TRUE(script.Set("onPlayStateChange", Object(Function())));
  ASSERT_TRUE(script.Set("onPlayStateChange", String("onState")));
  EXPECT_EQ(script.Get("onPlayStateChange"), "str:onState");
}

TEST_F(CallbackLifecycleTest, FullScreenAndBackRestoresTheElementsArea) {
  NPP npp = New(kAVObjectType, {{"style", "left:10px;top:20px;width:640px;height:360px"}});
  PageScript script = Script(npp);
  EXPECT_EQ(script.Invoke("setFullScreen", {Int(1)}), "int:1");
  EXPECT_EQ(script.Get("fullScreen"), "int:1");
  ASSERT_TRUE(script.Set("left", Int(100)));  // sent at once, in full screen too
  EXPECT_EQ(script.Invoke("setFullScreen", {Int(0)}), "int:1");
  EXPECT_EQ(script.Get("fullScreen"), "int:0");
  const Commands areas = Sent(npp, "SetDisplayArea");
  ASSERT_EQ(areas.size(), 3u);
  EXPECT_EQ(areas[0].params[2], "1920");
  EXPECT_EQ(areas[1].params[0], "150");
  EXPECT_EQ(areas[2].params[0] + " " + areas[2].params[1] + " " + areas[2].params[2] + " " +
                areas[2].params[3],
            "150 30 960 540");
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

    const size_t scripts = browser.EvaluatedScripts().size();
    Destroy(npp);
    EXPECT_EQ(browser.RefCount(onState), 1u) << "only the page's reference is left";
    browser.RunPendingAsyncCalls();
    EXPECT_TRUE(CallsOf(onState).empty());
    EXPECT_EQ(browser.EvaluatedScripts().size(), scripts)
        << "nothing reaches a gone element's page";
  }
}

TEST_F(CallbackLifecycleTest, ScriptHoldingADestroyedElementReachesNothing) {
  // The handle is freed as the browser frees it: any use of it is caught.
  auto handle = std::make_unique<NPP_t>();
  char type[] = "application/x-ruvo-avobject";
  ASSERT_EQ(plugin.newp(type, handle.get(), NP_EMBED, 0, nullptr, nullptr, nullptr),
            NPERR_NO_ERROR);
  NPObject* element = nullptr;
  ASSERT_EQ(plugin.getvalue(handle.get(), NPPVpluginScriptableNPObject, &element), NPERR_NO_ERROR);
  const auto connection = player->Connection(player->ConnectionCount() - 1);
  connection->ClearReceived();
  ASSERT_EQ(plugin.destroy(handle.get(), nullptr), NPERR_NO_ERROR);
  browser.InstanceDestroyed(handle.get());
  handle.reset();

  PageScript script(browser, element);
  EXPECT_EQ(script.Invoke("play", {Int(1)}), "false");
  EXPECT_EQ(script.Invoke("stop"), "false");
  EXPECT_EQ(script.Get("playState"), "false");
  EXPECT_FALSE(script.Set("data", String("http://tv/late")));
  EXPECT_FALSE(script.Set("left", Int(5)));
  EXPECT_FALSE(script.HasMethod("play"));
  EXPECT_FALSE(script.HasProperty("data"));
  EXPECT_EQ(script.InvokeDefault(), "false");
  EXPECT_TRUE(connection->Received().empty());
  EXPECT_EQ(browser.RefCount(element), 1u);
  browser.Table().releaseobject(element);  // the page lets go last
}

}  // namespace
}  // namespace plugintest
