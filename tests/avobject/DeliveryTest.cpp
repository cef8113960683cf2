// Deliveries to page script: only on the main thread, in order, owned by the
// module, and safe however the browser and the page treat them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <thread>

#include "AVObjectFixture.h"
#include "service/plRuvoVideo.h"

namespace avtest {
namespace {

using namespace NSPlRuvoAVObject;
using Strings = std::vector<std::string>;
using Policy = testbrowser::TestBrowser::QueuedAfterDestroy;

TEST_F(AVObjectTest, RegistrationIsReadWhenTheDeliveryRuns) {
  Connection()->Emit(7, "", "");
  ASSERT_TRUE(Connection()->WaitDelivered());
  ASSERT_EQ(browser.PendingAsyncCalls(), 1u);  // queued with nothing registered
  NPObject* late = Function();
  av->SetonPlayStateChange(nullptr, nullptr, late);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(late), Strings({"1"}));
}

TEST_F(AVObjectTest, DeliveriesKeepTheirOrder) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  Answer("StartPlayback", "I0");
  av->Play(nullptr, 1, eCOMPONENT_OTHER);
  Connection()->Emit(11, "", "");
  Connection()->Emit(7, "", "");
  ASSERT_TRUE(Connection()->WaitDelivered());
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(onChange), Strings({"3", "6", "4", "1", "0"}));
}

// The call holds a reference of its own: a page that drops its last
// reference and the registration inside the call does not free the function
// under the browser.
TEST_F(AVObjectTest, TheCallHoldsItsOwnReferenceOnTheFunction) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  uint32_t during = 0;
  browser.OnCall(onChange, [&] { during = browser.RefCount(onChange); });
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(during, 3u);  // the test's, the registration's and the call's
  EXPECT_EQ(browser.RefCount(onChange), 2u);
}

TEST_F(AVObjectTest, PageMayDestroyTheObjectInsideItsCallback) {
  NPObject* onChange = Function();
  av->SetonPlayStateChange(nullptr, nullptr, onChange);
  browser.OnCall(onChange, [this] { DestroyObject(); });
  av->Stop(nullptr);
  av->Stop(nullptr);  // a second delivery that finds the object gone
  browser.RunPendingAsyncCalls();
  EXPECT_EQ(FirstArguments(onChange), Strings({"0"}));
  EXPECT_EQ(browser.RefCount(onChange), 1u);
}

TEST_F(AVObjectTest, PageMayReplaceTheCallbackInsideIt) {
  NPObject* first = Function();
  NPObject* second = Function();
  av->SetonPlayStateChange(nullptr, nullptr, first);
  browser.OnCall(first, [&] { av->SetonPlayStateChange(nullptr, nullptr, second); });
  av->Stop(nullptr);
  av->Stop(nullptr);
  browser.RunPendingAsyncCalls();
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
  EXPECT_TRUE(browser.Errors().empty()) << ::testing::PrintToString(browser.Errors());
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
    const size_t calls = browser.CallsOf(onChange).size();
    const size_t scripts = browser.EvaluatedScripts().size();
    browser.RunPendingAsyncCalls();
    EXPECT_EQ(browser.CallsOf(onChange).size(), calls);
    EXPECT_EQ(browser.EvaluatedScripts().size(), scripts);
  }
  testbrowser::SetLogHookInstalled(true);
  EXPECT_EQ(browser.RefCount(onChange), 1u);
  EXPECT_TRUE(browser.Errors().empty()) << ::testing::PrintToString(browser.Errors());
}

INSTANTIATE_TEST_SUITE_P(Browsers, FloodTest, ::testing::Values(Policy::kDrop, Policy::kRun));

}  // namespace
}  // namespace avtest
