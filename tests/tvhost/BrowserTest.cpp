// tvhost's browser core below what the page tests see: reference counts and
// the leak ledger, the async call queue, integer identifiers, and the
// bridge to script (object identity, errors). How values convert is in
// ExitCodesTest, on pages.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "Browser.h"
#include "Identifiers.h"
#include "JsUtil.h"
#include "LeakLedger.h"
#include "MainLoop.h"
#include "ScriptBridge.h"
#include "ScriptEngine.h"

namespace tvhost {

using namespace npbrowser;
namespace {

// A plug-in object whose one method, "raise", throws through NPN_SetException.
bool RaiseHasMethod(NPObject*, NPIdentifier name) { return IdentifierName(name) == "raise"; }
bool RaiseInvoke(NPObject* object, NPIdentifier, const NPVariant*, uint32_t, NPVariant*) {
  Browser::Current().Funcs()->setexception(object, "plug-in says no");
  return true;
}
NPClass gRaiseClass = {NP_CLASS_STRUCT_VERSION, nullptr, nullptr, nullptr, RaiseHasMethod,
                       RaiseInvoke, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

// The browser's NPN functions, without a page.
class NpnTest : public ::testing::Test {
 protected:
  MainLoop loop;
  LeakLedger ledger;
  Browser browser{loop, ledger};
  NPNetscapeFuncs& npn = *browser.Funcs();
};

TEST_F(NpnTest, ReferenceCountsDecideWhenAnObjectGoesAndMisusesAreNoted) {
  NPObject* object = npn.createobject(nullptr, &gRaiseClass);
  EXPECT_EQ(npn.retainobject(object), object);
  npn.releaseobject(object);
  EXPECT_TRUE(ledger.IsLiveObject(object));
  // The last release off the main thread defers the deallocation to it.
  std::thread([&] { npn.releaseobject(object); }).join();
  EXPECT_TRUE(ledger.IsLiveObject(object));
  EXPECT_EQ(loop.RunQueued(10), 1u);
  EXPECT_EQ(ledger.Report(), "");

  npn.releaseobject(object);  // gone: noted, nothing freed twice
  int foreign = 0;
  npn.memfree(&foreign);  // noted, not freed
  npn.memalloc(16);  // never freed
  std::string report = ledger.Report();
  EXPECT_NE(report.find("not alive"), std::string::npos) << report;
  EXPECT_NE(report.find("not from NPN_MemAlloc"), std::string::npos) << report;
  EXPECT_NE(report.find("1 NPN_MemAlloc blocks"), std::string::npos) << report;
}

TEST_F(NpnTest, IntegerIdentifiersAreNotNames) {
  NPIdentifier seven = npn.getintidentifier(7);
  EXPECT_EQ(seven, IdentifierForPropertyName("7"));
  EXPECT_NE(seven, npn.getstringidentifier("7"));
  EXPECT_EQ(npn.intfromidentifier(seven), 7);
  EXPECT_EQ(npn.utf8fromidentifier(seven), nullptr);
  NPUTF8* name = npn.utf8fromidentifier(npn.getstringidentifier("7"));
  EXPECT_STREQ(name, "7");
  npn.memfree(name);
  EXPECT_EQ(ledger.Report(), "");
}

constexpr int kThreads = 8;
constexpr int kCalls = 400;

// What the async calls saw; touched only on the main thread, where they must run.
struct {
  int next[kThreads];  // per sending thread, the sequence number due
  int total;
  bool outOfOrder, offMainThread;
} gSeen;

// `data` points at thread * kCalls + sequence.
void RunCall(void* data) {
  int call = *static_cast<int*>(data);
  gSeen.offMainThread |= !Browser::Current().OnMainThread();
  gSeen.outOfOrder |= gSeen.next[call / kCalls]++ != call % kCalls;
  if (++gSeen.total == kThreads * kCalls) static_cast<MainLoop&>(Browser::Current().Loop()).Stop();
}

TEST_F(NpnTest, AsyncCallsFromManyThreadsRunOnTheMainThreadInEachThreadsOrder) {
  NPP_t instance{};
  browser.InstanceCreated(&instance, nullptr);
  gSeen = {};
  std::vector<int> calls(kThreads * kCalls);
  std::iota(calls.begin(), calls.end(), 0);
  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = t * kCalls; i < (t + 1) * kCalls; ++i) {
        npn.pluginthreadasynccall(&instance, RunCall, &calls[i]);
      }
    });
  }
  // The loop runs while the threads are still sending.
  auto result = loop.Run(MainLoop::Clock::now() + std::chrono::seconds(20));
  for (auto& sender : senders) sender.join();
  EXPECT_EQ(result, MainLoop::RunResult::kStopped);
  EXPECT_EQ(gSeen.total, kThreads * kCalls);
  EXPECT_FALSE(gSeen.offMainThread);
  EXPECT_FALSE(gSeen.outOfOrder);
}

