// The host's bridge between NPAPI and the page's JavaScript: conversions,
// script objects as NPObjects, NPObjects as script objects, reference
// counts and identifiers.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <thread>

#include "Browser.h"
#include "Document.h"
#include "Identifiers.h"
#include "JsUtil.h"
#include "LeakLedger.h"
#include "MainLoop.h"
#include "ScriptBridge.h"
#include "ScriptEngine.h"

namespace tvhost {
namespace {

std::string Describe(const NPVariant& v) {
  switch (v.type) {
    case NPVariantType_Void: return "void";
    case NPVariantType_Null: return "null";
    case NPVariantType_Bool: return v.value.boolValue ? "bool:true" : "bool:false";
    case NPVariantType_Int32: return "int32:" + std::to_string(v.value.intValue);
    case NPVariantType_Double: return "double:" + std::to_string(v.value.doubleValue);
    case NPVariantType_String:
      return "string:" + std::string(v.value.stringValue.UTF8Characters,
                                     v.value.stringValue.UTF8Length);
    case NPVariantType_Object: return "object";
  }
  return "?";
}

// A plug-in object: property "value", method "twice", a method that fails
// and one that raises an exception.
struct FakeObject : NPObject {
  int value = 0;
};
NPObject* FakeAllocate(NPP, NPClass*) { return new FakeObject(); }
void FakeDeallocate(NPObject* object) { delete static_cast<FakeObject*>(object); }
bool FakeHasMethod(NPObject*, NPIdentifier name) {
  std::string n = IdentifierName(name);
  return n == "twice" || n == "fail" || n == "raise";
}
bool FakeInvoke(NPObject* object, NPIdentifier name, const NPVariant* args, uint32_t count,
                NPVariant* result) {
  std::string n = IdentifierName(name);
  if (n == "raise") Browser::Current().Funcs()->setexception(object, "plug-in says no");
  if (n != "twice" || count != 1 || args[0].type != NPVariantType_Double) return n == "raise";
  result->type = NPVariantType_Int32;
  result->value.intValue = static_cast<int32_t>(args[0].value.doubleValue * 2);
  return true;
}
bool FakeHasProperty(NPObject*, NPIdentifier name) { return IdentifierName(name) == "value"; }
bool FakeGetProperty(NPObject* object, NPIdentifier, NPVariant* result) {
  result->type = NPVariantType_Int32;
  result->value.intValue = static_cast<FakeObject*>(object)->value;
  return true;
}
bool FakeSetProperty(NPObject* object, NPIdentifier, const NPVariant* value) {
  static_cast<FakeObject*>(object)->value = static_cast<int>(value->value.doubleValue);
  return true;
}
NPClass gFakeClass = {NP_CLASS_STRUCT_VERSION, FakeAllocate, FakeDeallocate, nullptr,
                      FakeHasMethod, FakeInvoke, nullptr, FakeHasProperty, FakeGetProperty,
                      FakeSetProperty, nullptr, nullptr, nullptr};

class BridgeTest : public ::testing::Test {
 protected:
  void Open(NumberMode numbers) {
    engine.SetUncaughtHandler([this](const std::string& report) { uncaught.push_back(report); });
    bridge = std::make_unique<ScriptBridge>(engine, browser, numbers);
    browser.SetBridge(bridge.get());
  }
  void SetUp() override { Open(NumberMode::kDouble); }
  void TearDown() override {
    bridge->ReleaseWrappedObjects();
    loop.RunQueued(1000);
    browser.SetBridge(nullptr);
    bridge.reset();
    EXPECT_EQ(ledger.Report(), "");
  }
  JSValueRef Eval(const std::string& code) {
    JSValueRef value = nullptr;
    EXPECT_TRUE(engine.Evaluate(code, "test.js", 1, nullptr, &value)) << code;
    return value;
  }
  std::string EvalText(const std::string& code) { return ToStdString(engine.Context(), Eval(code)); }
  NPNetscapeFuncs& Npn() { return *browser.Funcs(); }

