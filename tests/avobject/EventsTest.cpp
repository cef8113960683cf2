// Player events and the page callbacks they cause, compared as whole
// transcripts for every way of registering; registration and its
// ownership; deliveries, which reach page script only on the main thread,
// in order, and safely however the browser and the page treat them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <thread>
#include <tuple>

#include "AVObjectFixture.h"
#include "service/AsyncDelivery.h"
#include "service/plRuvoVideo.h"

namespace avtest {
namespace {

using Policy = testbrowser::TestBrowser::QueuedAfterDestroy;

constexpr int kProgress = 14;

struct EventRow {
  int type;
  int state;  // after the event; -1 for no state event
  const char* param1 = "ignored";
  int position = 1234;  // after the event; it starts there
};

class EventTest : public AVObjectTest,
                  public ::testing::WithParamInterface<std::tuple<EventRow, Form>> {};

// The progress event reaches the progress callback, every other event the
// state callback; the other callback has a function that must not be called.
TEST_P(EventTest, MovesTheStateAndCallsThePageOnTheMainThread) {
  const auto& [row, form] = GetParam();
  Register(form, row.type == kProgress);
  Register(Form::kFunction, row.type != kProgress);
  av->stAVObjMember.mplayPosition = 1234;
  av->stAVObjMember.mplayState = eAVOBJ_PLAYSTATE_PAUSE;
  const std::string type = std::to_string(row.type);
  Lines expected = {"4 OnEvent: CZorBase::OnEvent,type:[" + type + "]"};
  if (row.type == kProgress) {
    expected = expected +
               Lines{std::string("4 OnEvent: function str:[") + (HasName(form) ? "cb" : "") +
                     "], param1:[" + row.param1 + "]\n"} +
               Announced(form) + Delivered(form, row.param1, "detail");
  } else if (row.state >= 0) {
    const std::string digit = std::to_string(row.state);
    expected = expected + Lines{StateLine(5, "OnEvent", row.state)} +
               Notified(form, digit, "OnEvent", "detail") + Delivered(form, digit, "detail");
  } else {
    expected.push_back("5 OnEvent: Unhandled cases: type = " + type);
  }
  // An unchanged state notifies again.
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Event(row.type, row.param1, "detail"), expected) << "round " << round;
  }
  EXPECT_EQ(State(), row.state >= 0 ? row.state : eAVOBJ_PLAYSTATE_PAUSE);
  EXPECT_EQ(av->stAVObjMember.mplayPosition, row.position);
  EXPECT_EQ(av->OnEvent(row.type, "", ""), 1);
}

std::string NameOf(int number) {
  return number < 0 ? "Minus" + std::to_string(-number) : std::to_string(number);
}

std::string EventName(const ::testing::TestParamInfo<std::tuple<EventRow, Form>>& info) {
  static const char* const kFormNames[] = {"Nothing", "Function", "Name", "Both"};
  const auto& [row, form] = info.param;
  return "Type" + NameOf(row.type) + (row.type == kProgress ? "To" + NameOf(row.position) : "") +
         kFormNames[static_cast<int>(form)];
}

INSTANTIATE_TEST_SUITE_P(
    Events, EventTest,
    ::testing::Combine(
        ::testing::Values(EventRow{1, 6}, EventRow{2, 6}, EventRow{3, 6}, EventRow{4, 6},
                          EventRow{6, 6}, EventRow{7, 1}, EventRow{12, 1}, EventRow{8, 5},
                          EventRow{11, 4}, EventRow{13, 4}, EventRow{0, -1}, EventRow{5, -1},
                          EventRow{9, -1}, EventRow{10, -1}, EventRow{15, -1}, EventRow{-1, -1},
                          EventRow{2147483647, -1}, EventRow{kProgress, -1, "900", 900},
                          EventRow{kProgress, -1, " -20ms", -20},
                          EventRow{kProgress, -1, "abc", 0},
                          EventRow{kProgress, -1, "99999999999", 2147483647}),
        ::testing::Values(Form::kNone, Form::kFunction, Form::kName, Form::kBoth)),
    EventName);

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
              // Neither a name nor an object changes nothing.
              EXPECT_EQ(av->SetonUpdateProgress(nullptr, nullptr, nullptr), 0);
              EXPECT_EQ(av->SetonPlayStateChange(nullptr, nullptr, nullptr), 0);
            }),
            Lines({"4 SetonUpdateProgress: SetonUpdateProgress functionObj = <ptr>\n",
                   "5 SetonUpdateProgress: Register same callback, do nothing\n",
                   "4 SetonUpdateProgress: SetonUpdateProgress functionObj = <ptr>\n",
                   "4 SetonPlayStateChange: SetonPlayStateChange functionName = m\n",
                   "4 SetonPlayStateChange: SetonPlayStateChange functionName = n\n"}));
  EXPECT_EQ(browser.RefCount(b), 2u);
  Event(14, "5000", "");
  EXPECT_EQ(FirstArguments(b), Strings({"5000"}));
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

