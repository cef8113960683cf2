// Callback registration and its ownership, the script text of the name form,
// and deliveries that cannot reach the page.
#include <gtest/gtest.h>

#include <functional>

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
  EXPECT_EQ(Run([&] {
              EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, a), 1);
              EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, a), 1);
              EXPECT_EQ(browser.RefCount(a), 2u);  // the test's and one registration
              EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, b), 1);
              EXPECT_EQ(av->SetonPlayStateChange(nullptr, NameBuffer("m"), nullptr), 1);
              EXPECT_EQ(av->SetonPlayStateChange(nullptr, NameBuffer("n"), nullptr), 1);
              EXPECT_EQ(browser.LiveAllocations(), 1u);  // the replaced name is freed
              // Neither a name nor an object changes nothing.
              EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, nullptr), 0);
              EXPECT_EQ(av->SetonPlayStateChange(nullptr, nullptr, nullptr), 0);
            }),
            Lines({"4 SetonUpdateProgress: SetonUpdateProgress functionObj = <ptr>\n",
                   "5 SetonUpdateProgress: Register same callback, do nothing\n",
                   "4 SetonUpdateProgress: SetonUpdateProgress functionObj = <ptr>\n",
                   "4 SetonPlayStateChange: SetonPlayStateChange functionName = m\n",
                   "4 SetonPlayStateChange: SetonPlayStateChange functionName = n\n"}));
  EXPECT_EQ(browser.RefCount(a), 1u);
  EXPECT_EQ(browser.RefCount(b), 2u);
  Event(14, "5000", "");
  EXPECT_TRUE(browser.CallsOf(a).empty());
  EXPECT_EQ(browser.CallsOf(b).size(), 1u);
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
      {"line\nbreak\r\t", "\x01\x7F", "f(\"line\\u000Abreak\\u000D\\u0009\",\"\\u0001\\u007F\");"},
      {"\xE2\x80\xA8x\xE2\x80\xA9", "caf\xC3\xA9", "f(\"\\u2028x\\u2029\",\"caf\xC3\xA9\");"},
      {"\xC2\x80\xC2\x9F\xC2\xA0", "\xC2", "f(\"\\u0080\\u009F\xC2\xA0\",\"\xC2\");"},
      {"\xE2\x80", "\xE2", "f(\"\xE2\x80\",\"\xE2\");"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BuildCallScript("f", c.param1, c.param2), c.script) << c.param1;
  }
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

// A delivery the browser or the page cannot take: what is logged, and that
// nothing leaks (the fixture checks that at the end).
struct UndeliveredRow {
  const char* name;
  Form form;
  std::function<void(testbrowser::TestBrowser&)> breakBrowser;  // after the operation, before the loop
  bool fromEvent;                                    // event 8, else an accepted Stop
  Lines transcript;
};

class UndeliveredTest : public AVObjectTest,
                        public ::testing::WithParamInterface<UndeliveredRow> {};

TEST_P(UndeliveredTest, IsLoggedAndLeavesNothingBehind) {
  const UndeliveredRow& row = GetParam();
  Register(row.form);
  EXPECT_EQ(Run([&] {
              if (row.fromEvent) {
                Connection()->Emit(8, "", "");
                ASSERT_TRUE(Connection()->WaitDelivered());
              } else {
                av->Stop(nullptr);
              }
              row.breakBrowser(browser);
            }),
            row.transcript);
  browser.InstallIntoModule();
}

const Lines kStopped = {"> Stop |||", "5 Stop: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_STOP"};
const Lines kFinished = {"4 OnEvent: CZorBase::OnEvent,type:[8]",
                         "5 OnEvent: stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_FINISHED"};
const char kInside[] = "4 Player_AsyncEvent_str:  Inside Player_AsyncEvent_str  = cb, param1=0, param2=";
const char kScript[] = "4 Player_AsyncEvent_str: =======Value of script = cb(\"0\",\"\");";
const char kNoAsyncCall[] =
    "2 PluginCall:  Callback dropped: the browser offers no NPN_PluginThreadAsyncCall";

void NoAllocations(testbrowser::TestBrowser&) {
  NPNFuncs.memalloc = [](uint32_t) -> void* { return nullptr; };
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UndeliveredTest,
    ::testing::Values(
        UndeliveredRow{"EvaluationFails", Form::kName,
                       [](testbrowser::TestBrowser& b) {
                         b.SetEvaluateHandler([](const std::string&, NPVariant*) {
                           return false;
                         });
                       },
                       false,
                       kStopped + Notified(Form::kName, "0") +
                           Lines{kInside, kScript, "eval cb(\"0\",\"\");",
                                 "4 Player_AsyncEvent_str:  NPNFuncs.evaluate ret = 0"}},
        UndeliveredRow{"NoWindowObject", Form::kName,
                       [](testbrowser::TestBrowser& b) { b.SetWindowAvailable(false); }, false,
                       kStopped + Notified(Form::kName, "0") +
                           Lines{kInside, kScript,
                                 "4 Player_AsyncEvent_str:  NPNFuncs.evaluate ret = 0"}},
        UndeliveredRow{"NameFormOutOfMemory", Form::kName, NoAllocations, false,
                       kStopped + Notified(Form::kName, "0") +
                           Lines{kInside,
                                 "4 Player_AsyncEvent_str: MEMORY ALLOCATION FAILED!!!"}},
        UndeliveredRow{"FunctionFormOutOfMemory", Form::kFunction, NoAllocations, false,
                       kStopped + Notified(Form::kFunction, "0") +
                           Lines{"2 Player_AsyncEvent: MEMORY ALLOCATION FAILED!!!"}},
        UndeliveredRow{"NoInvokeDefault", Form::kFunction,
                       [](testbrowser::TestBrowser&) { NPNFuncs.invokeDefault = nullptr; }, false,
                       kStopped + Notified(Form::kFunction, "0") +
                           Lines{"2 Player_AsyncEvent:  Callback dropped: the browser offers "
                                 "no NPN_InvokeDefault"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A browser without asynchronous calls, or an object without its instance
// handle: the state still moves, nothing is queued, and the lines that need
// the main thread are written only where the change happened on it.
TEST_F(AVObjectTest, WithoutAsyncCallsOrAnInstanceNothingIsQueued) {
  const struct {
    bool noAsyncCall;
    Form form;
    Lines stopped;  // after kStopped
    Lines finished;  // after kFinished
  } cases[] = {
      {true, Form::kName,
       Lines{"4 PlayStateChangeCallback: [cb][0][]"} + Announced(Form::kName, false) +
           Lines{kNoAsyncCall},
       {kNoAsyncCall}},
      {false, Form::kFunction,
       Lines{"4 PlayStateChangeCallback: [][0][]"} + Announced(Form::kFunction, false),
       {}},
  };
  for (const auto& c : cases) {
    Register(c.form);
    if (c.noAsyncCall) NPNFuncs.pluginthreadasynccall = nullptr;
    else av->mnpInstance = nullptr;
    EXPECT_EQ(Run([&] {
                av->Stop(nullptr);
                Connection()->Emit(8, "", "");
                ASSERT_TRUE(Connection()->WaitDelivered());
                EXPECT_EQ(browser.PendingAsyncCalls(), 0u);
              }),
              kStopped + c.stopped + kFinished + c.finished);
    EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_FINISHED);
    browser.InstallIntoModule();
    av->mnpInstance = &npp;
    DestroyObject();
    av = std::make_unique<CPlRuvoAVObject>();
    av->mnpInstance = &npp;
  }
}

}  // namespace
}  // namespace avtest