  MainLoop loop;
  LeakLedger ledger;
  Browser browser{loop, ledger};
  ScriptEngine engine;
  std::unique_ptr<ScriptBridge> bridge;
  std::vector<std::string> uncaught;
};

struct ConversionCase {
  const char* script;
  NumberMode numbers;
  const char* expected;
};

class ConversionTest : public BridgeTest,
                       public ::testing::WithParamInterface<ConversionCase> {
 protected:
  void SetUp() override { Open(GetParam().numbers); }
};

TEST_P(ConversionTest, ScriptValueBecomesVariantAndComesBackUnchanged) {
  JSValueRef original = Eval(GetParam().script);
  NPVariant variant;
  bridge->ToVariant(original, &variant);
  EXPECT_EQ(Describe(variant), GetParam().expected);
  JSValueRef back = bridge->FromVariant(variant);
  EXPECT_TRUE(JSValueIsStrictEqual(engine.Context(), original, back)) << GetParam().script;
  bridge->ReleaseVariant(&variant);
  EXPECT_EQ(ledger.LiveBlocks(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConversionTest,
    ::testing::Values(ConversionCase{"7", NumberMode::kDouble, "double:7.000000"},
                      ConversionCase{"7", NumberMode::kInt32, "int32:7"},
                      ConversionCase{"-2147483648", NumberMode::kInt32, "int32:-2147483648"},
                      ConversionCase{"2147483648", NumberMode::kInt32, "double:2147483648.000000"},
                      ConversionCase{"2.5", NumberMode::kInt32, "double:2.500000"},
                      ConversionCase{"-0", NumberMode::kInt32, "double:-0.000000"},
                      ConversionCase{"'h\\u00e9 \"q\"'", NumberMode::kDouble, "string:h\xc3\xa9 \"q\""},
                      ConversionCase{"''", NumberMode::kDouble, "string:"},
                      ConversionCase{"true", NumberMode::kDouble, "bool:true"},
                      ConversionCase{"null", NumberMode::kDouble, "null"},
                      ConversionCase{"undefined", NumberMode::kDouble, "void"},
                      ConversionCase{"(function () {})", NumberMode::kDouble, "object"}));

TEST_F(BridgeTest, ScriptFunctionIsOneNPObjectThatCallsItWithStringArguments) {
  JSObjectRef function = JSValueToObject(
      engine.Context(), Eval("var got = []; (function (a, b) { got.push(a + '|' + b); return 42; })"),
      nullptr);
  NPObject* first = bridge->NpObjectFor(function);
  NPObject* second = bridge->NpObjectFor(function);
  ASSERT_EQ(first, second);
  EXPECT_EQ(first->referenceCount, 2u);

  NPVariant args[2];
  bridge->ToVariant(Eval("'1'"), &args[0]);
  bridge->ToVariant(Eval("''"), &args[1]);
  NPVariant result;
  ASSERT_TRUE(Npn().invokeDefault(nullptr, first, args, 2, &result));
  EXPECT_EQ(Describe(result), "double:42.000000");
  EXPECT_EQ(EvalText("got.join(',')"), "1|");
  for (NPVariant& arg : args) Npn().releasevariantvalue(&arg);

  Npn().releaseobject(first);
  EXPECT_EQ(ledger.LiveObjects(), 1u);
  Npn().releaseobject(second);
  EXPECT_EQ(ledger.LiveObjects(), 0u);
}

TEST_F(BridgeTest, EvaluateRunsInThePageAndReportsExceptionsAsUncaught) {
  NPObject* window = nullptr;
  ASSERT_EQ(Npn().getvalue(nullptr, NPNVWindowNPObject, &window), NPERR_NO_ERROR);
  Eval("var curWidget = {width: 960};");
  std::string script = "(function() { return curWidget.width.toString(); })()";
  NPString text{script.c_str(), static_cast<uint32_t>(script.size())};
  NPVariant result;
  ASSERT_TRUE(Npn().evaluate(nullptr, window, &text, &result));
  EXPECT_EQ(Describe(result), "string:960");
  Npn().releasevariantvalue(&result);

  std::string failing = "missing(\"1\",\"\");";
  NPString bad{failing.c_str(), static_cast<uint32_t>(failing.size())};
  EXPECT_FALSE(Npn().evaluate(nullptr, window, &bad, &result));
  ASSERT_EQ(uncaught.size(), 1u);
  EXPECT_NE(uncaught[0].find("missing"), std::string::npos);
  Npn().releaseobject(window);
}

TEST_F(BridgeTest, WrappedNPObjectForwardsToItsClassAndFallsBackToTheElement) {
  NPObject* object = Npn().createobject(nullptr, &gFakeClass);
  Element element{"object", {{"id", "av"}, {"data", "http://x/y.ts"}}};
  JSObjectRef wrapper = bridge->Wrap(object, &element);
  Npn().releaseobject(object);
  JSValueRef av = wrapper;
  JSObjectSetProperty(engine.Context(), engine.Global(), JsString("av").get(), av,
                      kJSPropertyAttributeNone, nullptr);

  EXPECT_EQ(EvalText("av.value = 5; av.value"), "5");
  EXPECT_EQ(EvalText("av.twice(21)"), "42");
  EXPECT_EQ(EvalText("typeof av.twice"), "function");
  EXPECT_EQ(EvalText("av.id + ' ' + av.getAttribute('DATA') + ' ' + av.tagName"),
            "av http://x/y.ts OBJECT");
  EXPECT_EQ(EvalText("av.extra = 3; av.extra"), "3");
  EXPECT_EQ(EvalText("try { av.fail(); 'no' } catch (e) { e.message }"),
            "Error calling method on NPObject.");
  EXPECT_EQ(EvalText("try { av.raise(); 'no' } catch (e) { e.message }"), "plug-in says no");
  EXPECT_EQ(EvalText("var f = av.twice; try { f(1); 'no' } catch (e) { e.message }"),
            "plug-in method called on an object that is not its own");
  EXPECT_EQ(static_cast<FakeObject*>(object)->value, 5);
  EXPECT_EQ(object->referenceCount, 1u);  // the wrapper's
  bridge->ReleaseWrappedObjects();
  EXPECT_EQ(ledger.LiveObjects(), 0u);
}

TEST_F(BridgeTest, NPObjectPassedBackFromScriptIsTheSameObject) {
  NPObject* object = Npn().createobject(nullptr, &gFakeClass);
  NPVariant in{};
  in.type = NPVariantType_Object;
  in.value.objectValue = object;
  JSValueRef wrapper = bridge->FromVariant(in);
  NPVariant out;
  bridge->ToVariant(wrapper, &out);
  EXPECT_EQ(out.value.objectValue, object);
  EXPECT_EQ(object->referenceCount, 3u);  // ours, the wrapper's, the variant's
  bridge->ReleaseVariant(&out);
  Npn().releaseobject(object);
}

TEST(ObjectLifetimeTest, ReferenceCountsDecideWhenAnObjectIsDeallocated) {
  MainLoop loop;
  LeakLedger ledger;
  Browser browser(loop, ledger);
  NPNetscapeFuncs& npn = *browser.Funcs();
  NPObject* object = npn.createobject(nullptr, &gFakeClass);
  EXPECT_EQ(npn.retainobject(object), object);
  npn.releaseobject(object);
  EXPECT_TRUE(ledger.IsLiveObject(object));

  // The last release off the main thread defers the deallocation to it.
  std::thread([&] { npn.releaseobject(object); }).join();
  EXPECT_TRUE(ledger.IsLiveObject(object));
  EXPECT_EQ(loop.RunQueued(10), 1u);
  EXPECT_EQ(ledger.LiveObjects(), 0u);
  EXPECT_EQ(ledger.Report(), "");

  NPObject* plain = npn.createobject(nullptr, &gFakeClass);
  npn.releaseobject(plain);
  npn.releaseobject(plain);  // gone: noted, nothing freed twice
  EXPECT_NE(ledger.Report().find("not alive"), std::string::npos);
}

TEST(LeakLedgerTest, ReportsBlocksObjectsAndForeignFrees) {
  MainLoop loop;
  LeakLedger ledger;
  Browser browser(loop, ledger);
  NPNetscapeFuncs& npn = *browser.Funcs();
  void* kept = npn.memalloc(10);
  npn.memfree(npn.memalloc(0));
  NPObject* object = npn.createobject(nullptr, &gFakeClass);
  int foreign = 0;
  npn.memfree(&foreign);
  std::string report = ledger.Report();
  EXPECT_NE(report.find("1 NPN_MemAlloc blocks (10 bytes)"), std::string::npos) << report;
  EXPECT_NE(report.find("1 of 1 NPObjects"), std::string::npos) << report;
  EXPECT_NE(report.find("not from NPN_MemAlloc"), std::string::npos) << report;
  npn.memfree(kept);
  npn.releaseobject(object);
}

TEST(IdentifierTest, NamesAndNumbersAreInternedOnce) {
  MainLoop loop;
  LeakLedger ledger;
  Browser browser(loop, ledger);
  NPNetscapeFuncs& npn = *browser.Funcs();
  NPIdentifier play = npn.getstringidentifier("play");
  EXPECT_EQ(play, npn.getstringidentifier(std::string("pl").append("ay").c_str()));
  EXPECT_NE(play, npn.getstringidentifier("Play"));
  EXPECT_TRUE(npn.identifierisstring(play));
  NPUTF8* name = npn.utf8fromidentifier(play);
  EXPECT_STREQ(name, "play");
  npn.memfree(name);

  NPIdentifier seven = npn.getintidentifier(7);
  EXPECT_EQ(seven, IdentifierForPropertyName("7"));
  EXPECT_NE(seven, npn.getstringidentifier("7"));
  EXPECT_FALSE(npn.identifierisstring(seven));
  EXPECT_EQ(npn.intfromidentifier(seven), 7);
  EXPECT_EQ(npn.utf8fromidentifier(seven), nullptr);
  EXPECT_EQ(ledger.LiveBlocks(), 0u);
}

}  // namespace
}  // namespace tvhost