// An accepted Stop whose delivery the browser or the page cannot take: what
// is logged, and that nothing leaks (the fixture checks that at the end).
struct UndeliveredRow {
  const char* name;
  Form form;
  std::function<void(testbrowser::TestBrowser&)> breakBrowser;  // before the main loop runs
  Lines delivery;  // what the main loop writes
};

class UndeliveredTest : public AVObjectTest,
                        public ::testing::WithParamInterface<UndeliveredRow> {};

const Lines kStopped = {"> Stop |||", StateLine(5, "Stop", eAVOBJ_PLAYSTATE_STOP)};

TEST_P(UndeliveredTest, IsLoggedAndLeavesNothingBehind) {
  const UndeliveredRow& row = GetParam();
  Register(row.form);
  EXPECT_EQ(Run([&] {
              av->Stop(nullptr);
              row.breakBrowser(browser);
            }),
            kStopped + Notified(row.form, "0") + row.delivery);
  browser.InstallIntoModule();
}

const Lines kFinished = {"4 OnEvent: CZorBase::OnEvent,type:[8]",
                         StateLine(5, "OnEvent", eAVOBJ_PLAYSTATE_FINISHED)};
const Lines kByName = Delivered(Form::kName, "0", "");
const std::string kInside = kByName[0], kScript = kByName[1], kEvaluation = kByName[2];
const char kNotEvaluated[] = "4 Player_AsyncEvent_str:  NPNFuncs.evaluate ret = 0";
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
                         b.SetEvaluateHandler([](const std::string&, NPVariant*) { return false; });
                       },
                       {kInside, kScript, kEvaluation, kNotEvaluated}},
        UndeliveredRow{"NoWindowObject", Form::kName,
                       [](testbrowser::TestBrowser& b) { b.SetWindowAvailable(false); },
                       {kInside, kScript, kNotEvaluated}},
        UndeliveredRow{"NameFormOutOfMemory", Form::kName, NoAllocations,
                       {kInside, "4 Player_AsyncEvent_str: MEMORY ALLOCATION FAILED!!!"}},
        UndeliveredRow{"FunctionFormOutOfMemory", Form::kFunction, NoAllocations,
                       {"2 Player_AsyncEvent: MEMORY ALLOCATION FAILED!!!"}},
        UndeliveredRow{"NoInvokeDefault", Form::kFunction,
                       [](testbrowser::TestBrowser&) { NPNFuncs.invokeDefault = nullptr; },
                       {"2 Player_AsyncEvent:  Callback dropped: the browser offers no "
                        "NPN_InvokeDefault"}}),
    [](const auto& info) { return std::string(info.param.name); });

// An object without its instance handle, or a browser without asynchronous
// calls: the state still moves, nothing is queued, and the lines that need
// the main thread are written only where the change happened on it.
TEST_F(AVObjectTest, WithoutAsyncCallsOrAnInstanceNothingIsQueued) {
  const struct {
    bool noAsyncCall;
    Form form;  // added to what the case before registered
    Lines stopped;  // after kStopped
    Lines finished;  // after kFinished
  } cases[] = {
      {false, Form::kFunction,
       Lines{"4 PlayStateChangeCallback: [][0][]"} + Announced(Form::kFunction, false), {}},
      {true, Form::kName,
       Lines{"4 PlayStateChangeCallback: [cb][0][]"} + Announced(Form::kBoth, false) +
           Lines{kNoAsyncCall},
       {kNoAsyncCall}},
  };
  for (const auto& c : cases) {
    Register(c.form);
    av->mnpInstance = c.noAsyncCall ? &npp : nullptr;
    if (c.noAsyncCall) NPNFuncs.pluginthreadasynccall = nullptr;
    EXPECT_EQ(Run([&] {
                av->Stop(nullptr);
                Connection()->Emit(8, "", "");
                ASSERT_TRUE(Connection()->WaitDelivered());
              }),
              kStopped + c.stopped + kFinished + c.finished);
    EXPECT_EQ(State(), eAVOBJ_PLAYSTATE_FINISHED);
  }
  browser.InstallIntoModule();
}

TEST_F(AVObjectTest, RegistrationIsReadWhenTheDeliveryRuns) {
  Connection()->Emit(7, "", "");
  ASSERT_TRUE(Connection()->WaitDelivered());  // queued with nothing registered
  NPObject* late = Register(Form::kFunction);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(late), Strings({"1"}));
}

// Deliveries keep their order, and the module behaves the same where the
// browser exports no logging hook: it then writes nothing.
TEST_F(AVObjectTest, DeliveriesKeepTheirOrderAlsoWithoutALogHook) {
  Register(Form::kFunction);
  Connection()->Answer("StartPlayback", "I0");
  testbrowser::SetLogHookInstalled(false);
  const Lines transcript = Run([&] {
    EXPECT_EQ(av->Play(nullptr, 1, eCOMPONENT_OTHER), 0);
    Connection()->Emit(11, "", "");
    Connection()->Emit(7, "", "");
    ASSERT_TRUE(Connection()->WaitDelivered());
    av->Stop(nullptr);
  });
  testbrowser::SetLogHookInstalled(true);
  EXPECT_EQ(transcript, Lines({"> InitPlayer |||", "> SetDisplayArea 0|0|1920|1080|1080|||||",
                               "> SetPlaybackSpeed 1|||", "> StartPlayback |||", "> Stop |||",
                               "page f(3,)", "page f(6,)", "page f(4,)", "page f(1,)",
                               "page f(0,)"}));
}

