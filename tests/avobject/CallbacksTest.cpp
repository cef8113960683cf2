// Callback registration and its ownership, and the two delivery forms.
#include <gtest/gtest.h>

#include "AVObjectFixture.h"
#include "host/np_log.h"
#include "service/AsyncDelivery.h"

namespace avtest {
namespace {

using namespace NSPlRuvoAVObject;
using Strings = std::vector<std::string>;

TEST_F(AVObjectTest, RegistrationHoldsOneReferenceOnTheLatestObject) {
  NPObject* a = Function();
  NPObject* b = Function();
  EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, a), 1);
  EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, a), 1);
  EXPECT_EQ(browser.RefCount(a), 2u);  // the test's and one registration
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kTrace, "Register same callback, do nothing\n"));
  EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, b), 1);
  EXPECT_EQ(browser.RefCount(a), 1u);
  EXPECT_EQ(browser.RefCount(b), 2u);
  // Neither a name nor an object changes nothing.
  EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(av->SetonPlayStateChange(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(av->monUpdateProgressObj, b);
  Event(14, "5000", "");
  EXPECT_TRUE(browser.CallsOf(a).empty());
  EXPECT_EQ(browser.CallsOf(b).size(), 1u);
}

TEST_F(AVObjectTest, ObjectWinsOverNameWhenBothAreRegistered) {
  NPObject* a = Function();
  av->SetonPlayStateChange(nullptr, nullptr, a);
  av->SetonPlayStateChange(nullptr, NameBuffer("byName"), nullptr);
  EXPECT_EQ(av->monPlayStateChangeObj, a);
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(a), Strings({"0"}));
  EXPECT_TRUE(browser.EvaluatedScripts().empty());
}

TEST_F(AVObjectTest, ANewNameReplacesAndFreesTheOld) {
  av->SetonPlayStateChange(nullptr, NameBuffer("first"), nullptr);
  av->SetonPlayStateChange(nullptr, NameBuffer("second"), nullptr);
  EXPECT_EQ(browser.LiveAllocations(), 1u);
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo,
                                      "SetonPlayStateChange functionName = second\n"));
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(browser.EvaluatedScripts(), Strings({"second(\"0\",\"\");"}));
}

TEST_F(AVObjectTest, FunctionFormCallsWithTwoStringsAndDropsItsReference) {
  NPObject* a = Function();
  av->SetonPlayStateChange(nullptr, nullptr, a);
  Event(7, "", "");
  ASSERT_EQ(browser.CallsOf(a).size(), 1u);
  EXPECT_EQ(browser.CallsOf(a)[0].args, Strings({"1", ""}));
  EXPECT_EQ(browser.RefCount(a), 2u);  // the test's and the registration's
  EXPECT_EQ(browser.LiveAllocations(), 0u);
}

TEST_F(AVObjectTest, NameFormEvaluatesACallInTheWindow) {
  av->SetonPlayStateChange(nullptr, NameBuffer("onChange"), nullptr);
  Event(12, "", "");
  EXPECT_EQ(browser.EvaluatedScripts(), Strings({"onChange(\"1\",\"\");"}));
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, "=======Value of script = onChange(\"1\",\"\");"));
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, " NPNFuncs.evaluate ret = 1"));
}

TEST(CallScript, ParametersCannotEndTheirLiteral) {
  const struct {
    const char* param1;
    const char* param2;
    const char* script;
  } cases[] = {
      {"1", "", "f(\"1\",\"\");"},
      {"a\"b", "c\\d", "f(\"a\\\"b\",\"c\\\\d\");"},
      {"\");evil();(\"", "", "f(\"\\\");evil();(\\\"\",\"\");"},
      {"line\nbreak\r\t", "\x01", "f(\"line\\u000Abreak\\u000D\\u0009\",\"\\u0001\");"},
      {"\xE2\x80\xA8x\xE2\x80\xA9", "caf\xC3\xA9", "f(\"\\u2028x\\u2029\",\"caf\xC3\xA9\");"},
      {"\xE2\x80", "\xE2", "f(\"\xE2\x80\",\"\xE2\");"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildCallScript("f", c.param1, c.param2), c.script) << c.param1;
  }
}

TEST_F(AVObjectTest, EvaluationFailureIsOnlyLogged) {
  browser.SetEvaluateHandler([](const std::string&, NPVariant*) { return false; });
  av->SetonPlayStateChange(nullptr, NameBuffer("missing"), nullptr);
  Event(8, "", "");
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, " NPNFuncs.evaluate ret = 0"));
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_FINISHED);
}

TEST_F(AVObjectTest, WithoutAWindowObjectNothingIsEvaluated) {
  browser.SetWindowAvailable(false);
  av->SetonPlayStateChange(nullptr, NameBuffer("onChange"), nullptr);
  Event(8, "", "");
  EXPECT_TRUE(browser.EvaluatedScripts().empty());
  EXPECT_TRUE(testbrowser::HasLogLine(nplog::kInfo, " NPNFuncs.evaluate ret = 0"));
}

TEST_F(AVObjectTest, DestroyingReleasesEachRegistrationOnce) {
  NPObject* a = Function();
  NPObject* b = Function();
  av->SetonPlayStateChange(nullptr, NameBuffer("x"), a);
  av->SetonPlayStateChange(nullptr, nullptr, a);
  av->SetonUpdateProgress(nullptr, NameBuffer("y"), b);
  av->SetonUpdateProgress(nullptr, nullptr, b);
  DestroyObject();
  EXPECT_EQ(browser.RefCount(a), 1u);
  EXPECT_EQ(browser.RefCount(b), 1u);
  EXPECT_EQ(browser.LiveAllocations(), 0u);
}

TEST_F(AVObjectTest, BehaviourIsTheSameWithoutALogHook) {
  testbrowser::SetLogHookInstalled(false);
  NPObject* a = Function();
  av->SetonPlayStateChange(nullptr, nullptr, a);
  Answer("StartPlayback", "I0");
  EXPECT_EQ(av->Play(nullptr, 1, eCOMPONENT_HAS), 0);
  Event(7, "", "");
  testbrowser::SetLogHookInstalled(true);
  EXPECT_EQ(FirstArguments(a), Strings({"3", "6", "1"}));
  EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_PLAY);
  EXPECT_TRUE(testbrowser::CapturedLog().empty());
}

}  // namespace
}  // namespace avtest
