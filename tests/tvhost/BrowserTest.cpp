// tvhost's browser core below what the page tests see: reference counts and
// the leak ledger, integer identifiers, and the bridge to script (object
// identity, errors). How values convert is in ExitCodesTest, on pages; the
// async call queue is driven by every page's player events.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

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
