// The host's bridge between NPAPI and the page's JavaScript: conversions,
// script objects as NPObjects and back, reference counts and identifiers.
#include <gtest/gtest.h>

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

// A plug-in object: method "twice", a method that fails and one that
// raises an exception.
NPObject* FakeAllocate(NPP, NPClass*) { return new NPObject(); }
void FakeDeallocate(NPObject* object) { delete object; }
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
NPClass gFakeClass = {NP_CLASS_STRUCT_VERSION, FakeAllocate, FakeDeallocate, nullptr,
                      FakeHasMethod, FakeInvoke, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr};

// The browser's NPN functions, without a page.
class NpnTest : public ::testing::Test {
 protected:
  NPNetscapeFuncs& Npn() { return *browser.Funcs(); }
  MainLoop loop;
  LeakLedger ledger;
  Browser browser{loop, ledger};
};

// The same with a page's script engine and the bridge to it.
class BridgeTest : public NpnTest {
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
  std::string EvalText(const std::string& js) { return ToStdString(engine.Context(), Eval(js)); }
  bool NpnEvaluate(NPObject* window, const std::string& script, NPVariant* result) {
    NPString text{script.c_str(), static_cast<uint32_t>(script.size())};
    return Npn().evaluate(nullptr, window, &text, result);
  }

  ScriptEngine engine;
  std::unique_ptr<ScriptBridge> bridge;
  std::vector<std::string> uncaught;
};

struct ConversionCase {
  const char* script;
  NumberMode numbers;
  const char* expected;
};

class ConversionTest : public BridgeTest, public ::testing::WithParamInterface<ConversionCase> {
 protected:
  void SetUp() override { Open(GetParam().numbers); }
};

TEST_P(ConversionTest, ScriptValueBecomesVariantAndComesBackUnchanged) {
  JSValueRef original = Eval(GetParam().script);
  NPVariant variant;
  bridge->ToVariant(original, &variant);
  EXPECT_EQ(Describe(variant), GetParam().expected);
  EXPECT_TRUE(JSValueIsStrictEqual(engine.Context(), original, bridge->FromVariant(variant)));
  bridge->ReleaseVariant(&variant);
  EXPECT_EQ(ledger.LiveBlocks(), 0u);
}

constexpr NumberMode kDouble = NumberMode::kDouble;
constexpr NumberMode kInt32 = NumberMode::kInt32;
const ConversionCase kConversions[] = {
    {"7", kDouble, "double:7.000000"},  {"7", kInt32, "int32:7"},
    {"-2147483648", kInt32, "int32:-2147483648"},
    {"2147483648", kInt32, "double:2147483648.000000"},
    {"2.5", kInt32, "double:2.500000"}, {"-0", kInt32, "double:-0.000000"},
    {"'h\\u00e9 \"q\"'", kDouble, "string:h\xc3\xa9 \"q\""}, {"''", kDouble, "string:"},
    {"true", kDouble, "bool:true"},     {"null", kDouble, "null"},
    {"undefined", kDouble, "void"},     {"(function () {})", kDouble, "object"}};
INSTANTIATE_TEST_SUITE_P(Values, ConversionTest, ::testing::ValuesIn(kConversions));

TEST_F(BridgeTest, ScriptFunctionIsOneNPObjectThatCallsItWithStringArguments) {
  Eval("var got = [];");
  JSObjectRef function = JSValueToObject(
      engine.Context(), Eval("(function (a, b) { got.push(a + '|' + b); return 42; })"), nullptr);
  NPObject* first = bridge->NpObjectFor(function);
  ASSERT_EQ(bridge->NpObjectFor(function), first);
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
  Npn().releaseobject(first);
  EXPECT_EQ(ledger.LiveObjects(), 0u);
}

TEST_F(BridgeTest, EvaluateRunsInThePageAndReportsExceptionsAsUncaught) {
  NPObject* window = nullptr;
  ASSERT_EQ(Npn().getvalue(nullptr, NPNVWindowNPObject, &window), NPERR_NO_ERROR);
  Eval("var curWidget = {width: 960};");
  NPVariant result;
  ASSERT_TRUE(NpnEvaluate(window, "(function() { return '' + curWidget.width; })()", &result));
  EXPECT_EQ(Describe(result), "string:960");
  Npn().releasevariantvalue(&result);

  EXPECT_FALSE(NpnEvaluate(window, "missing(\"1\",\"\");", &result));
  ASSERT_EQ(uncaught.size(), 1u);
  EXPECT_NE(uncaught[0].find("missing"), std::string::npos);
  Npn().releaseobject(window);
}