TEST_F(AVObjectTest, PageMayDestroyTheObjectInsideItsCallback) {
  NPObject* onChange = Register(Form::kFunction);
  browser.OnCall(onChange, [this] { av.reset(); });
  av->Stop(nullptr);
  av->Stop(nullptr);  // a second delivery that finds the object gone
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(onChange), Strings({"0"}));
}

// The call holds a reference of its own: a page that replaces the
// registration inside the call does not free the function under the
// browser, and the next delivery reaches the new one.
TEST_F(AVObjectTest, PageMayReplaceTheCallbackInsideIt) {
  NPObject* first = Register(Form::kFunction);
  NPObject* second = Function();
  uint32_t during = 0;
  browser.OnCall(first, [&] {
    during = browser.RefCount(first);
    av->SetonPlayStateChange(nullptr, nullptr, second);
  });
  av->Stop(nullptr);
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(during, 3u);  // the test's, the registration's and the call's
  EXPECT_EQ(FirstArguments(first), Strings({"0"}));
  EXPECT_EQ(FirstArguments(second), Strings({"0"}));
}

// Events flood in from the service thread while the main thread drives the
// object and swaps its callbacks. Run under ThreadSanitizer this shows that
// only the main thread touches browser objects and that shared state is
// properly synchronised.
TEST_F(AVObjectTest, EventFloodWhileTheMainThreadWorks) {
  constexpr int kEvents = 2000;
  std::atomic<bool> stop{false};
  std::thread flood([&] {
    for (int i = 0; i < kEvents && !stop; ++i) {
      Connection()->Emit(i % 2 == 0 ? 14 : 7 + (i % 7), std::to_string(i * 10), "");
    }
  });
  NPObject* functions[2] = {Function(), Function()};
  for (int round = 0; round < 200; ++round) {
    av->SetonPlayStateChange(nullptr, nullptr, functions[round % 2]);
    av->SetonUpdateProgress(nullptr, round % 3 == 0 ? NameBuffer("p") : nullptr,
                            functions[(round + 1) % 2]);
    if (round % 2 == 0) av->Play(nullptr, 1, eCOMPONENT_OTHER);
    else av->Pause(nullptr);
    (void)av->stAVObjMember.mplayPosition.load();
    browser.RunPendingAsyncCalls();
  }
  flood.join();
  ASSERT_TRUE(Connection()->WaitDelivered(std::chrono::seconds(30)));
  browser.RunPendingAsyncCalls();
  size_t calls = browser.CallsOf(functions[0]).size() + browser.CallsOf(functions[1]).size();
  EXPECT_GT(calls, 200u);
}

// Objects built and destroyed while the player floods every connection
// from the moment it opens. Under ThreadSanitizer this shows that no event
// meets an object under construction or destruction; under
// AddressSanitizer, that nothing scheduled while an object goes is run on
// it, whether the browser drops or runs the calls queued before destroy.
class FloodTest : public AVObjectTest, public ::testing::WithParamInterface<Policy> {};

TEST_P(FloodTest, ObjectsComeAndGoUnderFire) {
  browser.SetQueuedAfterDestroy(GetParam());
  testbrowser::SetLogHookInstalled(false);  // what is logged is not the point here
  zor::RegisterService("Player", testbrowser::Flooding(player, {7, 14, 11, 14, 8}, 5000));
  zor::RegisterService("Video", testbrowser::Flooding(std::make_shared<zor::ScriptedService>(),
                                                      {1, 2, 3}, 5000));
  NPObject* onChange = Function();
  std::deque<NPP_t> handles;
  for (int round = 0; round < 40; ++round) {
    NSPlRuvoAVObject::CPlRuvoVideo video;
    auto object = std::make_unique<CPlRuvoAVObject>();
    object->mnpInstance = &handles.emplace_back();
    object->SetonPlayStateChange(nullptr, nullptr, onChange);
    object->SetonUpdateProgress(nullptr, NameBuffer("p"), nullptr);
    // Destroyed only once the flood reaches it, so events are arriving then.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (browser.PendingAsyncCalls() < 20 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
    if (round % 2 == 0) browser.RunPendingAsyncCalls();
    object.reset();
    browser.InstanceDestroyed(&handles.back());
    // What was queued for the object reaches nothing once it is gone.
    testbrowser::ClearTranscript();
    browser.RunPendingAsyncCalls();
    EXPECT_EQ(testbrowser::TakeTranscript(), Lines{}) << "no page call, no evaluation";
  }
  testbrowser::SetLogHookInstalled(true);
}

INSTANTIATE_TEST_SUITE_P(Browsers, FloodTest, ::testing::Values(Policy::kDrop, Policy::kRun));

}  // namespace
}  // namespace avtest