// With a page's script engine and the bridge to it; nothing may be left over.
class BridgeTest : public NpnTest {
 protected:
  void SetUp() override {
    engine.SetUncaughtHandler([](const std::string& report) { ADD_FAILURE() << report; });
    bridge = std::make_unique<ScriptBridge>(engine, browser, NumberMode::kDouble);
    browser.SetBridge(bridge.get());
  }
  void TearDown() override {
    bridge->ReleaseWrappedObjects();
    browser.SetBridge(nullptr);
    bridge.reset();
    EXPECT_EQ(ledger.Report(), "");
  }
  JSValueRef Eval(const std::string& code) {
    JSValueRef value = nullptr;
    EXPECT_TRUE(engine.Evaluate(code, "test.js", 1, nullptr, &value)) << code;
    return value;
  }
  std::string EvalText(const std::string& js) { return ToStdString(engine.Context(), Eval(js)); }

  ScriptEngine engine;
  std::unique_ptr<ScriptBridge> bridge;
};

TEST_F(BridgeTest, ObjectsCrossTheBridgeAsThemselvesWithTheirReferences) {
  // A script function is one NPObject while it lives, with a reference per request.
  JSObjectRef function = JSValueToObject(engine.Context(), Eval("(function () {})"), nullptr);
  NPObject* proxy = bridge->NpObjectFor(function);
  EXPECT_EQ(bridge->NpObjectFor(function), proxy);
  EXPECT_EQ(proxy->referenceCount, 2u);
  npn.releaseobject(proxy);
  npn.releaseobject(proxy);  // a release too many or too few fails TearDown
  // A plug-in object that went into script comes back as itself.
  NPVariant in{NPVariantType_Object, {}};
  in.value.objectValue = npn.createobject(nullptr, &gRaiseClass);
  NPVariant out;
  bridge->ToVariant(bridge->FromVariant(in), &out);
  EXPECT_EQ(out.value.objectValue, in.value.objectValue);
  EXPECT_EQ(in.value.objectValue->referenceCount, 3u);  // ours, the wrapper's, the variant's
  bridge->ReleaseVariant(&out);
  bridge->ReleaseVariant(&in);
}

TEST_F(BridgeTest, PlugInExceptionsAndForeignThisBecomeScriptErrors) {
  NPObject* object = npn.createobject(nullptr, &gRaiseClass);
  JSObjectSetProperty(engine.Context(), engine.Global(), JsString("av").get(),
                      bridge->Wrap(object, nullptr), kJSPropertyAttributeNone, nullptr);
  npn.releaseobject(object);  // the wrapper holds its own
  EXPECT_EQ(EvalText("try { av.raise(); 'no' } catch (e) { e.message }"), "plug-in says no");
  // The method object has private data too, but is not a wrapper.
  EXPECT_EQ(EvalText("try { Reflect.apply(av.raise, av.raise, []); 'no' } catch (e) { e.message }"),
            "plug-in method called on an object that is not its own");
}

}  // namespace
}  // namespace tvhost