TEST_F(BridgeTest, WrappedNPObjectForwardsToItsClassAndFallsBackToTheElement) {
  NPObject* object = Npn().createobject(nullptr, &gFakeClass);
  Element element{"object", {{"id", "av"}, {"data", "http://x/y.ts"}}};
  JSObjectSetProperty(engine.Context(), engine.Global(), JsString("av").get(),
                      bridge->Wrap(object, &element), kJSPropertyAttributeNone, nullptr);
  Npn().releaseobject(object);

  EXPECT_EQ(EvalText("typeof av.twice + ' ' + av.twice(21)"), "function 42");
  EXPECT_EQ(EvalText("[av.id, av.getAttribute('DATA'), av.tagName]"), "av,http://x/y.ts,OBJECT");
  EXPECT_EQ(EvalText("av.extra = 3; av.extra"), "3");
  EXPECT_EQ(EvalText("try { av.fail(); 'no' } catch (e) { e.message }"),
            "Error calling method on NPObject.");
  EXPECT_EQ(EvalText("try { av.raise(); 'no' } catch (e) { e.message }"), "plug-in says no");
  EXPECT_EQ(EvalText("var f = av.twice; try { f(1); 'no' } catch (e) { e.message }"),
            "plug-in method called on an object that is not its own");
  EXPECT_EQ(object->referenceCount, 1u);  // the wrapper's
  bridge->ReleaseWrappedObjects();
  EXPECT_EQ(ledger.LiveObjects(), 0u);
}

TEST_F(BridgeTest, NPObjectPassedBackFromScriptIsTheSameObject) {
  NPVariant in{};
  in.type = NPVariantType_Object;
  in.value.objectValue = Npn().createobject(nullptr, &gFakeClass);
  NPVariant out;
  bridge->ToVariant(bridge->FromVariant(in), &out);
  EXPECT_EQ(out.value.objectValue, in.value.objectValue);
  EXPECT_EQ(in.value.objectValue->referenceCount, 3u);  // ours, the wrapper's, the variant's
  bridge->ReleaseVariant(&out);
  bridge->ReleaseVariant(&in);
}

TEST_F(NpnTest, ReferenceCountsDecideWhenAnObjectIsDeallocatedAndMisusesAreNoted) {
  NPObject* object = Npn().createobject(nullptr, &gFakeClass);
  EXPECT_EQ(Npn().retainobject(object), object);
  Npn().releaseobject(object);
  EXPECT_TRUE(ledger.IsLiveObject(object));
  // The last release off the main thread defers the deallocation to it.
  std::thread([&] { Npn().releaseobject(object); }).join();
  EXPECT_TRUE(ledger.IsLiveObject(object));
  EXPECT_EQ(loop.RunQueued(10), 1u);
  EXPECT_EQ(ledger.Report(), "");

  NPObject* plain = Npn().createobject(nullptr, &gFakeClass);
  Npn().releaseobject(plain);
  Npn().releaseobject(plain);  // gone: noted, nothing freed twice
  int foreign = 0;
  Npn().memfree(&foreign);  // noted, not freed
  Npn().memfree(Npn().memalloc(0));
  std::string report = ledger.Report();
  EXPECT_NE(report.find("not alive"), std::string::npos) << report;
  EXPECT_NE(report.find("not from NPN_MemAlloc"), std::string::npos) << report;
}

TEST_F(NpnTest, NamesAndNumbersAreInternedOnce) {
  NPIdentifier play = Npn().getstringidentifier("play");
  EXPECT_EQ(play, Npn().getstringidentifier(std::string("pl").append("ay").c_str()));
  EXPECT_NE(play, Npn().getstringidentifier("Play"));
  EXPECT_TRUE(Npn().identifierisstring(play));
  NPUTF8* name = Npn().utf8fromidentifier(play);
  EXPECT_STREQ(name, "play");
  Npn().memfree(name);

  NPIdentifier seven = Npn().getintidentifier(7);
  EXPECT_EQ(seven, IdentifierForPropertyName("7"));
  EXPECT_NE(seven, Npn().getstringidentifier("7"));
  EXPECT_FALSE(Npn().identifierisstring(seven));
  EXPECT_EQ(Npn().intfromidentifier(seven), 7);
  EXPECT_EQ(Npn().utf8fromidentifier(seven), nullptr);
  EXPECT_EQ(ledger.LiveBlocks(), 0u);
}

}  // namespace
}  // namespace tvhost
